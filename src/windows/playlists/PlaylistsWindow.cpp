#include "PlaylistsWindow.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "windows/main/WindowHelpers.h"

namespace sw {

PlaylistsWindow::PlaylistsWindow(PlaylistsController& controller, QWidget* parent)
    : LibraryListWindow(controller.Model(), {.searchBox = false, .pickBar = true}, parent),
      m_controller(controller) {
    setObjectName(kPlacementId);
    setWindowTitle("Playlists");
    resize(420, 420);

    menuBar()->addAction("Close", this, [this] { m_controller.Close(); });
    menuBar()->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    menuBar()->addAction("New", this, [this] { m_controller.NewPlaylist(); });
    m_sequence = menuBar()->addMenu("Sequence");
    auto* orders = new QActionGroup(this);
    const auto order = [this, orders](const QString& caption, PlaylistOrder value) {
        QAction* item = m_sequence->addAction(caption, this, [this, value] { m_controller.SetOrder(value); });
        item->setCheckable(true);
        orders->addAction(item);
        return item;
    };
    m_byId = order("by Id", PlaylistOrder::Id);
    m_byName = order("by Name", PlaylistOrder::Name);
    m_byDate = order("by Date", PlaylistOrder::Date);
    m_sequence->addSeparator();
    m_sequence->addAction("(or click on column headings)")->setEnabled(false);

    m_popup = new QMenu(this);
    m_popup->addAction("List songs in playlist", this, [this] { m_controller.ListSongsInPlaylist(); });
    m_popup->addAction("Rename playlist", this, [this] { m_controller.RenamePlaylist(); });
    m_editContent =
        m_popup->addAction("Edit playlist content", this, [this] { m_controller.EditPlaylistContent(); });
    m_popup->addAction("Clear playlist", this, [this] { m_controller.ClearCurrentPlaylist(); });
    m_popup->addAction("Delete playlist", this, [this] { m_controller.DeleteCurrentPlaylist(); });

    m_controller.SetDisplay(this);
    StateChanged();
}

PlaylistsWindow::~PlaylistsWindow() {
    m_controller.SetDisplay(nullptr);
}

QAction* PlaylistsWindow::Command(const QString& caption) const {
    return FindAction(this, caption);
}

void PlaylistsWindow::PopupRequested(int row, const QPoint& at) {
    m_controller.OpenPopup(row);
    CurrentRowChanged(row);
    // Without the now-playing queue there is nowhere to edit a playlist's content.
    m_editContent->setEnabled(m_controller.EditContentEnabled());
    m_popup->popup(at);
}

void PlaylistsWindow::StateChanged() {
    m_byId->setChecked(m_controller.Order() == PlaylistOrder::Id);
    m_byName->setChecked(m_controller.Order() == PlaylistOrder::Name);
    m_byDate->setChecked(m_controller.Order() == PlaylistOrder::Date);
}

}  // namespace sw
