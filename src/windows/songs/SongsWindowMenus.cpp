// The songs window's menu bar and row pop-up.
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <utility>

#include "SongsWindow.h"
#include "windows/main/WindowHelpers.h"

namespace sw {

namespace {

constexpr std::array<PlayScope, 4> kScopes{PlayScope::ThisSong, PlayScope::Selection,
                                           PlayScope::ListFromPosition, PlayScope::WholeList};
constexpr std::array<QueueKind, 4> kKinds{QueueKind::PlayNow, QueueKind::PlayNext, QueueKind::Insert,
                                          QueueKind::Append};
/// The pop-up's items that queue the song under the pointer, by how they queue it.
constexpr std::array<std::pair<QueueKind, SongPopupItem>, 4> kThisSongItems{{
    {QueueKind::PlayNow, SongPopupItem::PlayNowThisSong},
    {QueueKind::PlayNext, SongPopupItem::PlayNextThisSong},
    {QueueKind::Insert, SongPopupItem::InsertThisSong},
    {QueueKind::Append, SongPopupItem::AppendThisSong},
}};

}  // namespace

void SongsWindow::BuildMenus() {
    QMenuBar* bar = menuBar();
    QAction* closeItem = bar->addAction("Close");
    closeItem->setObjectName("closeItem");
    connect(closeItem, &QAction::triggered, this, &QWidget::close);
    m_back = bar->addAction("Back");
    m_back->setObjectName("backItem");
    connect(m_back, &QAction::triggered, this, [this] { m_controller.SongListBack(); });
    QAction* refresh = bar->addAction("Refresh");
    refresh->setObjectName("refreshItem");
    connect(refresh, &QAction::triggered, this, [this] { m_controller.Refresh(); });
    BuildPlayMenu();
    BuildPlaylistMenu();

    m_assignMenu = bar->addMenu("Assign");
    m_assignMenu->setObjectName("assignMenu");
    QAction* toSelected =
        m_assignMenu->addAction("to selected songs", [this] { m_controller.AssignToSelected(); });
    QAction* toAll = m_assignMenu->addAction("to all songs listed", [this] { m_controller.AssignToAll(); });
    connect(m_assignMenu, &QMenu::aboutToShow, this, [this, toSelected, toAll] {
        const bool open = static_cast<bool>(m_controller.Hooks().assignDetails);
        toSelected->setEnabled(open);
        toAll->setEnabled(open);
    });

    BuildFilterMenu();

    m_fixMenu = bar->addMenu("Fix");
    m_fixMenu->setObjectName("fixMenu");
    m_fixDurations = m_fixMenu->addAction("Durations", [this] { m_controller.FixDurations(); });
    m_fixQuestion = m_fixMenu->addAction("\"?\" warnings", [this] { m_controller.FixQuestionWarnings(); });
    m_fixBang = m_fixMenu->addAction("\"!\" warnings", [this] { m_controller.FixBangWarnings(); });
    connect(m_fixMenu, &QMenu::aboutToShow, this, [this] {
        m_fixDurations->setEnabled(m_controller.DurationsFixEnabled());
        m_fixQuestion->setEnabled(m_controller.QuestionFixEnabled());
        m_fixBang->setEnabled(m_controller.BangFixEnabled());
    });

    m_new = bar->addAction("New");
    m_new->setObjectName("newItem");
    connect(m_new, &QAction::triggered, this, [this] { m_controller.NewSong(); });

    BuildOptionsMenu();
}

void SongsWindow::BuildPlayMenu() {
    m_playMenu = menuBar()->addMenu("Play");
    m_playMenu->setObjectName("playMenu");
    auto* scopes = new QActionGroup(m_playMenu);
    const std::array<const char*, 4> scopeCaptions{"  this song", "  selection", "  list from position",
                                                   "  whole list"};
    for (std::size_t i = 0; i < kScopes.size(); ++i) {
        QAction* item = m_playMenu->addAction(scopeCaptions[i]);
        item->setCheckable(true);
        scopes->addAction(item);
        const PlayScope scope = kScopes[i];
        connect(item, &QAction::triggered, this, [this, scope] {
            m_controller.SetPlayScope(scope);
            ShowPlayCaptions();
            ReopenMenu(m_playMenu);
        });
        m_scopeItems[i] = item;
    }
    m_playMenu->addSeparator();
    const std::array<const char*, 4> kindCaptions{"  play now", "  play next", " insert into queue",
                                                  "  append to queue"};
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        const QueueKind kind = kKinds[i];
        m_kindItems[i] = m_playMenu->addAction(
            kindCaptions[i], [this, kind] { m_controller.QueueSongs(m_controller.Scope(), kind); });
    }
    m_playMenu->addSeparator();
    m_editPlaylist = m_playMenu->addAction("Edit playlist", [this] { m_controller.EditPlaylistInQueue(); });
    connect(m_playMenu, &QMenu::aboutToShow, this, [this] {
        if (!m_reopeningPlay) {
            m_controller.PlayMenuOpening();
        }
        m_reopeningPlay = false;
        ShowPlayCaptions();
    });
}

