// The queue window's menu bar and the grid's pop-up menu.
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>

#include "QueueWindow.h"
#include "foundation/Dialogs.h"
#include "Preview.h"

namespace sw {

void QueueWindow::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->addAction("Close", this, &QWidget::close);

    QMenu* clear = bar->addMenu("Clear");
    clear->addAction("Clear from position", this, [this] { m_queue.ClearQueueFrom(m_queue.Cursor()); });
    clear->addAction("Clear all, save first", this, [this] { m_queue.ClearAllSavingFirst(); });
    clear->addAction("Clear all, no save", this, [this] {
        if (ConfirmOK("Clear Now-Playing Queue")) {
            m_queue.ClearQueueFrom(0);
        }
    });
    bar->addAction("Save", this, [this] { m_queue.SaveQueueAsPlaylist(); });
    bar->addAction("Refresh", this, [this] { m_queue.RefreshCommand(true); });
    QAction* renumber = bar->addAction("Renumber", this, [this] { m_queue.Renumber(); });
    renumber->setVisible(false);

    m_options = bar->addMenu("Options");
    m_menuItems[QueueMenuItem::Options] = m_options->menuAction();
    connect(m_options, &QMenu::aboutToShow, this, &QueueWindow::RefreshOptionsMenu);
    m_menuItems[QueueMenuItem::TimebarSmallStep] =
        m_options->addAction("Timebar small increment", this, [this] { m_engine.SetTimeBarSmallStep(); });
    m_menuItems[QueueMenuItem::TimebarLargeStep] =
        m_options->addAction("Timebar large increment", this, [this] { m_engine.SetTimeBarLargeStep(); });
    m_options->addSeparator();
    auto toggle = [this](QueueMenuItem id, const QString& caption, std::function<void()> action) {
        QAction* item = m_options->addAction(caption);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, action = std::move(action)] {
            action();
            RefreshOptionsMenu();
        });
        m_menuItems[id] = item;
    };
    toggle(QueueMenuItem::ActionFromComments, "Action \"from m:ss\" comments",
           [this] { m_queue.ToggleActionFromComments(); });
    toggle(QueueMenuItem::PromptToSave, "Prompt to save playlist if changed",
           [this] { m_queue.TogglePromptToSave(); });
    toggle(QueueMenuItem::PromptToDrop, "Prompt to drop from playlist",
           [this] { m_queue.TogglePromptToDrop(); });
    toggle(QueueMenuItem::HideMissing, "Hide songs whose MP3 does not exist",
           [this] { m_queue.ToggleHideMissing(); });
    m_options->addSeparator();
    auto* doubleClick = new QActionGroup(this);
    m_menuItems[QueueMenuItem::ViewOnDoubleClick] = m_options->addAction(
        "Double-click to view song details", this, [this] { m_queue.SetDoubleClickToEdit(false); });
    m_menuItems[QueueMenuItem::EditOnDoubleClick] = m_options->addAction(
        "Double-click to edit song details", this, [this] { m_queue.SetDoubleClickToEdit(true); });
    for (const QueueMenuItem id : {QueueMenuItem::ViewOnDoubleClick, QueueMenuItem::EditOnDoubleClick}) {
        QAction* item = m_menuItems.at(id);
        item->setCheckable(true);
        doubleClick->addAction(item);
    }
    m_options->addSeparator();
    toggle(QueueMenuItem::RepeatAtEnd, "Repeat at end", [this] { m_queue.ToggleRepeatAtEnd(); });
    RefreshOptionsMenu();

    QAction* volume = bar->addAction("Volume", this, [this] { m_engine.VolumeCommand(); });
    volume->setVisible(false);
    bar->addAction("bpm", this, [this] {
        if (m_bpmWindow) {
            m_bpmWindow->show();
            m_bpmWindow->raise();
            m_bpmWindow->activateWindow();
        }
    });

    m_fade = bar->addMenu("FADE");
    m_menuItems[QueueMenuItem::Fade] = m_fade->menuAction();
    connect(m_fade, &QMenu::aboutToShow, this, &QueueWindow::RefreshFadeMenu);
    m_menuItems[QueueMenuItem::FadeOnStopNext] = m_fade->addAction("Fade on Stop / Next", this, [this] {
        m_engine.ToggleFadeOnStopNext();
        RefreshFadeMenu();
    });
    m_menuItems[QueueMenuItem::FadeOnPause] = m_fade->addAction("Fade on Pause", this, [this] {
        m_engine.ToggleFadeOnPause();
        RefreshFadeMenu();
    });
    MenuAction(QueueMenuItem::FadeOnStopNext)->setCheckable(true);
    MenuAction(QueueMenuItem::FadeOnPause)->setCheckable(true);
    m_menuItems[QueueMenuItem::FadeTime] =
        m_fade->addAction("Fade time (ms)", this, [this] { m_engine.AskFadeTime(); });
    RefreshFadeMenu();

    bar->addAction("Preview", this, [this] {
        if (m_previewWindow) {
            m_previewWindow->show();
            m_previewWindow->raise();
        }
    });

    QMenu* move = bar->addMenu("Move");
    const std::pair<const char*, MoveTarget> moves[] = {
        {"move to Next", MoveTarget::Next}, {"move Up", MoveTarget::Up},
        {"move Down", MoveTarget::Down},    {"move to Start", MoveTarget::Start},
        {"move to End", MoveTarget::End},   {"move to Position (specify)", MoveTarget::Position},
    };
    for (const auto& [caption, target] : moves) {
        move->addAction(caption, this, [this, target = target] { m_queue.MoveSelectedRows(target); });
    }
}

