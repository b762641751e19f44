#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <utility>

#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadRun.h"
#include "tags/GenreLookup.h"
#include "tags/Id3v2.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

/// Scripted answers, and something run while the next OK/Cancel question waits for its answer, as
/// another window or the player may while a dialog is open.
class QuestionDialogs : public ScriptedDialogs {
public:
    std::function<void()> whileAsking;

    bool AskOkCancel(const QString& text) override {
        if (whileAsking) {
            std::exchange(whileAsking, nullptr)();
        }
        return ScriptedDialogs::AskOkCancel(text);
    }
};

/// One catalogue and the load run over it, the cache kept or not.
struct Side {
    Side(const QString& root, bool keepCache) {
        file.OpenCurrent(catalogue);
        settings.Root = root;
        settings.MP3TAGREADPREFV1V2 = 2;
        settings.UNICODETAGS = true;
        library.artists.InitVariousArtist();
        catalogue.ExecSql("insert into genre (genreid, gname) values (200, 'Zydeco')");
        catalogue.CommitAndContinue();
        run.KeepCatalogueCache(keepCache);
    }

    test::TestCatalogue file;
    Catalogue catalogue;
    /// Another program's connection to the same file.
    Catalogue other;
    Settings settings;
    Library library{catalogue, settings};
    CatalogueGenres genres{catalogue};
    TagState state;
    TagPolicy policy{library, genres, state};
    LoadRun run{library, policy};
};

/// A file under the music root and its tag: file, title, artist, album, track, year and genre (if
/// any).
using Tags = QStringList;

/// What a load run is given to do, in order.
struct Step {
    enum class Kind {
        Load,       ///< imports the file `text`
        Here,       ///< runs `text` on the run's connection, as another window would
        Elsewhere,  ///< runs and commits `text` on another connection, as another program would
        Asking,     ///< runs `text` on the run's connection while the next question is asked
        Commit,     ///< the run commits
        NextRun,    ///< the run ends and another begins
    };
    Kind kind;
    QString text;
};

Step Load(const QString& file) {
    return {Step::Kind::Load, file};
}

struct Scenario {
    const char* name;
    std::vector<Tags> files;
    std::vector<Step> steps;  ///< empty: every file loaded in turn, with a commit after every third
};

void PrintTo(const Scenario& scenario, std::ostream* os) {
    *os << scenario.name;
}

/// Every stored value of the songs, albums and artists but the moments of the run.
QStringList Rows(Catalogue& catalogue) {
    QStringList lines;
    for (const char* sql :
         {"select songnum, albumid, track, artistid, title, genreid, rating, \"comment\", exi, \"size\", fn, "
          "\"year\", duration from song order by songnum",
          "select albumid, alname, artistid, numexi, \"year\", alorgrp, grpid, ratingdrvd, ratingsumm, "
          "ratingassd, seq from album order by albumid",
          "select artistid, arname from artist order by artistid"}) {
        const RowSet rows = catalogue.Select(sql);
        for (int row = 0; row < rows.RowCount(); ++row) {
            QStringList values;
            for (int column = 0; column < rows.ColumnCount(); ++column) {
                const QVariant value = rows.Value(row, column);
                values << (value.isValid() ? value.toString() : "<null>");
            }
            lines << values.join('|');
        }
    }
    return lines;
}

