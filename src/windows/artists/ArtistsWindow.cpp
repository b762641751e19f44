#include "ArtistsWindow.h"

#include <QActionGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <array>

#include "windows/main/WindowHelpers.h"

namespace sw {

namespace {

constexpr std::array<ArtistsView, 4> kViews{ArtistsView::All, ArtistsView::WithSongs,
                                            ArtistsView::WithNoSongs, ArtistsView::MoreThanOneSong};

}  // namespace

ArtistsWindow::ArtistsWindow(ArtistsController& controller, QWidget* parent)
    : LibraryListWindow(controller.Model(), {.searchBox = true, .pickBar = false}, parent),
      m_controller(controller) {
    setObjectName("artistsWindow");
    setWindowIcon(ProgramIcon());
    resize(360, 480);
    BuildMenus();
    BuildPopup();
    m_controller.SetDisplay(this);
    StateChanged();
}

ArtistsWindow::~ArtistsWindow() {
    m_controller.SetDisplay(nullptr);
}

void ArtistsWindow::BuildMenus() {
    using Item = ArtistsMenuItem;
    m_menuItems[Item::Close] = menuBar()->addAction("Close", this, &QWidget::close);
    m_menuItems[Item::Refresh] = menuBar()->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    m_filterMenu = menuBar()->addMenu("Filter");
    auto* group = new QActionGroup(this);
    for (const ArtistsView view : kViews) {
        QAction* item = m_filterMenu->addAction(ArtistsViewName(view), this,
                                                [this, view] { m_controller.ChooseView(view); });
        item->setCheckable(true);
        group->addAction(item);
        m_viewItems[view] = item;
    }
    m_menuItems[Item::RemoveAll] =
        menuBar()->addAction("RemoveAll", this, [this] { m_controller.RemoveArtistsWithNoSongs(); });
}

void ArtistsWindow::BuildPopup() {
    m_popupMenu = new QMenu(this);
    m_popupCaption = m_popupMenu->addAction(QString());
    m_popupCaption->setEnabled(false);
    m_popupMenu->addSeparator();
    using Item = ArtistPopupItem;
    m_popupItems[Item::ListSongs] =
        m_popupMenu->addAction("List songs", this, [this] { m_controller.PopupListSongs(); });
    m_popupItems[Item::Details] =
        m_popupMenu->addAction("Details", this, [this] { m_controller.PopupDetails(); });
    m_popupItems[Item::Rename] =
        m_popupMenu->addAction("Rename", this, [this] { m_controller.PopupRename(); });
    m_popupItems[Item::Play] = m_popupMenu->addAction("Play");
    m_popupItems[Item::Play]->setEnabled(false);
    m_popupItems[Item::CopyArtist] =
        m_popupMenu->addAction("Copy artist", this, [this] { m_controller.PopupCopyArtist(); });
}

void ArtistsWindow::OpenPopup(int row, const QPoint& globalPosition) {
    const ArtistPopupMenu& popup = m_controller.OpenPopup(row);
    SetMenuCaption(m_popupCaption, popup.caption);
    PopupItem(ArtistPopupItem::Details)->setEnabled(popup.detailsEnabled);
    m_popupMenu->popup(globalPosition);
}

void ArtistsWindow::Activated() {
    m_controller.Activated();
    SearchBox()->selectAll();
}

void ArtistsWindow::StateChanged() {
    setWindowTitle(m_controller.Caption());
    m_filterMenu->setTitle(m_controller.FilterCaption());
    for (const auto& [view, item] : m_viewItems) {
        item->setChecked(view == m_controller.View());
    }
    RemoveAllItem()->setEnabled(m_controller.RemoveAllEnabled());
    CountLabel()->setText(m_controller.ListOpen() ? m_controller.CountLabel() : QString());
}

}  // namespace sw