void QueueWindow::RefreshOptionsMenu() {
    const TransportView& t = m_engine.Transport();
    MenuAction(QueueMenuItem::TimebarSmallStep)
        ->setText("Timebar small increment (s) = " + QString::number(t.timeBarSmallStep));
    MenuAction(QueueMenuItem::TimebarLargeStep)
        ->setText("Timebar large increment (s) = " + QString::number(t.timeBarLargeStep));
    MenuAction(QueueMenuItem::ActionFromComments)->setChecked(m_queue.ActionFromComments());
    MenuAction(QueueMenuItem::PromptToSave)->setChecked(m_queue.PromptToSave());
    MenuAction(QueueMenuItem::PromptToDrop)->setChecked(m_queue.PromptToDrop());
    MenuAction(QueueMenuItem::HideMissing)->setChecked(m_queue.HideMissing());
    MenuAction(QueueMenuItem::ViewOnDoubleClick)->setChecked(!m_queue.DoubleClickToEdit());
    MenuAction(QueueMenuItem::EditOnDoubleClick)->setChecked(m_queue.DoubleClickToEdit());
    MenuAction(QueueMenuItem::RepeatAtEnd)->setChecked(m_queue.RepeatAtEnd());
}

void QueueWindow::RefreshFadeMenu() {
    MenuAction(QueueMenuItem::FadeOnStopNext)->setChecked(m_engine.FadeOnStopNext());
    MenuAction(QueueMenuItem::FadeOnPause)->setChecked(m_engine.FadeOnPause());
    MenuAction(QueueMenuItem::FadeTime)->setText(m_engine.FadeTimeCaption());
    m_fade->setTitle(m_engine.FadeMenuCaption());
}

void QueueWindow::BuildPopupMenu() {
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName("queuePopup");
    auto add = [this](QMenu* menu, PopupItem item) {
        QAction* action = menu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, item] { RunPopupItem(item); });
        m_popupActions[static_cast<std::size_t>(item)] = action;
        return action;
    };
    for (const PopupItem item :
         {PopupItem::ViewSongDetails, PopupItem::EditSong, PopupItem::CopySong, PopupItem::AlbumDetails}) {
        add(m_popupMenu, item);
    }
    QMenu* rating = m_popupMenu->addMenu("Rating");
    m_popupActions[static_cast<std::size_t>(PopupItem::Rating)] = rating->menuAction();
    rating->addAction("Promote", this, [this] { m_queue.PopupStepRating(1); });
    rating->addAction("Demote", this, [this] { m_queue.PopupStepRating(-1); });
    for (std::size_t i = 0; i < RatingCaptions().size(); ++i) {
        const int value = 4 - static_cast<int>(i);
        rating->addAction(RatingCaptions()[i], this, [this, value] { m_queue.PopupSetRating(value); });
    }
    m_popupMenu->addSeparator();
    for (const PopupItem item : {PopupItem::PlayNext, PopupItem::PlayNow, PopupItem::Preview}) {
        add(m_popupMenu, item);
    }
    m_popupMenu->addSeparator();
    for (const PopupItem item :
         {PopupItem::MoveToEnd, PopupItem::MoveToPosition, PopupItem::Skip, PopupItem::Drop}) {
        add(m_popupMenu, item);
    }
    m_popupActions[static_cast<std::size_t>(PopupItem::Skip)]->setCheckable(true);
    m_popupMenu->addSeparator();
    QMenu* more = m_popupMenu->addMenu("More songs ...");
    m_popupActions[static_cast<std::size_t>(PopupItem::MoreSongs)] = more->menuAction();
    for (const PopupItem item : {PopupItem::MoreInAlbum, PopupItem::MoreByArtist, PopupItem::MoreInGenre,
                                 PopupItem::MoreWithTitle}) {
        add(more, item);
    }
    m_popupMenu->addSeparator();
    for (const PopupItem item :
         {PopupItem::AlreadyInPlaylists, PopupItem::AddToPlaylist, PopupItem::MoveToPlaylist,
          PopupItem::ViewPlaylist, PopupItem::AddToAnotherPlaylist}) {
        add(m_popupMenu, item);
    }
    m_popupMenu->addSeparator();
    for (const PopupItem item :
         {PopupItem::DeleteMusicFile, PopupItem::RemoveSong, PopupItem::DeleteAndRemove}) {
        add(m_popupMenu, item);
    }
}