void SongsWindow::ShowPlayCaptions() {
    for (std::size_t i = 0; i < kScopes.size(); ++i) {
        m_scopeItems[i]->setChecked(m_controller.Scope() == kScopes[i]);
    }
    m_scopeItems[1]->setEnabled(m_controller.SelectionScopeEnabled());
    m_scopeItems[2]->setEnabled(m_controller.FromPositionScopeEnabled());
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        m_kindItems[i]->setText(QueueKindCaption(kKinds[i], m_controller.Scope()));
        m_kindItems[i]->setEnabled(m_controller.QueueConnected());
    }
    m_editPlaylist->setEnabled(m_controller.EditPlaylistEnabled() && m_controller.QueueConnected());
}

void SongsWindow::ReopenMenu(QMenu* menu) {
    m_reopeningPlay = menu == m_playMenu;
    QTimer::singleShot(0, this, [this, menu] { menuBar()->setActiveAction(menu->menuAction()); });
}

void SongsWindow::BuildPlaylistMenu() {
    m_playlistMenu = menuBar()->addMenu("PlayList");
    m_playlistMenu->setObjectName("playlistMenu");
    m_addToPlaylist = m_playlistMenu->addMenu("Add to playlist x");
    m_addToPlaylist->addAction("- all", [this] { m_controller.AddAllToTargetPlaylist(); });
    m_addToPlaylist->addAction("- selection", [this] { m_controller.AddSelectionToTargetPlaylist(); });
    m_viewPlaylist =
        m_playlistMenu->addAction("View playlist", [this] { m_controller.ViewTargetPlaylist(); });
    m_selectPlaylist = m_playlistMenu->addAction("Select playlist", [this] {
        if (m_controller.SelectPlaylist()) {
            ReopenMenu(m_playlistMenu);
        }
    });
    connect(m_playlistMenu, &QMenu::aboutToShow, this, [this] { PlaylistMenuOpening(); });
}

void SongsWindow::PlaylistMenuOpening() {
    const bool chosen = m_controller.TargetPlaylistChosen();
    m_addToPlaylist->setEnabled(chosen);
    for (QAction* item : m_addToPlaylist->actions()) {
        item->setEnabled(chosen);
    }
    m_viewPlaylist->setEnabled(chosen);
    if (chosen) {
        SetMenuCaption(m_addToPlaylist->menuAction(), m_controller.AddToPlaylistCaption());
    } else {
        m_addToPlaylist->setTitle("Add to playlist x");
    }
    m_selectPlaylist->setEnabled(static_cast<bool>(m_controller.Hooks().selectPlaylist));
}

