#pragma once

#include <map>

#include "ArtistsController.h"
#include "windows/main/LibraryListWindow.h"

class QAction;
class QMenu;

namespace sw {

/// The items of the artists window's row pop-up, below its caption line.
enum class ArtistPopupItem { ListSongs, Details, Rename, Play, CopyArtist };

/// The items of the artists window's menu bar besides its Filter menu, whose items go by ArtistsView.
enum class ArtistsMenuItem { Close, Refresh, RemoveAll };

/// The artists window: the controller's list in the shared list frame, its main menu ("Close",
/// "Refresh", the Filter menu of the four views, "RemoveAll") and the row pop-up.
class ArtistsWindow : public LibraryListWindow {
public:
    explicit ArtistsWindow(ArtistsController& controller, QWidget* parent = nullptr);
    ~ArtistsWindow() override;

    ArtistsController& Controller() { return m_controller; }
    QMenu* FilterMenu() const { return m_filterMenu; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    QAction* RemoveAllItem() const { return MenuItem(ArtistsMenuItem::RemoveAll); }
    QAction* MenuItem(ArtistsMenuItem item) const { return m_menuItems.at(item); }
    /// The Filter menu's item that chooses the view.
    QAction* FilterItem(ArtistsView view) const { return m_viewItems.at(view); }
    /// The pop-up's item; the caption line above them is the pop-up's first action.
    QAction* PopupItem(ArtistPopupItem item) const { return m_popupItems.at(item); }

    /// Fills the pop-up for the row and opens it at the global position (as a right click does).
    void OpenPopup(int row, const QPoint& globalPosition);

protected:
    int ControllerRow() const override { return m_controller.CurrentRow(); }
    void UserMovedTo(int row) override { m_controller.SetCurrentRow(row); }
    void RowClicked(int row) override { m_controller.RowClicked(row); }
    void PopupRequested(int row, const QPoint& at) override { OpenPopup(row, at); }
    void SearchTyped(const QString& text) override { m_controller.SearchTyped(text); }
    void EnterPressed() override { m_controller.EnterPressed(); }
    void Activated() override;
    void Shown() override { m_controller.Activated(); }
    void StateChanged() override;

private:
    void BuildMenus();
    void BuildPopup();

    ArtistsController& m_controller;
    std::map<ArtistsMenuItem, QAction*> m_menuItems;
    QMenu* m_filterMenu = nullptr;
    std::map<ArtistsView, QAction*> m_viewItems;
    QMenu* m_popupMenu = nullptr;
    QAction* m_popupCaption = nullptr;
    std::map<ArtistPopupItem, QAction*> m_popupItems;
};

}  // namespace sw