bool QueueWindow::PreparePopup(int row) {
    if (!m_queue.OpenPopup(row)) {
        return false;
    }
    const QueuePopupMenu& menu = m_queue.Popup();
    for (int i = 0; i < kPopupItemCount; ++i) {
        QAction* action = m_popupActions[static_cast<std::size_t>(i)];
        const PopupEntry& entry = menu.entries[static_cast<std::size_t>(i)];
        action->setText(entry.caption);
        action->setEnabled(entry.enabled);
        if (action->isCheckable()) {
            action->setChecked(entry.checked);
        }
    }
    return true;
}

void QueueWindow::ShowPopup(const QPoint& at) {
    const QModelIndex index = m_grid->indexAt(at);
    if (!index.isValid() || !PreparePopup(index.row() + 1)) {
        return;
    }
    m_popupMenu->popup(m_grid->viewport()->mapToGlobal(at));
}

void QueueWindow::RunPopupItem(PopupItem item) {
    switch (item) {
        case PopupItem::ViewSongDetails:
            m_queue.PopupViewSong();
            break;
        case PopupItem::EditSong:
            m_queue.PopupEditSong();
            break;
        case PopupItem::CopySong:
            m_queue.PopupCopySong();
            break;
        case PopupItem::PlayNext:
            m_queue.MoveSelectedRows(MoveTarget::Next);
            break;
        case PopupItem::PlayNow:
            m_queue.PopupPlayNow();
            break;
        case PopupItem::Preview:
            m_preview.PreviewSong(m_queue.PopupSong());
            break;
        case PopupItem::MoveToEnd:
            m_queue.MoveToEndKeepingCursor();
            break;
        case PopupItem::MoveToPosition:
            m_queue.MoveSelectedRows(MoveTarget::Position);
            break;
        case PopupItem::Skip:
            m_queue.SetSkipOfCursorRow(
                m_popupActions[static_cast<std::size_t>(PopupItem::Skip)]->isChecked());
            break;
        case PopupItem::Drop:
            m_queue.DropSelectedRows();
            break;
        case PopupItem::AlbumDetails:
            m_queue.PopupAlbumDetails();
            break;
        case PopupItem::MoreInAlbum:
            m_queue.PopupMoreSongs(1);
            break;
        case PopupItem::MoreByArtist:
            m_queue.PopupMoreSongs(2);
            break;
        case PopupItem::MoreInGenre:
            m_queue.PopupMoreSongs(3);
            break;
        case PopupItem::MoreWithTitle:
            m_queue.PopupMoreSongs(4);
            break;
        case PopupItem::AlreadyInPlaylists:
            m_queue.PopupPlaylistsHolding();
            break;
        case PopupItem::ViewPlaylist:
            m_queue.PopupViewPlaylist();
            break;
        case PopupItem::AddToAnotherPlaylist:
            m_queue.PopupAddToAnotherPlaylist();
            break;
        case PopupItem::AddToPlaylist:
            m_queue.PopupAddToTarget(false);
            break;
        case PopupItem::MoveToPlaylist:
            m_queue.PopupAddToTarget(true);
            break;
        case PopupItem::DeleteMusicFile:
            m_queue.PopupRemove(1);
            break;
        case PopupItem::RemoveSong:
            m_queue.PopupRemove(2);
            break;
        case PopupItem::DeleteAndRemove:
            m_queue.PopupRemove(3);
            break;
        default:
            break;
    }
}

}  // namespace sw