void SongsWindow::BuildFilterMenu() {
    m_filterMenu = menuBar()->addMenu("Filter");
    m_filterMenu->setObjectName("filterMenu");
    for (const FilterMenuItem& item : kFilterMenu) {
        QAction* action = m_filterMenu->addAction(item.caption);
        action->setCheckable(true);
        const int value = item.value;
        connect(action, &QAction::triggered, this, [this, value] { m_controller.SetRatingFilter(value); });
        m_filterItems.push_back(action);
    }
    m_filterMenu->addSeparator();
    m_hideMissing = m_filterMenu->addAction("Hide songs whose MP3 does not exist");
    m_hideMissing->setCheckable(true);
    connect(m_hideMissing, &QAction::triggered, this, [this] { m_controller.ToggleHideMissing(); });
    connect(m_filterMenu, &QMenu::aboutToShow, this, [this] { FilterMenuOpening(); });
}

void SongsWindow::FilterMenuOpening() {
    // "Default filter" sets 1 but the item ticked for 1 is the one that names it.
    const int filter = m_controller.RatingFilter();
    for (std::size_t i = 0; i < m_filterItems.size(); ++i) {
        m_filterItems[i]->setChecked(i > 0 && kFilterMenu[i].value == filter);
    }
    m_hideMissing->setChecked(m_controller.HideMissing());
    m_hideMissing->setEnabled(m_controller.HideItemEnabled());
}

void SongsWindow::BuildOptionsMenu() {
    m_optionsMenu = menuBar()->addMenu("Options");
    m_optionsMenu->setObjectName("optionsMenu");
    m_autoFit = m_optionsMenu->addAction("Auto-fit columns");
    m_autoFit->setCheckable(true);
    m_autoFit->setChecked(m_controller.AutoFitColumns());
    connect(m_autoFit, &QAction::triggered, this, [this](bool on) { m_controller.SetAutoFitColumns(on); });
    m_autoRefresh = m_optionsMenu->addAction("Auto-refresh after edit");
    m_autoRefresh->setCheckable(true);
    m_autoRefresh->setChecked(m_controller.AutoRefreshAfterEdit());
    connect(m_autoRefresh, &QAction::triggered, this,
            [this](bool on) { m_controller.SetAutoRefreshAfterEdit(on); });
    m_optionsMenu->addSeparator();
    auto* pair = new QActionGroup(m_optionsMenu);
    m_doubleClickView = m_optionsMenu->addAction("Double-click to view song details");
    m_doubleClickEdit = m_optionsMenu->addAction("Double-click to edit song details");
    for (QAction* item : {m_doubleClickView, m_doubleClickEdit}) {
        item->setCheckable(true);
        pair->addAction(item);
    }
    connect(m_doubleClickView, &QAction::triggered, this,
            [this] { m_controller.SetDoubleClickToEdit(false); });
    connect(m_doubleClickEdit, &QAction::triggered, this,
            [this] { m_controller.SetDoubleClickToEdit(true); });
    connect(m_optionsMenu, &QMenu::aboutToShow, this, [this] {
        m_doubleClickEdit->setChecked(m_controller.DoubleClickToEdit());
        m_doubleClickView->setChecked(!m_controller.DoubleClickToEdit());
        m_autoFit->setChecked(m_controller.AutoFitColumns());
        m_autoRefresh->setChecked(m_controller.AutoRefreshAfterEdit());
    });
}

QAction* SongsWindow::PlayItem(PlayScope scope) const {
    for (std::size_t i = 0; i < kScopes.size(); ++i) {
        if (kScopes[i] == scope) {
            return m_scopeItems[i];
        }
    }
    return nullptr;
}

QAction* SongsWindow::PlayItem(QueueKind kind) const {
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (kKinds[i] == kind) {
            return m_kindItems[i];
        }
    }
    return nullptr;
}

QAction* SongsWindow::FilterItem(SongFilterItem item) const {
    for (std::size_t i = 0; i < kFilterMenu.size(); ++i) {
        if (kFilterMenu[i].id == item) {
            return m_filterItems[i];
        }
    }
    return nullptr;
}

