#include "AlbumsWindow.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include "NewAlbumGroupDialog.h"
#include "windows/main/WindowHelpers.h"

namespace sw {

AlbumsWindow::AlbumsWindow(AlbumsController& controller, QWidget* parent)
    : LibraryListWindow(controller.Model(), Parts{}, parent), m_controller(controller) {
    setObjectName("FAlbums");
    setWindowTitle("Albums");
    resize(640, 480);
    BuildMenus();
    BuildPopup();
    BuildJumpButtons();
    m_controller.Hooks().newGroupFields = [this](QString& name, QString& artist) {
        return NewAlbumGroupDialog::Ask(this, name, artist);
    };
    m_controller.SetDisplay(this);
    StateChanged();
}

AlbumsWindow::~AlbumsWindow() {
    m_controller.SetDisplay(nullptr);
    m_controller.Hooks().newGroupFields = nullptr;
}

void AlbumsWindow::BuildMenus() {
    using Item = AlbumsMenuItem;
    QMenuBar* bar = menuBar();
    m_menuItems[Item::Back] = bar->addAction("Back", this, [this] { m_controller.Back(); });
    BackItem()->setObjectName("backItem");
    BuildFilterMenu();
    BuildSequenceMenu();
    BuildGroupsMenu();
    m_newMenu = bar->addMenu("New");
    m_newMenu->setObjectName("newMenu");
    m_menuItems[Item::NewAlbum] = m_newMenu->addAction("Album", this, [this] { m_controller.NewAlbum(); });
    m_menuItems[Item::NewGroup] = m_newMenu->addAction("Group", this, [this] { m_controller.NewGroup(); });
    m_menuItems[Item::Refresh] = bar->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    MenuItem(Item::Refresh)->setObjectName("refreshItem");
    for (QMenu* menu : {m_filterMenu, m_sequenceMenu, m_groupsMenu, m_newMenu}) {
        connect(menu, &QMenu::aboutToShow, this, [this] { ShowMenuStates(); });
    }
}

void AlbumsWindow::BuildFilterMenu() {
    m_filterMenu = menuBar()->addMenu("Filter");
    m_filterMenu->setObjectName("filterMenu");
    auto* group = new QActionGroup(m_filterMenu);
    for (const AlbumRatingFilter filter : kAlbumRatingFilters) {
        QAction* item = m_filterMenu->addAction(AlbumRatingFilterCaption(filter), this,
                                                [this, filter] { m_controller.SetRatingFilter(filter); });
        item->setCheckable(true);
        group->addAction(item);
        m_filterItems[filter] = item;
    }
    m_filterMenu->addSeparator();
    m_menuItems[AlbumsMenuItem::HideMissing] = m_filterMenu->addAction(
        "Hide albums with no existing files", this, [this] { m_controller.ToggleHideMissing(); });
    MenuItem(AlbumsMenuItem::HideMissing)->setCheckable(true);
}

void AlbumsWindow::BuildSequenceMenu() {
    m_sequenceMenu = menuBar()->addMenu("Sequence");
    m_sequenceMenu->setObjectName("sequenceMenu");
    auto* group = new QActionGroup(m_sequenceMenu);
    for (const AlbumSort sort : kAlbumSorts) {
        QAction* item = m_sequenceMenu->addAction(AlbumSortCaption(sort), this,
                                                  [this, sort] { m_controller.SetSort(sort); });
        item->setCheckable(true);
        group->addAction(item);
        m_sortItems[sort] = item;
    }
}

void AlbumsWindow::BuildGroupsMenu() {
    using Item = AlbumsMenuItem;
    m_groupsMenu = menuBar()->addMenu("Groups");
    m_groupsMenu->setObjectName("groupsMenu");
    auto* views = new QActionGroup(m_groupsMenu);
    m_menuItems[Item::Expanded] =
        m_groupsMenu->addAction("Expanded", this, [this] { m_controller.SetView(AlbumView::Expanded); });
    m_menuItems[Item::Collapsed] =
        m_groupsMenu->addAction("Collapsed", this, [this] { m_controller.SetView(AlbumView::Collapsed); });
    for (QAction* item : {MenuItem(Item::Expanded), MenuItem(Item::Collapsed)}) {
        item->setCheckable(true);
        views->addAction(item);
    }
    m_groupsMenu->addSeparator();
    m_menuItems[Item::HideUngrouped] = m_groupsMenu->addAction(
        "Hide ungrouped albums", this, [this] { m_controller.ToggleHideUngrouped(); });
    MenuItem(Item::HideUngrouped)->setCheckable(true);
    m_groupsMenu->addSeparator();
    m_menuItems[Item::GroupsNew] = m_groupsMenu->addAction("New", this, [this] { m_controller.NewGroup(); });
}

void AlbumsWindow::BuildJumpButtons() {
    auto* bar = static_cast<QHBoxLayout*>(BottomBar()->layout());
    auto* start = new QToolButton(BottomBar());
    start->setObjectName("jumpStart");
    start->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    start->setToolTip("Jump to start of list");
    connect(start, &QToolButton::clicked, this, [this] { m_controller.JumpToStart(); });
    auto* end = new QToolButton(BottomBar());
    end->setObjectName("jumpEnd");
    end->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    end->setToolTip("Jump to end of list");
    connect(end, &QToolButton::clicked, this, [this] { m_controller.JumpToEnd(); });
    bar->insertWidget(0, start);
    bar->insertWidget(1, end);
}

void AlbumsWindow::AddPopupItem(AlbumPopupItem id, const QString& caption, std::function<void()> action) {
    QAction* item = m_popup->addAction(caption);
    connect(item, &QAction::triggered, this, std::move(action));
    m_popupItems[id] = item;
}

void AlbumsWindow::BuildPopup() {
    m_popup = new QMenu(this);
    m_popup->setObjectName("albumPopup");
    using Item = AlbumPopupItem;
    AlbumsController& c = m_controller;
    AddPopupItem(Item::List, "List ...", [&c] { c.OpenCurrentRow(); });
    AddPopupItem(Item::PlayWholeAlbum, "Play whole album", [&c] { c.PlayWholeAlbum(); });
    AddPopupItem(Item::ViewDetails, "View album details", [&c] { c.ViewDetails(); });
    AddPopupItem(Item::ListArtistSongs, "List songs by this artist", [&c] { c.ListArtistSongs(); });
    m_popup->addSeparator();
    AddPopupItem(Item::Rename, "Rename", [&c] { c.Rename(); });
    AddPopupItem(Item::AssignGenre, "Assign genre", [&c] { c.AssignGenre(); });
    AddPopupItem(Item::DeleteAlbum, "Delete album", [&c] { c.DeleteAlbum(); });
    AddPopupItem(Item::CopyAlbum, "Copy album", [&c] { c.CopyAlbum(); });
    AddPopupItem(Item::CopyGroup, "Copy group", [&c] { c.CopyGroup(); });
    m_popup->addSeparator();
    AddPopupItem(Item::SelectThisGroup, "Select this group", [&c] { c.SelectThisGroup(); });
    AddPopupItem(Item::SelectThisItem, "Select this Item", [&c] { c.SelectThisItem(); });
    AddPopupItem(Item::IncludeInSelectedGroup, "Include this Item in selected group",
                 [&c] { c.IncludeInSelectedGroup(); });
    AddPopupItem(Item::IncludeSelectedItem, "Include selected Item in this group",
                 [&c] { c.IncludeSelectedItem(); });
    AddPopupItem(Item::ExcludeFromGroup, "Exclude this Item from group", [&c] { c.ExcludeFromGroup(); });
    AddPopupItem(Item::DeleteGroup, "Delete group", [&c] { c.DeleteGroup(); });
    m_popup->addSeparator();
    AddPopupItem(Item::Singles, "Singles", [&c] { c.ListSingles(); });
}

void AlbumsWindow::OpenPopup(int row, const QPoint& globalPosition) {
    if (!m_controller.OpenPopup(row)) {
        return;
    }
    const AlbumPopupMenu& menu = m_controller.Popup();
    using Item = AlbumPopupItem;
    const auto item = [this](Item id) { return m_popupItems.at(id); };
    item(Item::PlayWholeAlbum)->setEnabled(menu.playEnabled);
    SetMenuCaption(item(Item::ViewDetails), menu.viewDetails);
    item(Item::ViewDetails)->setEnabled(menu.viewDetailsEnabled);
    SetMenuCaption(item(Item::ListArtistSongs), menu.listArtistSongs);
    item(Item::AssignGenre)->setEnabled(menu.assignGenreEnabled);
    item(Item::DeleteAlbum)->setEnabled(menu.isAlbum);
    item(Item::CopyAlbum)->setEnabled(menu.isAlbum);
    item(Item::CopyGroup)->setEnabled(menu.isGroup);
    item(Item::SelectThisGroup)->setEnabled(menu.isGroup);
    SetMenuCaption(item(Item::IncludeInSelectedGroup), menu.includeInSelected);
    SetMenuCaption(item(Item::IncludeSelectedItem), menu.includeSelected);
    item(Item::IncludeSelectedItem)->setEnabled(menu.isGroup);
    item(Item::ExcludeFromGroup)->setEnabled(menu.excludeEnabled);
    item(Item::DeleteGroup)->setEnabled(menu.isGroup);
    m_popup->popup(globalPosition);
}

void AlbumsWindow::EscapePressed() {
    if (!m_controller.EscapePressed()) {
        close();
    }
}

void AlbumsWindow::StateChanged() {
    setWindowTitle(m_controller.Caption());
    CountLabel()->setText(m_controller.CountLabel());
    ShowMenuStates();
}

void AlbumsWindow::ShowMenuStates() {
    using Item = AlbumsMenuItem;
    BackItem()->setEnabled(m_controller.BackEnabled());
    m_filterMenu->setTitle(m_controller.FilterMenuCaption());
    for (const auto& [filter, item] : m_filterItems) {
        item->setChecked(filter == m_controller.RatingFilter());
    }
    MenuItem(Item::HideMissing)->setChecked(m_controller.HideMissing());
    for (const auto& [sort, item] : m_sortItems) {
        item->setChecked(sort == m_controller.Sort());
    }
    m_sortItems.at(AlbumSort::SequenceNumber)->setEnabled(m_controller.SequenceSortEnabled());
    MenuItem(Item::Expanded)->setChecked(m_controller.View() == AlbumView::Expanded);
    MenuItem(Item::Collapsed)->setChecked(m_controller.View() == AlbumView::Collapsed);
    MenuItem(Item::HideUngrouped)->setChecked(m_controller.HideUngrouped());
    MenuItem(Item::HideUngrouped)->setEnabled(m_controller.HideUngroupedEnabled());
    MenuItem(Item::GroupsNew)->setEnabled(m_controller.NewGroupEnabled());
    MenuItem(Item::NewGroup)->setEnabled(m_controller.NewGroupEnabled());
}

}  // namespace sw
