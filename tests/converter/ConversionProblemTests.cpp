// Damaged legacy tables, rows the catalogue refuses, the folder map and stop signals, each over
// a throw-away catalogue.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "ConverterTestSupport.h"
#include "converter/ConverterController.h"
#include "converter/FolderMap.h"
#include "converter/StopSignals.h"
#include "core/RowSet.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

using test::ConversionFolders;
using test::Rows;

// The song table's layout in the fixture: 626-byte records, three to a 2 KiB block.
constexpr int kSongRecord = 626;
constexpr int kFirstBlock = 2048;

void Patch(const QString& path, qsizetype at, const QByteArray& bytes) {
    QByteArray content = test::ReadFile(path);
    content.replace(at, bytes.size(), bytes);
    test::WriteBytes(path, content);
}

class ConversionProblems : public ::testing::Test {
protected:
    ConversionProblems() : m_installed(m_dialogs), m_converter(m_folders.Home()) {}
    QStringList Query(const QString& sql) const { return Rows(m_folders.Select(sql)); }
    /// Every table the conversion writes, each row as text, sorted.
    QStringList Dump() const {
        QStringList all;
        for (const char* table : {"SONG", "ALBUM", "ARTIST", "GENRE", "PLIST", "SONGINPL", "PARAMS"}) {
            QStringList rows = Query(QString("select * from %1").arg(table));
            rows.sort();
            for (const QString& row : rows) {
                all << QString(table) + ": " + row;
            }
        }
        return all;
    }

    ConversionFolders m_folders;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    ConverterController m_converter;
};

struct ProblemCase {
    const char* name;
    std::function<void(const ConversionFolders&)> damage;
    BadRows policy;
    QStringList answers;  ///< after the start question and the music folder's
    bool converted;
    QStringList logged;  ///< lines the log must hold, in this order
    const char* songs;   ///< "songnum:title" of the converted songs
};

class DamagedLegacy : public ConversionProblems, public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(DamagedLegacy, IsReportedAndNeverCalledOk) {
    const ProblemCase& c = GetParam();
    c.damage(m_folders);
    m_converter.SetBadRows(c.policy);
    m_dialogs.QueueAnswers(QStringList{"Yes", "<ok>"} + c.answers);
    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    bool converted = false;
    try {
        converted = m_converter.Convert();
    } catch (const DatabaseError&) {
    }
    EXPECT_EQ(converted, c.converted);
    EXPECT_EQ(m_dialogs.PendingAnswers(), 0u);
    const QStringList log = m_converter.LogLines();
    qsizetype at = 0;
    for (const QString& line : c.logged) {
        at = log.indexOf(line, at);
        EXPECT_GE(at, 0) << line.toStdString() << " in " << log.join("\n").toStdString();
        at = std::max<qsizetype>(at, 0);
    }
    EXPECT_FALSE(log.contains("All files converted OK"));
    EXPECT_EQ(Query("select songnum || ':' || title from song order by songnum").join(' '), c.songs);
}

const char* const kAllSongs =
    "1:Waterloo 2:Mamma Mia 3:Dancing Queen 4:Untitled 5:Café del Mar 6:Optimist";
const char* const kRefusedRow =
    "album2.DB: row 3 not converted: violation of PRIMARY or UNIQUE KEY constraint \"PK_ALBUM_1\" on table "
    "\"ALBUM\" -Problematic key value is (\"ALBUMID\" = 1)";

void DuplicateAlbum(const ConversionFolders& f) {
    // The third album gets the number of the second: the catalogue's key refuses it.
    const int record = static_cast<unsigned char>(test::ReadFile(f.LegacyData() + "album2.DB")[0]);
    Patch(f.LegacyData() + "album2.DB", kFirstBlock + 6 + 2 * record, QByteArray("\x80\x00\x00\x01", 4));
}