QAction* SongsWindow::MenuItem(SongsMenuItem item) const {
    switch (item) {
        case SongsMenuItem::EditPlaylist:
            return m_editPlaylist;
        case SongsMenuItem::ViewPlaylist:
            return m_viewPlaylist;
        case SongsMenuItem::SelectPlaylist:
            return m_selectPlaylist;
        case SongsMenuItem::FixDurations:
            return m_fixDurations;
        case SongsMenuItem::FixQuestion:
            return m_fixQuestion;
        case SongsMenuItem::FixBang:
            return m_fixBang;
        case SongsMenuItem::HideMissing:
            return m_hideMissing;
        case SongsMenuItem::AutoFit:
            return m_autoFit;
        case SongsMenuItem::AutoRefresh:
            return m_autoRefresh;
        case SongsMenuItem::DoubleClickView:
            return m_doubleClickView;
        case SongsMenuItem::DoubleClickEdit:
            return m_doubleClickEdit;
    }
    return nullptr;
}

// The pop-up.

QAction* SongsWindow::AddPopupItem(QMenu* menu, SongPopupItem id, const QString& caption,
                                   std::function<void()> action) {
    QAction* item = menu->addAction(caption);
    if (action) {
        connect(item, &QAction::triggered, this, std::move(action));
    }
    m_popupItems[id] = item;
    return item;
}

void SongsWindow::BuildPopup() {
    using Item = SongPopupItem;
    m_popup = new QMenu(this);
    m_popup->setObjectName("songPopup");
    SongListController& c = m_controller;
    AddPopupItem(m_popup, Item::ViewSong, "View song", [&c] { c.PopupViewSong(); });
    AddPopupItem(m_popup, Item::EditSong, "Edit song", [&c] { c.PopupEditSong(); });
    AddPopupItem(m_popup, Item::CopySong, "Copy song", [&c] { c.PopupCopySong(); });
    AddPopupItem(m_popup, Item::AlbumDetails, "Album details", [&c] { c.PopupAlbumDetails(); });
    m_popup->addSeparator();
    for (const auto& [kind, id] : kThisSongItems) {
        AddPopupItem(m_popup, id, QueueKindCaption(kind, PlayScope::ThisSong),
                     [&c, kind] { c.QueueSongs(PlayScope::ThisSong, kind); });
    }
    AddPopupItem(m_popup, Item::PlayNextFromPosition,
                 QueueKindCaption(QueueKind::PlayNext, PlayScope::ListFromPosition),
                 [&c] { c.QueueSongs(PlayScope::ListFromPosition, QueueKind::PlayNext); });
    AddPopupItem(m_popup, Item::Preview, "Preview", [&c] { c.PopupPreview(); });
    m_popup->addSeparator();
    m_moreSongs = m_popup->addMenu("More songs ...");
    AddPopupItem(m_moreSongs, Item::MoreInAlbum, "-  in this Album",
                 [&c] { c.PopupMoreSongs(SongsLike::Album); });
    AddPopupItem(m_moreSongs, Item::MoreInAlbumGroup, "-  in this Album Group",
                 [&c] { c.PopupAlbumGroup(); });
    AddPopupItem(m_moreSongs, Item::MoreByArtist, "-  by this Artist",
                 [&c] { c.PopupMoreSongs(SongsLike::Artist); });
    AddPopupItem(m_moreSongs, Item::MoreInGenre, "-  in this Genre",
                 [&c] { c.PopupMoreSongs(SongsLike::Genre); });
    AddPopupItem(m_moreSongs, Item::MoreWithTitle, "-  with this Title",
                 [&c] { c.PopupMoreSongs(SongsLike::Title); });
    AddPopupItem(m_moreSongs, Item::MoreWithSimilarFileName, "-  with similar Filename",
                 [&c] { c.PopupSimilarFileName(); });
    AddPopupItem(m_popup, Item::AlreadyInPlaylists, "Already in playlist(s)",
                 [&c] { c.PopupPlaylistsHolding(); });
    m_popup->addSeparator();
    AddPopupItem(m_popup, Item::AddToPlaylist, "Add to playlist x", [&c] { c.PopupAddToPlaylist(); });
    AddPopupItem(m_popup, Item::ViewPlaylist, "View playlist x", [&c] { c.PopupViewPlaylist(); });
    AddPopupItem(m_popup, Item::AddToAnotherPlaylist, "Add to another playlist",
                 [&c] { c.PopupAddToAnotherPlaylist(); });
    AddPopupItem(m_popup, Item::DropFromPlaylist, "Drop from playlist", [&c] { c.DropFromPlaylist(); });
    m_popup->addSeparator();
    AddPopupItem(m_popup, Item::DeleteMusicFile, "Delete music file", [&c] { c.PopupRemove(1); });
    AddPopupItem(m_popup, Item::RemoveFromDatabase, "Remove song from database", [&c] { c.PopupRemove(2); });
    // "&&" shows one "&".
    AddPopupItem(m_popup, Item::DeleteAndRemove, "Delete && Remove", [&c] { c.PopupRemove(3); });
}

