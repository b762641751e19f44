#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

#include "../main/LibraryListFixture.h"
#include "../songs/SongListFixture.h"
#include "../../playback/QueueTestSupport.h"
#include "windows/playlists/PlaylistsController.h"

namespace sw {
namespace {

const QString kBullet = QString(QChar(0x2022)) + " ";

/// The playlists window's controller over a throw-away catalogue, the songs list it hands
/// playlists to, a queue for editing them and a recording display.
class PlaylistsTest : public test::SongListFixture {
protected:
    PlaylistsTest() { m_controller.SetDisplay(&m_window); }

    /// A playlist with an entry per song; a null `date` leaves PLDATE empty.
    void Playlist(int id, const QString& name, std::optional<int> date = 0, const QList<int>& songNums = {}) {
        AddPlaylist(id, name, songNums);
        m_catalogue.ExecSqlCommit("update plist set pldate = " + (date ? QString::number(*date) : "null") +
                                  " where plid = " + QString::number(id));
    }
    /// Three playlists whose id, name and date orders all differ.
    void ThreePlaylists() {
        m_catalogue.ExecSqlCommit("delete from plist");
        Playlist(1, "Zed's list", 20230105);
        Playlist(2, "alpha", std::nullopt);
        Playlist(3, "Beta \"best\"", 20240510);
    }
    QList<int> Ids() const {
        QList<int> ids;
        for (int row = 0; row < m_controller.RowCount(); ++row) {
            ids << m_controller.IdAt(row);
        }
        return ids;
    }
    QStringList StoredNames() {
        const RowSet rows = m_catalogue.Select("select plname from plist order by plid");
        QStringList names;
        for (int row = 0; row < rows.RowCount(); ++row) {
            names << rows.Value(row, 0).toString();
        }
        return names;
    }
    void SelectRowOf(int id) { m_controller.SetCurrentRow(static_cast<int>(Ids().indexOf(id))); }

    QueueController m_queue{m_library, m_playlists};
    test::FakePlayer m_player{m_queue};
    test::RecordingListDisplay m_window;
    PlaylistsController m_controller{m_library, m_playlists, m_list};
};

TEST_F(PlaylistsTest, EachOrderListsThePlaylistsUnderItsBulletedHeading) {
    ThreePlaylists();
    const auto heading = [this](int column) { m_controller.HeadingClicked(column); };
    const std::vector<std::tuple<std::function<void()>, QList<int>, QString>> cases{
        {[this] { m_controller.SetOrder(PlaylistOrder::Id); }, {1, 2, 3}, kBullet + "Id |Name |Date"},
        {[&] { heading(2); }, {2, 1, 3}, "Id |Name |Date"},
        {[&] { heading(1); }, {2, 3, 1}, "Id |" + kBullet + "Name |Date"},  // names ignore case
        {[&] { heading(3); }, {2, 3, 1}, "Id |" + kBullet + "Name |Date"},  // not an order
    };
    for (const auto& [choose, ids, headings] : cases) {
        choose();
        EXPECT_EQ(Ids(), ids) << headings.toStdString();
        QStringList shown;
        for (int column = 0; column < 3; ++column) {
            shown << m_controller.Model().headerData(column, Qt::Horizontal).toString();
        }
        EXPECT_EQ(shown.join('|'), headings);
    }
    EXPECT_EQ(m_controller.Model().RowTexts(0), (QStringList{"2", "alpha", "0000-00-00"}));
    EXPECT_EQ(m_controller.Model().RowTexts(1), (QStringList{"3", "Beta \"best\"", "2024-05-10"}));
    EXPECT_EQ(m_controller.Model().RowTexts(2), (QStringList{"1", "Zed's list", "2023-01-05"}));
}

TEST_F(PlaylistsTest, ARefreshStaysOnThePlaylistOrEndsOnTheLastRowWhenItIsGone) {
    struct Case {
        const char* name;
        int current;
        QString change;
        int expected;  // 0: no current row
    };
    const std::vector<Case> cases{
        {"one added before it", 3, "insert into plist (plid, plname) values (9, 'Aardvark')", 3},
        {"it was deleted", 2, "delete from plist where plid = 2", 1},
        {"all were deleted", 3, "delete from plist", 0},
    };
    for (const Case& each : cases) {
        ThreePlaylists();
        m_controller.SetOrder(PlaylistOrder::Name);
        SelectRowOf(each.current);
        m_catalogue.ExecSqlCommit(each.change);
        m_controller.RefreshPlaylistList();
        EXPECT_EQ(m_controller.CurrentPlaylistId(), each.expected) << each.name;
        EXPECT_EQ(m_controller.CurrentRow(), static_cast<int>(Ids().indexOf(each.expected))) << each.name;
    }
}

TEST_F(PlaylistsTest, AClickListsThePlaylistsSongsAndCommandsWithoutARowDoNothing) {
    m_list.SetQueue(&m_queue, &m_player);
    m_controller.ShowPlaylistsWindow();
    for (auto command :
         {&PlaylistsController::ListSongsInPlaylist, &PlaylistsController::RenamePlaylist,
          &PlaylistsController::EditPlaylistContent, &PlaylistsController::ClearCurrentPlaylist,
          &PlaylistsController::DeleteCurrentPlaylist}) {
        (m_controller.*command)();
    }
    m_controller.RowClicked(0);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
    EXPECT_EQ(m_list.Mode(), SongListMode::Singles);

    const int song = AddSong({});
    Playlist(1, "One", 0, {song, song});
    Playlist(2, "Two", 0, {song});
    m_controller.RefreshPlaylistList();
    m_controller.RowClicked(1);
    EXPECT_EQ(m_list.PlaylistId(), 2);
    EXPECT_EQ(m_playlists.TargetPlaylist().Name, "Two");
    m_controller.OpenPopup(0);
    m_controller.ListSongsInPlaylist();
    EXPECT_EQ(m_list.RowCount(), 2);
    EXPECT_EQ(m_window.closes, 0);
}

TEST_F(PlaylistsTest, RenameStoresTheNameAsTypedAndCommitsIt) {
    const QString fifty = QString("x").repeated(50);
    const QString taken = "A playlist with this name already exists: #1 \"Other\"";
    const std::vector<std::tuple<QString, QString, QString>> cases{
        {"O'Brien's 'best'", "O'Brien's 'best'", ""},
        {"The \"real\" one", "The \"real\" one", ""},
        {"ROCK", "ROCK", ""},  // only the letter case changed
        {fifty, fifty.left(40), ""},
        {"", "Rock", ""},  // emptied: the old name stays
        {"<cancel>", "Rock", ""},
        {"Other", "Rock", taken},  // another playlist's name, in any letter case
        {"oTHER", "Rock", taken},
    };
    for (const auto& [answer, stored, said] : cases) {
        m_catalogue.ExecSqlCommit("delete from plist");
        Playlist(1, "Other");
        Playlist(7, "Rock");
        m_playlists.TargetPlaylist() = {7, "Rock"};
        m_controller.RefreshPlaylistList();
        SelectRowOf(7);
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer(answer);
        m_controller.RenamePlaylist();
        m_catalogue.Rollback();  // only what was committed stays
        EXPECT_EQ(StoredNames(), (QStringList{"Other", stored})) << answer.toStdString();
        EXPECT_EQ(m_playlists.TargetPlaylist().Name, stored) << answer.toStdString();
        EXPECT_EQ(m_controller.NameAt(m_controller.CurrentRow()), stored) << answer.toStdString();
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), said.isEmpty() ? QStringList{} : QStringList{said})
            << answer.toStdString();
        EXPECT_TRUE(m_dialogs.TextsOf("INPUT").front().startsWith("Edit playlist name -> "));
    }
}