INSTANTIATE_TEST_SUITE_P(
    Converter, DamagedLegacy,
    ::testing::Values(
        ProblemCase{"ChainLosesABlock",
                    [](const ConversionFolders& f) {
                        // The first block no longer leads to the second: the header counts 6, the blocks hold 3.
                        Patch(f.LegacyData() + "song.db", kFirstBlock, QByteArray(2, '\0'));
                    },
                    BadRows::Ask,
                    {},
                    true,
                    {"song.db: the header counts 6 records, the blocks hold 3",
                     "Table \"song.db\" 3 records converted, 3 not converted",
                     "Conversion finished with 1 warning; 3 rows not converted"},
                    "1:Waterloo 2:Mamma Mia 3:Dancing Queen"},
        ProblemCase{"DuplicateSongNumbers",
                    [](const ConversionFolders& f) {
                        Patch(f.LegacyData() + "song.db", kFirstBlock + 6 + 2 * kSongRecord,
                              QByteArray("\x80\x00\x00\x01", 4));
                        Patch(f.LegacyData() + "song.db", 2 * kFirstBlock + 6 + 2 * kSongRecord,
                              QByteArray("\x80\x00\x00\x01", 4));
                    },
                    BadRows::Ask,
                    {},
                    true,
                    {"song.db: row 3 has the song number 1 of row 1 (\"Dancing Queen\"); not converted",
                     "song.db: row 6 has the song number 1 of row 1 (\"Optimist\"); not converted",
                     "Table \"song.db\" 4 records converted, 2 not converted",
                     "Conversion finished with 2 warnings; 2 rows not converted"},
                    "1:Waterloo 2:Mamma Mia 4:Untitled 5:Café del Mar"},
        ProblemCase{"BadRowLeftOutWhenTheUserSaysSo", DuplicateAlbum, BadRows::Ask, {"Yes"}, true,
                    {kRefusedRow, "Table \"album2.DB\" 3 records converted, 1 not converted",
                     "Conversion finished with 1 warning; 1 row not converted"},
                    kAllSongs},
        ProblemCase{"BadRowLeftOutUnasked", DuplicateAlbum, BadRows::Skip, {}, true,
                    {kRefusedRow, "Conversion finished with 1 warning; 1 row not converted"}, kAllSongs},
        ProblemCase{"BadRowStopsTheConversion", DuplicateAlbum, BadRows::Stop, {}, false,
                    {"Conversion aborted", "The catalogue was left as it was: nothing was converted"}, ""}),
    [](const ::testing::TestParamInfo<ProblemCase>& param) { return std::string(param.param.name); });

TEST_F(ConversionProblems, ARelativeLegacyFolderWorksAsAnAbsoluteOne) {
    const QString before = QDir::currentPath();
    QDir::setCurrent(QFileInfo(m_folders.Legacy()).path());
    const bool accepted = m_converter.AcceptLegacyFolder(QFileInfo(m_folders.Legacy()).fileName());
    QDir::setCurrent(before);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(m_converter.LegacyFolder(), m_folders.Legacy() + "/");
    EXPECT_EQ(m_converter.LegacyDataFolder(), m_folders.LegacyData());
    ASSERT_TRUE(m_converter.Convert());
    EXPECT_EQ(m_converter.LogLines().last(), "All files converted OK");
}

// Where the old music lives now: the answer to the question, or maps from the command line.
struct MapCase {
    const char* name;
    QStringList maps;     ///< command-line maps; none asks the question
    QStringList answers;  ///< to the question
    const char* root;
    const char* driveLetterName;  ///< song 6, stored as "D:\Cello\Optimist.ogg"
    int infos;
};

class MusicFolder : public ConversionProblems, public ::testing::WithParamInterface<MapCase> {};

TEST_P(MusicFolder, MovesTheRootAndTheFullNamesUnderIt) {
    const MapCase& c = GetParam();
    if (!c.maps.isEmpty()) {
        FolderMap folders;
        for (const QString& pair : c.maps) {
            folders.AddPair(pair);
        }
        m_converter.SetFolderMap(folders);
    }
    m_dialogs.QueueAnswer("Yes");
    m_dialogs.QueueAnswers(c.answers);
    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    ASSERT_TRUE(m_converter.Convert());
    EXPECT_EQ(m_dialogs.TextsOf("INPUT").size(), c.maps.isEmpty() ? c.answers.size() + (c.answers.isEmpty() ? 1 : 0)
                                                                  : 0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), c.infos);
    EXPECT_EQ(IniFile(m_folders.SettingsFile()).ReadString("main", "Root", ""), c.root);
    // Names relative to the root stay so: they move with it.
    EXPECT_EQ(Query("select fn from song where songnum in (1, 6) order by songnum"),
              QStringList({"Pop/ABBA/Waterloo.mp3", c.driveLetterName}));
}

INSTANTIATE_TEST_SUITE_P(
    Converter, MusicFolder,
    ::testing::Values(MapCase{"Kept", {}, {}, "D:/Music/", "D:/Cello/Optimist.ogg", 0},
                      MapCase{"Answered", {}, {"/home/me/Music"}, "/home/me/Music/", "D:/Cello/Optimist.ogg", 0},
                      MapCase{"RelativeAnswerAskedAgain", {}, {"Music", "/srv/Music/"}, "/srv/Music/",
                              "D:/Cello/Optimist.ogg", 1},
                      MapCase{"WholeDrive", {"d:\\=/mnt/d"}, {}, "/mnt/d/Music/", "/mnt/d/Cello/Optimist.ogg", 0},
                      MapCase{"LongestFolderFirst", {"D:=/mnt/d", "D:/cello=/srv/cello"}, {}, "/mnt/d/Music/",
                              "/srv/cello/Optimist.ogg", 0}),
    [](const ::testing::TestParamInfo<MapCase>& param) { return std::string(param.param.name); });

