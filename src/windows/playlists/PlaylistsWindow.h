#pragma once

#include "windows/main/LibraryListWindow.h"
#include "PlaylistsController.h"

class QAction;
class QMenu;

namespace sw {

/// The "Playlists" window over PlaylistsController: the grid of playlists, its menus and pop-up,
/// and the pick bar shown while it serves as the playlist picker.
class PlaylistsWindow : public LibraryListWindow {
public:
    /// The identifier of the window's placement.
    static constexpr const char* kPlacementId = "FPlists";

    explicit PlaylistsWindow(PlaylistsController& controller, QWidget* parent = nullptr);
    ~PlaylistsWindow() override;

    PlaylistsController& Controller() { return m_controller; }
    QMenu* SequenceMenu() const { return m_sequence; }
    QMenu* PopupMenu() const { return m_popup; }
    /// The menu-bar, "Sequence" or pop-up item of that caption; null when there is none.
    QAction* Command(const QString& caption) const;

protected:
    int ControllerRow() const override { return m_controller.CurrentRow(); }
    void UserMovedTo(int row) override { m_controller.SetCurrentRow(row); }
    void RowClicked(int row) override { m_controller.RowClicked(row); }
    void PopupRequested(int row, const QPoint& at) override;
    void HeadingClicked(int column) override { m_controller.HeadingClicked(column); }
    void StateChanged() override;

private:
    PlaylistsController& m_controller;
    QMenu* m_sequence = nullptr;
    QAction* m_byId = nullptr;
    QAction* m_byName = nullptr;
    QAction* m_byDate = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_editContent = nullptr;
};

}  // namespace sw