QByteArray PlainMp3() {
    QFile file(QString(SW_SOURCE_DIR) + "/tests/fixtures/plain.mp3");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

/// The same files loaded into two catalogues, once with the load cache and once without: the rows
/// stored, the run's counts and every message must be the same.
class CachedLoad : public ::testing::TestWithParam<Scenario> {
protected:
    void MakeFiles(const std::vector<Tags>& files) {
        const QByteArray audio = PlainMp3();
        TagState state;
        for (const Tags& tags : files) {
            const QString path = m_music.filePath(tags[0]);
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(audio);
            file.close();
            TID3v2 tag(state);
            tag.SetUnicodeTags(true);
            tag.SetTitle(tags[1]);
            tag.SetArtist(tags[2]);
            tag.SetAlbum(tags[3]);
            tag.SetTrack(static_cast<std::uint8_t>(tags[4].toInt()));
            tag.SetYear(tags.value(5));
            tag.SetGenre(tags.value(6));
            ASSERT_TRUE(tag.Save(path)) << tags[0].toStdString();
        }
    }

    /// The rows stored, every message and the run's counts.
    QStringList Play(Side& side, const Scenario& scenario) {
        std::vector<Step> steps = scenario.steps;
        if (steps.empty()) {
            for (size_t n = 0; n < scenario.files.size(); ++n) {
                steps.push_back(Load(scenario.files[n][0]));
                if (n % 3 == 2) {
                    steps.push_back({Step::Kind::Commit, {}});
                }
            }
        }
        m_dialogs.ClearTranscript();
        side.run.StartLoadRun(true);
        for (const Step& step : steps) {
            switch (step.kind) {
                case Step::Kind::Load:
                    side.run.ImportFile(m_music.filePath(step.text));
                    break;
                case Step::Kind::Here:
                    side.catalogue.ExecSql(step.text);
                    break;
                case Step::Kind::Elsewhere:
                    if (!side.other.IsOpen()) {
                        side.file.Open(side.other);
                    }
                    side.other.ExecSqlCommit(step.text);
                    break;
                case Step::Kind::Asking:
                    m_dialogs.whileAsking = [&side, sql = step.text] { side.catalogue.ExecSql(sql); };
                    break;
                case Step::Kind::Commit:
                    side.run.CommitAndContinue();
                    break;
                case Step::Kind::NextRun:
                    side.run.FinishLoadRun();
                    side.run.StartLoadRun(true);
                    break;
            }
        }
        side.run.FinishLoadRun();
        EXPECT_FALSE(m_dialogs.whileAsking) << "no question was asked";
        const LoadRun::Counts& counts = side.run.RunCounts();
        return Rows(side.catalogue) + m_dialogs.Transcript() +
               QStringList{QString("%1 %2 %3 %4 %5")
                               .arg(counts.inserted)
                               .arg(counts.copies)
                               .arg(counts.refreshed)
                               .arg(counts.relinked)
                               .arg(counts.skipped)};
    }

    QTemporaryDir m_music;
    QuestionDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

TEST_P(CachedLoad, StoresWhatALoadWithoutTheCacheStores) {
    const Scenario& scenario = GetParam();
    MakeFiles(scenario.files);
    const QString root = m_music.path() + "/";
    Side plain(root, false);
    Side cached(root, true);
    const QStringList expected = Play(plain, scenario);
    EXPECT_EQ(Play(cached, scenario), expected);
}

/// Names that the lookups take for the same or for different ones: letter case, blanks left where
/// a long name is cut, apostrophes, letters beyond ASCII, and the album artist becoming "various".
std::vector<Tags> AwkwardNames() {
    const QString longAlbum = QString("Very Long ").repeated(8);  // cut at 80 after a blank
    return {
        {"Beatles/01.mp3", "Come Together", "The Beatles", "Abbey Road", "1", "1969", "Zydeco"},
        {"Beatles/02.mp3", "Something", "THE BEATLES", "ABBEY ROAD", "2", "", "ZYDECO"},
        {"Beatles/03.mp3", "Maxwell's Silver Hammer", "the beatles", "abbey road", "3", "1970", "Polka"},
        {"Beatles/03 again.mp3", "MAXWELL'S SILVER HAMMER", "The Beatles", "Abbey Road", "3"},
        {"Various/01.mp3", "Don't Stop", "Fleetwood Mac", "Don't Stop The Hits", "1"},
        {"Various/02.mp3", "Don’t Stop", "Fleetwood Mac", "Don’t Stop The Hits", "1"},
        {"Various/03.mp3", "Other", "Someone Else", "DON'T STOP THE HITS", "2"},
        {"Long/01.mp3", "First", "Long Artist", longAlbum + "One", "1"},
        {"Long/02.mp3", "Second", "Long Artist", longAlbum.trimmed(), "2"},
        {"Nordic/01.mp3", "Ærø", "Ærø Band", "Øresund", "1"},
        {"Nordic/02.mp3", "ærø", "ærø band", "øresund", "1"},
        {"Turkish/01.mp3", "İstanbul", "İlhan", "İzmir", "1"},
        {"Turkish/02.mp3", "istanbul", "ilhan", "izmir", "1"},
        {"German/01.mp3", "Straße", "Die Ärzte", "STRASSE", "1"},
        {"German/02.mp3", "Strasse", "DIE ÄRZTE", "Straße", "2"},
        {"Loose/Track 07.mp3", "Track 07", "Nobody", "Loose Ends", "0"},
        {"Loose/TRACK 07.mp3", "Track 07", "nobody", "LOOSE ENDS", "0"},
    };
}

/// Two files of one album, with `between` done after the first.
Scenario TwoFiles(const char* name, std::vector<Step> between) {
    std::vector<Step> steps{Load("a.mp3")};
    steps.insert(steps.end(), between.begin(), between.end());
    steps.push_back(Load("b.mp3"));
    return {name,
            {{"a.mp3", "A", "Artist", "Album", "1", "", "zydeco"},
             {"b.mp3", "B", "Artist", "Album", "2", "", "Zydeco"}},
            steps};
}

const char kRenameAlbum[] = "update album set alname = 'Renamed' where alname = 'Album'";
const char kRenameGenre[] = "update genre set gname = 'Renamed' where gname = 'Zydeco'";

INSTANTIATE_TEST_SUITE_P(
    Scenarios, CachedLoad,
    ::testing::Values(
        Scenario{"AwkwardNames", AwkwardNames(), {}},
        TwoFiles("GenreRenamedByAnotherWindow", {{Step::Kind::Here, kRenameGenre}}),
        TwoFiles("AlbumRenamedByAnotherWindow", {{Step::Kind::Here, kRenameAlbum}}),
        TwoFiles("AlbumMadeAGroupByAnotherWindow",
                 {{Step::Kind::Here, "update album set alorgrp = 'G' where alname = 'Album'"}}),
        TwoFiles("SongOfTheSameDetailsAddedByAnotherWindow",
                 {{Step::Kind::Here,
                   "insert into song (songnum, albumid, artistid, title, track, exi) select 50, "
                   "albumid, artistid, 'B', 2, 0 from album where alname = 'Album'"}}),
        TwoFiles("SongNumberTakenByAnotherWindow",
                 {{Step::Kind::Here,
                   "insert into song (songnum, title) select max(songnum) + 1, 'X' from song"}}),
        TwoFiles("FileCataloguedByAnotherWindow",
                 {{Step::Kind::Here,
                   "insert into song (songnum, fn, title, exi) values (60, 'B.MP3', 'Old', 0)"}}),
        TwoFiles("AlbumRenamedByAnotherProgramAfterACommit",
                 {{Step::Kind::Commit, {}}, {Step::Kind::Elsewhere, kRenameAlbum}}),
        TwoFiles("AlbumRenamedByAnotherProgramBetweenRuns",
                 {{Step::Kind::NextRun, {}}, {Step::Kind::Elsewhere, kRenameAlbum}}),
        Scenario{"ArtistDeletedByAnotherWindow",
                 {{"a.mp3", "A", "Artist", "Album", "1"},
                  {"b.mp3", "B", "Artist", "Album", "2"},
                  {"c.mp3", "C", "Artist", "Other", "1"}},
                 {Load("a.mp3"),
                  Load("b.mp3"),
                  {Step::Kind::Here, "delete from artist where arname = 'Artist'"},
                  Load("c.mp3")}},
        // The question about two songs of one file comes after the album was looked up.
        Scenario{"AlbumDeletedWhileAQuestionWaits",
                 {{"a.mp3", "A", "Artist", "Kept", "1"}, {"Dup/c.mp3", "C", "Artist", "Kept", "3"}},
                 {Load("a.mp3"),
                  {Step::Kind::Here,
                   "insert into song (songnum, fn, albumid, artistid, title, track, exi) "
                   "select 70, 'Dup/c.mp3', albumid, artistid, 'Old', 3, 0 from album"},
                  {Step::Kind::Here,
                   "insert into song (songnum, fn, albumid, artistid, title, track, exi) "
                   "select 71, 'Dup/c.mp3', albumid, artistid, 'Old', 3, 0 from album"},
                  Load("a.mp3"),
                  {Step::Kind::Asking, "delete from album where alname = 'Kept'"},
                  Load("Dup/c.mp3")}}),
    [](const ::testing::TestParamInfo<Scenario>& each) { return std::string(each.param.name); });

/// The cache outlives the run's own statements (savepoints, inserts, counts) from one file to the
/// next, or it would save nothing; a commit starts it again.
TEST_F(CachedLoad, KeepsWhatItLearntFromFileToFileUntilTheCommit) {
    MakeFiles({{"a.mp3", "A", "Artist", "Album", "1", "", "Zydeco"}, {"b.mp3", "B", "Artist", "Album", "2"}});
    Side side(m_music.path() + "/", true);
    side.run.StartLoadRun(true);
    side.run.ImportFile(m_music.filePath("a.mp3"));
    side.run.ImportFile(m_music.filePath("b.mp3"));
    TSong song;
    ASSERT_EQ(side.library.songs.FindSongByFileName(m_music.filePath("b.mp3"), song), 1);
    const LoadCache& cache = side.run.Cache();
    ASSERT_NE(cache.AlbumById(song.AlbumId), nullptr);
    EXPECT_EQ(cache.AlbumById(song.AlbumId)->NumExi, 2);
    EXPECT_NE(cache.Artist("artist"), nullptr);
    ASSERT_NE(cache.Genre("zydeco"), nullptr);
    EXPECT_EQ(*cache.Genre("zydeco"), 200);
    EXPECT_NE(cache.AlbumNamed("album"), nullptr);
    EXPECT_EQ(cache.NextSongNum(), song.SongNum + 1);
    EXPECT_TRUE(cache.FolderKnown(""));
    EXPECT_NE(cache.AlbumSongs(song.AlbumId), nullptr);
    side.run.CommitAndContinue();
    side.run.FinishLoadRun();
    EXPECT_TRUE(cache.Empty());
}

}  // namespace
}  // namespace sw
