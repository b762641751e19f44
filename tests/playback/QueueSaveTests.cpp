#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "QueueTestSupport.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

using test::QueueRig;

// Playlist entries as "seq:songnum".
QStringList Entries(Catalogue& catalogue, int playlist) {
    RowSet rows = catalogue.Select(
        "select seq, songnum from songinpl where plid = " + QString::number(playlist) + " order by seq");
    QStringList entries;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        entries << QString("%1:%2").arg(rows.Int("SEQ")).arg(rows.Int("SONGNUM"));
    }
    return entries;
}

class QueueSave : public ::testing::Test {
protected:
    QueueSave() : m_installed(m_dialogs) {}

    /// A playlist with entries at these seqs (songs 1, 2, ...), made the queue's source.
    void EditPlaylist(const std::vector<int>& seqs) {
        m_rig.playlists.CreatePlaylistNamed("Sunday's best");
        const Tplist target = m_rig.playlists.TargetPlaylist();
        for (std::size_t i = 0; i < seqs.size(); ++i) {
            m_rig.playlists.InsertPlaylistEntry(m_rig.Song(static_cast<int>(i) + 1), target.Id, seqs[i]);
        }
        m_rig.catalogue.CommitAndContinue();
        m_queue.QueueSourcePlaylist() = target;
        m_queue.SetQueueTitle();
    }
    void SkipRow(int row) {
        m_queue.SetSelection(row, row, row);
        m_queue.ToggleSkipSelected();
    }

    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    QueueRig m_rig{true};
    QueueController& m_queue = m_rig.queue;
};

TEST_F(QueueSave, ANewPlaylistGetsEveryRowAtItsPosition) {
    m_rig.Fill(3);
    m_dialogs.QueueAnswer("Mix");
    EXPECT_TRUE(m_queue.SaveQueueAsPlaylist());
    const Tplist source = m_queue.QueueSourcePlaylist();
    EXPECT_EQ(source.Name, "Mix");
    EXPECT_EQ(Entries(m_rig.catalogue, source.Id), (QStringList{"1:1", "2:2", "3:3"}));
    EXPECT_FALSE(m_queue.QueueChanged());
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Playlist \"Mix\" saved ok"});
    // Unchanged since: asked first, and No saves nothing.
    m_dialogs.QueueAnswer("No");
    EXPECT_FALSE(m_queue.SaveQueueAsPlaylist());
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(), "Playlist has not been changed - save it anyway ? -> No");
}

struct SkipAnswer {
    const char* name;
    QString answer;
    bool saved;
    QStringList entries;
};

class SavingSkippedRows : public ::testing::TestWithParam<SkipAnswer> {};

