#include "PlaylistsWindow.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace sw {

PlaylistsWindow::PlaylistsWindow(PlaylistsController& controller, QWidget* parent)
    : LibraryListWindow(controller.Model(), {.searchBox = false, .pickBar = true}, parent),
      m_controller(controller) {
    setObjectName(kPlacementId);
    setWindowTitle("Playlists");
    resize(420, 420);

    using C = PlaylistsCommand;
    m_commands[C::Close] = menuBar()->addAction("Close", this, [this] { m_controller.Close(); });
    m_commands[C::Refresh] = menuBar()->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    m_commands[C::New] = menuBar()->addAction("New", this, [this] { m_controller.NewPlaylist(); });
    m_sequence = menuBar()->addMenu("Sequence");
    auto* orders = new QActionGroup(this);
    const auto order = [this, orders](C command, const QString& caption, PlaylistOrder value) {
        QAction* item = m_sequence->addAction(caption, this, [this, value] { m_controller.SetOrder(value); });
        item->setCheckable(true);
        orders->addAction(item);
        m_commands[command] = item;
    };
    order(C::ById, "by Id", PlaylistOrder::Id);
    order(C::ByName, "by Name", PlaylistOrder::Name);
    order(C::ByDate, "by Date", PlaylistOrder::Date);
    m_sequence->addSeparator();
    m_commands[C::SequenceHint] = m_sequence->addAction("(or click on column headings)");
    m_commands[C::SequenceHint]->setEnabled(false);

    m_popup = new QMenu(this);
    m_commands[C::ListSongs] =
        m_popup->addAction("List songs in playlist", this, [this] { m_controller.ListSongsInPlaylist(); });
    m_commands[C::Rename] =
        m_popup->addAction("Rename playlist", this, [this] { m_controller.RenamePlaylist(); });
    m_commands[C::EditContent] =
        m_popup->addAction("Edit playlist content", this, [this] { m_controller.EditPlaylistContent(); });
    m_commands[C::Clear] =
        m_popup->addAction("Clear playlist", this, [this] { m_controller.ClearCurrentPlaylist(); });
    m_commands[C::Delete] =
        m_popup->addAction("Delete playlist", this, [this] { m_controller.DeleteCurrentPlaylist(); });

    m_controller.SetDisplay(this);
    StateChanged();
}

PlaylistsWindow::~PlaylistsWindow() {
    m_controller.SetDisplay(nullptr);
}

void PlaylistsWindow::PopupRequested(int row, const QPoint& at) {
    m_controller.OpenPopup(row);
    CurrentRowChanged(row);
    // Without the now-playing queue there is nowhere to edit a playlist's content.
    Command(PlaylistsCommand::EditContent)->setEnabled(m_controller.EditContentEnabled());
    m_popup->popup(at);
}

void PlaylistsWindow::StateChanged() {
    Command(PlaylistsCommand::ById)->setChecked(m_controller.Order() == PlaylistOrder::Id);
    Command(PlaylistsCommand::ByName)->setChecked(m_controller.Order() == PlaylistOrder::Name);
    Command(PlaylistsCommand::ByDate)->setChecked(m_controller.Order() == PlaylistOrder::Date);
}

}  // namespace sw