TEST_F(PlaylistsTest, EveryChangingCommandIsRefusedOnAReadOnlyCatalogue) {
    const int song = AddSong({});
    Playlist(3, "Keep", 0, {song});
    m_list.SetQueue(&m_queue, &m_player);
    m_settings.READONLY = true;
    m_controller.ShowPlaylistsWindow();
    // No answers are queued: a command that went on would be answered Yes, OK or "as shown".
    for (auto command :
         {&PlaylistsController::NewPlaylist, &PlaylistsController::RenamePlaylist,
          &PlaylistsController::EditPlaylistContent, &PlaylistsController::ClearCurrentPlaylist,
          &PlaylistsController::DeleteCurrentPlaylist}) {
        m_dialogs.ClearTranscript();
        (m_controller.*command)();
        ASSERT_EQ(m_dialogs.Transcript().size(), 1);
        EXPECT_TRUE(
            m_dialogs.Transcript().front().startsWith("INFO: Cannot make changes, database is read-only"));
        EXPECT_EQ(StoredNames(), QStringList{"Keep"});
        EXPECT_EQ(Entries(3).size(), 1);
        EXPECT_EQ(m_queue.RowCount(), 0);
    }
}

TEST_F(PlaylistsTest, NewMovesToThePlaylistMadeOrToTheOneOfThatName) {
    Playlist(1, "Old");
    Playlist(2, "Zulu");
    m_controller.ShowPlaylistsWindow();
    m_dialogs.QueueAnswers({"Mid's", "Zulu"});
    m_controller.NewPlaylist();
    EXPECT_EQ(Ids(), (QList<int>{3, 1, 2}));
    EXPECT_EQ(m_controller.CurrentPlaylistId(), 3);
    m_controller.NewPlaylist();
    EXPECT_EQ(m_controller.CurrentPlaylistId(), 2);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"A playlist with this name already exists"});
    EXPECT_EQ(StoredNames(), (QStringList{"Old", "Zulu", "Mid's"}));
}

