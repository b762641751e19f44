#pragma once

#include <map>

#include "PlaylistsController.h"
#include "windows/main/LibraryListWindow.h"

class QAction;
class QMenu;

namespace sw {

/// The playlists window's menu-bar items, the items of its "Sequence" menu and of its pop-up, in
/// their menu order.
enum class PlaylistsCommand {
    Close,
    Refresh,
    New,
    ById,
    ByName,
    ByDate,
    SequenceHint,
    ListSongs,
    Rename,
    EditContent,
    Clear,
    Delete,
};

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
    QAction* Command(PlaylistsCommand command) const { return m_commands.at(command); }

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
    QMenu* m_popup = nullptr;
    std::map<PlaylistsCommand, QAction*> m_commands;
};

}  // namespace sw
