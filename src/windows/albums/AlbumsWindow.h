#pragma once

#include <QString>
#include <functional>
#include <map>

#include "AlbumsController.h"
#include "windows/main/LibraryListWindow.h"

class QAction;
class QMenu;
class QToolButton;

namespace sw {

/// The items of the albums window's row pop-up, in their menu order.
enum class AlbumPopupItem {
    List,
    PlayWholeAlbum,
    ViewDetails,
    ListArtistSongs,
    Rename,
    AssignGenre,
    DeleteAlbum,
    CopyAlbum,
    CopyGroup,
    SelectThisGroup,
    SelectThisItem,
    IncludeInSelectedGroup,
    IncludeSelectedItem,
    ExcludeFromGroup,
    DeleteGroup,
    Singles,
};

/// The albums window's menu-bar items and the items of its menus, in their menu order; the rating
/// filters and the sorts go by AlbumRatingFilter and AlbumSort.
enum class AlbumsMenuItem {
    Back,
    HideMissing,
    Expanded,
    Collapsed,
    HideUngrouped,
    GroupsNew,
    NewAlbum,
    NewGroup,
    Refresh,
};

/// The "Albums" window: the albums controller's list in the shared list frame, its menus, the row
/// pop-up and the jump buttons. Created once; the controller's requests show it.
class AlbumsWindow : public LibraryListWindow {
public:
    explicit AlbumsWindow(AlbumsController& controller, QWidget* parent = nullptr);
    ~AlbumsWindow() override;

    AlbumsController& Controller() { return m_controller; }
    QMenu* PopupMenu() const { return m_popup; }
    QMenu* FilterMenu() const { return m_filterMenu; }
    QMenu* SequenceMenu() const { return m_sequenceMenu; }
    QMenu* GroupsMenu() const { return m_groupsMenu; }
    QMenu* NewMenu() const { return m_newMenu; }
    QAction* BackItem() const { return MenuItem(AlbumsMenuItem::Back); }
    QAction* MenuItem(AlbumsMenuItem item) const { return m_menuItems.at(item); }
    /// The "Filter" menu's item that sets the rating filter.
    QAction* FilterItem(AlbumRatingFilter filter) const { return m_filterItems.at(filter); }
    /// The "Sequence" menu's item that sets the sort.
    QAction* SequenceItem(AlbumSort sort) const { return m_sortItems.at(sort); }
    /// The pop-up's item (its shown caption may differ from the one it was built with).
    QAction* PopupItem(AlbumPopupItem item) const { return m_popupItems.at(item); }

    /// Opens the pop-up menu over the row at the global position, as a right click does.
    void OpenPopup(int row, const QPoint& globalPosition);

protected:
    int ControllerRow() const override { return m_controller.CurrentRow(); }
    void UserMovedTo(int row) override { m_controller.SetCurrentRow(row); }
    void RowClicked(int row) override { m_controller.RowClicked(row); }
    void PopupRequested(int row, const QPoint& at) override { OpenPopup(row, at); }
    void HeadingClicked(int column) override { m_controller.HeadingClicked(column); }
    void SearchTyped(const QString& text) override { m_controller.SearchTyped(text); }
    void EnterPressed() override { m_controller.OpenCurrentRow(); }
    void EscapePressed() override;
    void Activated() override { m_controller.WindowActivated(); }
    void StateChanged() override;

private:
    void BuildMenus();
    void BuildFilterMenu();
    void BuildSequenceMenu();
    void BuildGroupsMenu();
    void BuildPopup();
    void BuildJumpButtons();
    void AddPopupItem(AlbumPopupItem id, const QString& caption, std::function<void()> action);
    void ShowMenuStates();

    AlbumsController& m_controller;
    std::map<AlbumsMenuItem, QAction*> m_menuItems;
    QMenu* m_filterMenu = nullptr;
    std::map<AlbumRatingFilter, QAction*> m_filterItems;
    QMenu* m_sequenceMenu = nullptr;
    std::map<AlbumSort, QAction*> m_sortItems;
    QMenu* m_groupsMenu = nullptr;
    QMenu* m_newMenu = nullptr;
    QMenu* m_popup = nullptr;
    std::map<AlbumPopupItem, QAction*> m_popupItems;
};

}  // namespace sw