TEST_F(PlaylistsTest, DeleteForgetsTheSharedReferencesToThePlaylist) {
    const int song = AddSong({});
    Playlist(1, "A", 0, {song});
    Playlist(2, "B", 0, {song});
    Playlist(3, "C");
    m_controller.ShowPlaylistsWindow();
    SelectRowOf(2);
    m_playlists.Shared() = {{2, "B"}, {2, "B"}};
    m_dialogs.QueueAnswers({"No", "Yes", "Yes"});
    m_controller.DeleteCurrentPlaylist();
    EXPECT_EQ(m_playlists.TargetPlaylist().Id, 2) << "declined";
    m_controller.DeleteCurrentPlaylist();
    m_catalogue.Rollback();
    EXPECT_EQ(StoredNames(), (QStringList{"A", "C"}));
    EXPECT_TRUE(Entries(2).isEmpty());
    EXPECT_EQ(m_playlists.Shared().TargetPlaylist.Id, 0);
    EXPECT_EQ(m_playlists.Shared().QueueSourcePlaylist.Id, 0);
    EXPECT_EQ(m_controller.CurrentPlaylistId(), 3) << "the last row";

    m_playlists.Shared().TargetPlaylist = {1, "A"};
    m_controller.DeleteCurrentPlaylist();
    EXPECT_EQ(StoredNames(), QStringList{"A"});
    EXPECT_EQ(m_playlists.TargetPlaylist().Id, 1) << "another playlist's deletion";
}

TEST_F(PlaylistsTest, EditContentFillsTheQueueWithThePlaylistOnlyWhileItExists) {
    const int first = AddSong({.title = "First"});
    Playlist(4, "Edit me", 0, {AddSong({.title = "Second"}), first});
    m_controller.ShowPlaylistsWindow();
    EXPECT_FALSE(m_controller.EditContentEnabled());
    m_list.SetQueue(&m_queue, &m_player);
    ASSERT_TRUE(m_controller.EditContentEnabled());
    m_controller.EditPlaylistContent();
    ASSERT_EQ(m_queue.RowCount(), 2);
    EXPECT_EQ(m_queue.SongAt(1)->Song().Title, "Second");
    EXPECT_EQ(m_queue.QueueSourcePlaylist().Id, 4);

    // Gone since the list was read: the songs window still shows it, but it is not queued again.
    m_catalogue.ExecSqlCommit("delete from plist where plid = 4");
    m_queue.ClearQueueFrom(0);
    m_controller.EditPlaylistContent();
    EXPECT_EQ(m_queue.RowCount(), 0);
    EXPECT_TRUE(Ids().isEmpty());
}

TEST_F(PlaylistsTest, ThePickerFillsTheRecordOnlyWhenARowIsPicked) {
    struct Case {
        const char* name;
        bool withPlaylists;
        std::function<void()> user;
        bool picked;
        Tplist record;
    };
    const Tplist before{9, "Before"};
    const auto select = [this] {
        m_controller.SetCurrentRow(1);
        m_window.CloseListWindow(true);
    };
    const std::vector<Case> cases{
        {"Select", true, select, true, {1, "Zed's list"}},
        {"a click on a row", true, [this] { m_controller.RowClicked(0); }, true, {2, "alpha"}},
        {"Cancel", true, [this] { m_window.CloseListWindow(false); }, false, before},
        {"Close", true, [this] { m_controller.Close(); }, false, before},
        {"Select with no playlists", false, select, false, before},
        {"a click with no playlists", false, [this] { m_controller.RowClicked(0); }, false, before},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from plist");
        if (each.withPlaylists) {
            Playlist(2, "alpha");
            Playlist(1, "Zed's list");
        }
        bool picking = false;
        m_window.duringModal = [&] {
            picking = m_controller.Picking();
            each.user();
        };
        Tplist record = before;
        EXPECT_EQ(m_controller.PickPlaylist(record), each.picked) << each.name;
        EXPECT_EQ(record.Id, each.record.Id) << each.name;
        EXPECT_EQ(record.Name, each.record.Name) << each.name;
        EXPECT_TRUE(picking) << each.name;
        EXPECT_FALSE(m_controller.Picking()) << each.name;
        EXPECT_EQ(m_list.Mode(), SongListMode::Singles) << each.name << ": picking lists no songs";
    }
}

TEST_F(PlaylistsTest, TheSongsWindowsSelectionChangesTheTargetOnlyOnAPick) {
    m_list.Hooks().selectPlaylist = [this] { return m_controller.SelectTargetPlaylist(); };
    Playlist(6, "Six");
    Playlist(7, "Seven");
    m_playlists.TargetPlaylist() = {8, "Eight"};
    m_window.duringModal = [this] { m_window.CloseListWindow(false); };
    EXPECT_FALSE(m_list.SelectPlaylist());
    EXPECT_EQ(m_playlists.TargetPlaylist().Name, "Eight");
    m_window.duringModal = [this] { m_controller.RowClicked(0); };
    EXPECT_TRUE(m_list.SelectPlaylist());
    EXPECT_EQ(m_playlists.TargetPlaylist().Id, 7);
    EXPECT_EQ(m_playlists.TargetPlaylist().Name, "Seven");
}

}  // namespace
}  // namespace sw