TEST_P(SavingSkippedRows, FollowTheAnswer) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    QueueRig rig(true);
    rig.Fill(4);
    rig.queue.SetSelection(2, 2, 2);
    rig.queue.ToggleSkipSelected();
    rig.queue.SetSelection(4, 4, 4);
    rig.queue.ToggleSkipSelected();
    dialogs.QueueAnswers({GetParam().answer, "Skips"});
    EXPECT_EQ(rig.queue.SaveQueueAsPlaylist(), GetParam().saved);
    EXPECT_TRUE(
        dialogs.TextsOf("CHOICE").front().startsWith("The Skip indicator is not saved.\\nSkipped songs can "
                                                     "be all unskipped or all dropped\\n(or click Cancel to "
                                                     "tackle individually) [unskip | drop]"));
    EXPECT_EQ(Entries(rig.catalogue, rig.playlists.TargetPlaylist().Id), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Answers, SavingSkippedRows,
                         ::testing::Values(SkipAnswer{"Unskip", "1", true, {"1:1", "2:2", "3:3", "4:4"}},
                                           SkipAnswer{"DropLeavesGaps", "2", true, {"1:1", "3:3"}},
                                           SkipAnswer{"Cancel", "0", false, {}}),
                         [](const testing::TestParamInfo<SkipAnswer>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(QueueSave, OverwritingTheSourcePlaylistReplacesItsEntries) {
    EditPlaylist({1, 2, 7});
    EXPECT_EQ(m_queue.Caption(), "Now playing : Playlist #1 \"Sunday's best\"");
    m_queue.AppendToQueue(3);
    m_queue.AppendToQueue(1);
    m_dialogs.QueueAnswers({"1", "1"});
    EXPECT_TRUE(m_queue.SaveQueueAsPlaylist());
    EXPECT_EQ(
        m_dialogs.TextsOf("CHOICE"),
        (QStringList{
            "Update existing playlist \"Sunday's best\", or create new ? [Update existing | Create new] -> 1",
            "Overwrite existing playlist, or Append to it ? [Overwrite | Append] -> 1"}));
    EXPECT_EQ(Entries(m_rig.catalogue, 1), (QStringList{"1:3", "2:1"}));
}

TEST_F(QueueSave, AppendingNumbersTheRowsAfterTheHighestSeqSoSeqsStayUnique) {
    EditPlaylist({1, 2, 7});
    m_queue.AppendToQueue(3);
    m_queue.AppendToQueue(2);
    m_queue.AppendToQueue(1);
    SkipRow(2);
    m_dialogs.QueueAnswers({"2", "1", "2"});  // drop skipped rows, update, append
    EXPECT_TRUE(m_queue.SaveQueueAsPlaylist());
    EXPECT_EQ(Entries(m_rig.catalogue, 1), (QStringList{"1:1", "2:2", "7:3", "8:3", "10:1"}));
}

TEST_F(QueueSave, CreatingNewForgetsTheSourceAndAsksForAName) {
    EditPlaylist({1});
    m_queue.AppendToQueue(1);
    m_dialogs.QueueAnswers({"2", "Copy"});
    EXPECT_TRUE(m_queue.SaveQueueAsPlaylist());
    EXPECT_EQ(m_queue.QueueSourcePlaylist().Name, "Copy");
    EXPECT_EQ(Entries(m_rig.catalogue, m_queue.QueueSourcePlaylist().Id), QStringList{"1:1"});
    EXPECT_EQ(Entries(m_rig.catalogue, 1), QStringList{"1:1"});
}

TEST_F(QueueSave, CancellingAnyQuestionSavesNothing) {
    EditPlaylist({1});
    m_queue.AppendToQueue(1);
    for (const QStringList& answers :
         {QStringList{"0"}, QStringList{"1", "0"}, QStringList{"2", "<cancel>"}}) {
        m_dialogs.QueueAnswers(answers);
        EXPECT_FALSE(m_queue.SaveQueueAsPlaylist()) << answers.join(',').toStdString();
        EXPECT_TRUE(m_queue.QueueChanged());
    }
    EXPECT_EQ(Entries(m_rig.catalogue, 1), QStringList{"1:1"});
}

// Saving under the name of a playlist that exists, typed for a new one: the queue replaces its
// entries when the user agrees, and nothing is written otherwise. Either way no seq is there twice.
struct ExistingNameCase {
    const char* name;
    bool fromSource;  // the queue was filled from that playlist and "Create new" was chosen
    QString answer;
    bool saved;
    QStringList entries;
};

class SavingUnderAnExistingName : public QueueSave, public ::testing::WithParamInterface<ExistingNameCase> {};

TEST_P(SavingUnderAnExistingName, ReplacesItsEntriesOnlyWhenTheUserAgrees) {
    const ExistingNameCase& c = GetParam();
    EditPlaylist({1, 2, 7});
    if (!c.fromSource) {
        ForgetPlaylist(m_queue.QueueSourcePlaylist());
        ForgetPlaylist(m_rig.playlists.TargetPlaylist());
    }
    m_queue.AppendToQueue(3);
    m_queue.AppendToQueue(1);
    QStringList answers{"Sunday's best", c.answer};
    if (c.fromSource) {
        answers.prepend("2");
    }
    m_dialogs.QueueAnswers(answers);
    EXPECT_EQ(m_queue.SaveQueueAsPlaylist(), c.saved);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(),
              "A playlist with this name already exists - replace its songs with the queue ? -> " + c.answer);
    EXPECT_EQ(Entries(m_rig.catalogue, 1), c.entries);
    EXPECT_EQ(m_rig.catalogue.Select("select count(*) as ct from plist").Int("CT"), 1);
    EXPECT_EQ(m_queue.QueueChanged(), !c.saved);
    if (c.saved) {
        EXPECT_EQ(m_queue.QueueSourcePlaylist().Id, 1);
        EXPECT_EQ(m_rig.playlists.TargetPlaylist().Id, 1);
        EXPECT_EQ(m_dialogs.TextsOf("FLASH").last(), "Playlist \"Sunday's best\" saved ok");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SavingUnderAnExistingName,
    ::testing::Values(ExistingNameCase{"Yes", false, "Yes", true, {"1:3", "2:1"}},
                      ExistingNameCase{"No", false, "No", false, {"1:1", "2:2", "7:3"}},
                      ExistingNameCase{"Cancel", false, "Cancel", false, {"1:1", "2:2", "7:3"}},
                      ExistingNameCase{"CreateNewUnderTheSourcesName", true, "Yes", true, {"1:3", "2:1"}},
                      ExistingNameCase{"CreateNewRefused", true, "No", false, {"1:1", "2:2", "7:3"}}),
    [](const testing::TestParamInfo<ExistingNameCase>& param) { return std::string(param.param.name); });

// A statement that fails part-way through a save leaves the catalogue as it was before the save:
// neither a half-replaced playlist nor a new one without its songs.
TEST_F(QueueSave, AFailedWriteLeavesEveryPlaylistAsItWas) {
    EditPlaylist({5, 6});
    ForgetPlaylist(m_queue.QueueSourcePlaylist());
    m_rig.Fill(3);
    m_rig.catalogue.ExecSqlCommit("alter table songinpl add constraint no_third_song check (songnum <> 3)");
    for (const QStringList& answers : {QStringList{"Sunday's best", "Yes"}, QStringList{"Fresh"}}) {
        m_dialogs.QueueAnswers(answers);
        EXPECT_ANY_THROW(m_queue.SaveQueueAsPlaylist()) << answers.join(',').toStdString();
        EXPECT_TRUE(m_queue.QueueChanged());
    }
    // The next command's commit finds nothing of the failed saves to make durable.
    m_rig.catalogue.CommitAndContinue();
    EXPECT_EQ(Entries(m_rig.catalogue, 1), (QStringList{"5:1", "6:2"}));
    EXPECT_EQ(m_rig.catalogue.Select("select count(*) as ct from plist").Int("CT"), 1);
    EXPECT_EQ(m_rig.playlists.TargetPlaylist().Id, 1);
    EXPECT_EQ(m_queue.QueueSourcePlaylist().Id, 0);
}

TEST_F(QueueSave, ClearingForgetsTheSourceAndClosingOffersToSave) {
    EditPlaylist({1});
    m_queue.AppendToQueue(1);
    m_dialogs.QueueAnswers({"1", "2"});
    m_queue.WindowClosing();  // changed and edited from a playlist: saved (appended)
    EXPECT_EQ(Entries(m_rig.catalogue, 1), (QStringList{"1:1", "2:1"}));
    m_queue.WindowClosing();  // saved since: nothing asked
    EXPECT_EQ(m_dialogs.TextsOf("CHOICE").size(), 2);
    m_queue.ClearQueueFrom(0);
    EXPECT_EQ(m_queue.QueueSourcePlaylist().Id, 0);
    EXPECT_EQ(m_queue.Caption(), "Now playing");
    m_queue.AppendToQueue(1);
    m_queue.WindowClosing();  // no source, prompting off
    EXPECT_EQ(m_dialogs.TextsOf("CHOICE").size(), 2);
    m_queue.TogglePromptToSave();
    m_dialogs.QueueAnswer("Closing");
    m_queue.WindowClosing();
    EXPECT_EQ(m_queue.QueueSourcePlaylist().Name, "Closing");
}

TEST_F(QueueSave, ClearAllSavingFirstKeepsTheRowsWhenTheSaveIsCancelled) {
    m_rig.Fill(2);
    m_dialogs.QueueAnswer("<cancel>");
    m_queue.ClearAllSavingFirst();
    EXPECT_EQ(m_queue.RowCount(), 2);
    m_dialogs.QueueAnswer("Kept");
    m_queue.ClearAllSavingFirst();
    EXPECT_TRUE(m_queue.QueueIsEmpty());
}

TEST_F(QueueSave, ThePopupFollowsItsRowAndTheTargetPlaylist) {
    m_rig.Fill(2);
    TSong missing = m_rig.Song(3, false);
    missing.Exi = true;
    m_queue.AppendToQueue(missing);
    SkipRow(2);
    EXPECT_FALSE(m_queue.OpenPopup(0));
    EXPECT_FALSE(m_queue.OpenPopup(4));
    ASSERT_TRUE(m_queue.OpenPopup(2));
    EXPECT_EQ(m_queue.Cursor(), 2);
    const QueuePopupMenu& menu = m_queue.Popup();
    EXPECT_TRUE(menu[PopupItem::Skip].checked);
    EXPECT_FALSE(menu[PopupItem::AddToPlaylist].enabled);
    EXPECT_EQ(menu[PopupItem::AddToPlaylist].caption, "Add to playlist x");
    EXPECT_EQ(menu[PopupItem::AddToAnotherPlaylist].caption, "Add to playlist");
    EXPECT_EQ(menu[PopupItem::MoreInAlbum].caption, "- in this Album (#0)");
    EXPECT_TRUE(menu[PopupItem::DeleteMusicFile].enabled);
    // Windows that are not part of the program yet keep their items greyed.
    EXPECT_FALSE(menu[PopupItem::ViewSongDetails].enabled);
    EXPECT_FALSE(menu[PopupItem::EditSong].enabled);

    m_rig.playlists.CreatePlaylistNamed("Rock & Roll");
    ASSERT_TRUE(m_queue.OpenPopup(3));
    EXPECT_FALSE(menu[PopupItem::Skip].checked);
    EXPECT_TRUE(menu[PopupItem::AddToPlaylist].enabled);
    EXPECT_EQ(menu[PopupItem::AddToPlaylist].caption, "Add to playlist \"Rock && Roll\"");
    EXPECT_EQ(menu[PopupItem::MoveToPlaylist].caption, "Move to playlist \"Rock && Roll\"");
    EXPECT_EQ(menu[PopupItem::ViewPlaylist].caption, "View playlist \"Rock && Roll\"");
    EXPECT_EQ(menu[PopupItem::AddToAnotherPlaylist].caption, "Add to another playlist");
    EXPECT_FALSE(menu[PopupItem::DeleteMusicFile].enabled);
    EXPECT_FALSE(menu[PopupItem::DeleteAndRemove].enabled);
    EXPECT_TRUE(menu[PopupItem::RemoveSong].enabled);
}

TEST_F(QueueSave, PopupRatingAndPlaylistItemsWriteTheCatalogue) {
    m_rig.Fill(3);
    ASSERT_TRUE(m_queue.OpenPopup(2));
    m_queue.PopupStepRating(1);
    m_queue.PopupStepRating(1);
    EXPECT_EQ(m_queue.Cell(2, QueueColumn::Rating), "+2");
    m_queue.PopupSetRating(-2);
    m_queue.PopupStepRating(-1);  // below -2: refused
    EXPECT_EQ(m_queue.Cell(2, QueueColumn::Rating), "-2");
    m_rig.catalogue.RunQuery("select rating from song where songnum = 2");
    EXPECT_EQ(m_rig.catalogue.QueryInt("RATING"), -2);

    m_rig.playlists.CreatePlaylistNamed("Target");
    const int target = m_rig.playlists.TargetPlaylist().Id;
    ASSERT_TRUE(m_queue.OpenPopup(1));
    m_queue.PopupAddToTarget(false);
    ASSERT_TRUE(m_queue.OpenPopup(3));
    m_queue.PopupAddToTarget(true);
    EXPECT_EQ(Entries(m_rig.catalogue, target), (QStringList{"1:1", "2:3"}));
    EXPECT_EQ(m_rig.Order(), (std::vector<int>{1, 2}));

    m_rig.settings.READONLY = true;
    ASSERT_TRUE(m_queue.OpenPopup(1));
    m_queue.PopupSetRating(4);
    m_queue.PopupAddToTarget(false);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 2);
    EXPECT_EQ(m_queue.Cell(1, QueueColumn::Rating), " ");
}

TEST_F(QueueSave, ThePopupsWindowItemsOpenTheirWindowsOnceConnected) {
    m_rig.Fill(3);
    QStringList opened;
    m_rig.playlists.CreatePlaylistNamed("Picked");
    const Tplist picked = m_rig.playlists.TargetPlaylist();
    ForgetPlaylist(m_rig.playlists.TargetPlaylist());
    QueueController::SongWindows windows;
    windows.albumDetails = [&](int albumId) { opened << "album " + QString::number(albumId); };
    windows.moreSongs = [&](int songNum, int kind) {
        opened << QString("more %1 %2").arg(songNum).arg(kind);
    };
    windows.playlistsHolding = [&](int songNum) { opened << "holding " + QString::number(songNum); };
    windows.viewPlaylist = [&](int playlistId) { opened << "view " + QString::number(playlistId); };
    windows.selectPlaylist = [&] {
        opened << "pick";
        m_rig.playlists.TargetPlaylist() = picked;
        return true;
    };
    m_queue.SetSongWindows(windows);

    ASSERT_TRUE(m_queue.OpenPopup(2));
    const QueuePopupMenu& menu = m_queue.Popup();
    for (const PopupItem item : {PopupItem::AlbumDetails, PopupItem::MoreSongs, PopupItem::MoreWithTitle,
                                 PopupItem::AlreadyInPlaylists, PopupItem::AddToAnotherPlaylist}) {
        EXPECT_TRUE(menu[item].enabled) << static_cast<int>(item);
    }
    // Without a target there is no playlist to view.
    EXPECT_FALSE(menu[PopupItem::ViewPlaylist].enabled);
    m_queue.PopupAlbumDetails();
    m_queue.PopupMoreSongs(1);
    m_queue.PopupMoreSongs(4);
    m_queue.PopupPlaylistsHolding();
    m_queue.PopupAddToAnotherPlaylist();
    ASSERT_TRUE(m_queue.OpenPopup(2));
    EXPECT_TRUE(menu[PopupItem::ViewPlaylist].enabled);
    m_queue.PopupViewPlaylist();
    const QString album = QString::number(m_queue.PopupSong().AlbumId);
    EXPECT_EQ(opened, (QStringList{"album " + album, "more 2 1", "more 2 4", "holding 2", "pick",
                                   "view " + QString::number(picked.Id)}));
    EXPECT_EQ(Entries(m_rig.catalogue, picked.Id), QStringList{"1:2"});

    // Read-only: the pick is not even offered.
    m_rig.settings.READONLY = true;
    opened.clear();
    m_queue.PopupAddToAnotherPlaylist();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(Entries(m_rig.catalogue, picked.Id), QStringList{"1:2"});
}

TEST(EngineHistory, EveryStartWritesOneHistoryRow) {
    test::EngineRig rig(1, true);
    rig.settings().FADETIME = 300;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    rig.host->RunFor(500);
    rig.Play(1);  // a restart is a play
    rig.host->RunFor(500);
    rig.engine->NextCommand();  // a cross-fade is a play
    ASSERT_TRUE(rig.RunToStop());
    Catalogue& catalogue = rig.queueRig.catalogue;
    catalogue.CommitAndContinue();
    RowSet rows = catalogue.Select("select songnum, pldate, pltime from history order by ts, songnum");
    QStringList songs;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        songs << QString::number(rows.Int("SONGNUM"));
        EXPECT_GT(rows.Int("PLDATE"), 20000101);
    }
    EXPECT_EQ(songs, (QStringList{"1", "1", "2"}));
}

}  // namespace
}  // namespace sw