void SongsWindow::OpenPopup(int row, const QPoint& globalPosition) {
    using Item = SongPopupItem;
    const SongPopupMenu& menu = m_controller.OpenPopup(row);
    const SongListHooks& hooks = m_controller.Hooks();
    const bool song = m_controller.CurrentSong().SongNum > 0;
    const auto item = [this](SongPopupItem id) { return m_popupItems.at(id); };

    item(Item::ViewSong)->setEnabled(song && hooks.viewSong);
    item(Item::EditSong)->setEnabled(song && hooks.editSong);
    item(Item::CopySong)->setEnabled(song);
    item(Item::AlbumDetails)->setEnabled(song && hooks.albumDetails);
    const bool queue = song && m_controller.QueueConnected();
    for (const auto& each : kThisSongItems) {
        item(each.second)->setEnabled(queue);
    }
    item(Item::PlayNextFromPosition)->setEnabled(queue);
    item(Item::Preview)->setEnabled(song && hooks.preview);
    QAction* inAlbum = item(Item::MoreInAlbum);
    SetMenuCaption(inAlbum, menu.inThisAlbum);
    inAlbum->setEnabled(song);
    QAction* byArtist = item(Item::MoreByArtist);
    SetMenuCaption(byArtist, menu.byThisArtist);
    byArtist->setEnabled(song);
    item(Item::MoreInAlbumGroup)->setEnabled(song && menu.albumGroupEnabled && hooks.albumGroup);
    item(Item::MoreInGenre)->setEnabled(song);
    item(Item::MoreWithTitle)->setEnabled(song);
    item(Item::MoreWithSimilarFileName)->setEnabled(song && hooks.searchWindow);
    item(Item::AlreadyInPlaylists)->setEnabled(song && hooks.playlistsHolding);
    QAction* add = item(Item::AddToPlaylist);
    SetMenuCaption(add, menu.addToPlaylist);
    add->setEnabled(song && menu.addToPlaylistEnabled);
    QAction* view = item(Item::ViewPlaylist);
    SetMenuCaption(view, menu.viewPlaylist);
    view->setEnabled(menu.viewPlaylistEnabled);
    QAction* another = item(Item::AddToAnotherPlaylist);
    SetMenuCaption(another, menu.addToAnother);
    another->setEnabled(song && hooks.selectPlaylist);
    item(Item::DropFromPlaylist)->setEnabled(menu.dropEnabled);
    item(Item::DeleteMusicFile)->setEnabled(song && menu.deleteEnabled);
    item(Item::RemoveFromDatabase)->setEnabled(song);
    item(Item::DeleteAndRemove)->setEnabled(song && menu.deleteEnabled);
    ShowCurrentRow();
    m_popup->popup(globalPosition);
}

}  // namespace sw