struct ApplyCase {
    const char* path;
    const char* expected;  ///< "-" when no mapping applies
};

TEST(FolderMapping, AppliesOnFolderBoundariesWithWindowsLetterCase) {
    FolderMap map;
    map.AddPair("D:\\Music\\=/home/me/Music");
    map.AddPair("/mnt/old=/mnt/new/");
    const ApplyCase cases[] = {
        {"D:/Music/Rock/a.mp3", "/home/me/Music/Rock/a.mp3"},
        {"d:\\music\\Rock\\a.mp3", "/home/me/Music/Rock/a.mp3"},
        {"D:/Music/", "/home/me/Music/"},
        {"D:/Music", "/home/me/Music"},
        {"D:/Musicals/a.mp3", "-"},
        {"E:/Music/a.mp3", "-"},
        {"Music/a.mp3", "-"},
        {"/mnt/old/x.ogg", "/mnt/new/x.ogg"},
        {"/mnt/OLD/x.ogg", "-"},
        {"/mnt/older/x.ogg", "-"},
    };
    for (const ApplyCase& c : cases) {
        const auto mapped = map.Apply(c.path);
        EXPECT_EQ(mapped.value_or("-"), c.expected) << c.path;
    }
    for (const char* wrong : {"D:/Music", "Music=/x", "D:/Music=Music", "=/x"}) {
        EXPECT_THROW(map.AddPair(wrong), std::invalid_argument) << wrong;
    }
    EXPECT_TRUE(IsAbsoluteStoredPath("D:\\a.mp3"));
    EXPECT_TRUE(IsAbsoluteStoredPath("//server/a.mp3"));
    EXPECT_FALSE(IsAbsoluteStoredPath("Rock/a.mp3"));
}

/// Raises a signal while the conversion copies a given table, as Ctrl+C or kill would.
class SignalDuringConversion : public ConverterDisplay {
public:
    SignalDuringConversion(const ConverterController& converter, QString table, int signal)
        : m_converter(converter), m_table(std::move(table)), m_signal(signal) {}
    void LabelsChanged() override {}
    void LineLogged(const QString&) override {}
    void StatusChanged() override {}
    void PumpEvents() override {
        if (!m_raised && m_converter.StatusText().startsWith(" " + m_table)) {
            m_raised = true;
            // Sent to the process, as kill does: the signal thread takes it.
            ::kill(::getpid(), m_signal);
            for (int wait = 0; wait < 200 && StopSignal() == 0; ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }
    void EndProgram() override {}
    bool m_raised = false;

private:
    const ConverterController& m_converter;
    QString m_table;
    int m_signal;
};

struct SignalCase {
    const char* name;
    int signal;
    const char* table;
};

class StopSignalMidRun : public ConversionProblems, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(StopSignalMidRun, LeavesEveryTableAsItWas) {
    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    ASSERT_TRUE(m_converter.Convert());
    m_folders.Execute("update params set pmval2 = 'Renamed' where pmname = 'DBNAME'");
    m_folders.Execute("insert into song (songnum, title, fn) values (99, 'Kept', 'kept.mp3')");
    m_folders.Execute("delete from songinpl where seq = 2");
    const QStringList before = Dump();

    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    m_converter.CatchStopSignals();
    SignalDuringConversion display(m_converter, GetParam().table, GetParam().signal);
    m_converter.SetDisplay(&display);
    const bool converted = m_converter.Convert();
    m_converter.SetDisplay(nullptr);
    const int signal = sw::StopSignal();
    ClearStopSignal();
    EXPECT_TRUE(display.m_raised);
    EXPECT_EQ(signal, GetParam().signal);
    EXPECT_FALSE(converted);
    EXPECT_EQ(m_converter.State(), ConverterState::Aborted);
    const QStringList log = m_converter.LogLines();
    EXPECT_EQ(log.mid(log.size() - 3),
              QStringList({"Stopped by " + SignalName(GetParam().signal), "Conversion aborted",
                           "The catalogue was left as it was: nothing was converted"}));
    EXPECT_TRUE(m_converter.CloseRequest());
    EXPECT_EQ(Dump(), before);
}

INSTANTIATE_TEST_SUITE_P(Converter, StopSignalMidRun,
                         ::testing::Values(SignalCase{"InterruptDuringArtists", SIGINT, "Artists"},
                                           SignalCase{"InterruptDuringSongs", SIGINT, "song.db"},
                                           SignalCase{"TerminateDuringAlbums", SIGTERM, "album2.DB"}),
                         [](const ::testing::TestParamInfo<SignalCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace sw
