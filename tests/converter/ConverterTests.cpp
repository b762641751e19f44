// The converter's controller over a throw-away catalogue, with scripted dialogs.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFileInfo>
#include <functional>

#include "ConverterTestSupport.h"
#include "Unsaveable.h"
#include "converter/ConverterController.h"
#include "converter/LegacySettings.h"
#include "converter/ParadoxTable.h"
#include "core/CatalogueCreation.h"
#include "foundation/Dates.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

using test::ConversionFolders;

/// The question for the old music root, answered with what it offers.
const QString kRootQuestion =
    "INPUT: The music folder of the old catalogue was D:/Music/. Where is it now? -> D:/Music/";

const QStringList kConvertedLog = {"3 Artist records created ok",
                                   "Table \"song.db\" 6 records converted ok",
                                   "Table \"genre.db\" 2 records converted ok",
                                   "Table \"plist.db\" 2 records converted ok",
                                   "Table \"songinpl.DB\" 4 records converted ok",
                                   "Table \"album2.DB\" 4 records converted ok",
                                   "SONWICK.INI copied to SONWICK3.INI",
                                   "NPAD.TXT copied",
                                   "All files converted OK"};

using test::Rows;

class Conversion : public ::testing::Test {
protected:
    Conversion() : m_installed(m_dialogs), m_converter(m_folders.Home()) {}

    bool AcceptAndConvert() {
        return m_converter.AcceptLegacyFolder(m_folders.Legacy()) && m_converter.Convert();
    }
    QStringList Query(const QString& sql) const { return Rows(m_folders.Select(sql)); }

    ConversionFolders m_folders;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    ConverterController m_converter;
};

TEST_F(Conversion, CopiesEveryTableWithItsMappings) {
    IniFile before(m_folders.SettingsFile());
    before.WriteInteger("main", "FILTER", 3);
    before.Save();

    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    EXPECT_EQ(m_converter.State(), ConverterState::Ready);
    EXPECT_TRUE(m_converter.ConvertEnabled());
    EXPECT_EQ(m_converter.LegacyDataFolder(), m_folders.LegacyData());
    EXPECT_EQ(m_converter.Legacy().DBName, "Ann's Café songs");
    EXPECT_EQ(m_converter.Legacy().DBvn, 300);
    EXPECT_EQ(m_converter.TargetVersionText(), "1");
    ASSERT_TRUE(m_converter.Convert());
    EXPECT_EQ(m_dialogs.Transcript(), QStringList({"ASK: OK to start conversion ? -> Yes", kRootQuestion}));
    EXPECT_EQ(m_converter.LogLines(), kConvertedLog);
    EXPECT_EQ(m_converter.State(), ConverterState::Finished);
    EXPECT_FALSE(m_converter.ConvertEnabled());
    EXPECT_TRUE(m_converter.StatusText().isEmpty());
    EXPECT_TRUE(m_converter.CloseRequest());

    // Artists by lower-cased name, spelled as the first spelling met; none for the empty artist.
    EXPECT_EQ(Query("select artistid, arname from artist order by artistid"),
              QStringList({"1|ABBA", "2|Energy 52", "3|Zoë Keating"}));
    EXPECT_EQ(Query("select songnum, artistid, albumid, exi, fn from song order by songnum"),
              QStringList({"1|1|1|1|Pop/ABBA/Waterloo.mp3", "2|1|1|1|Pop/ABBA/Mamma Mia.mp3",
                           "3|1|1|0|Pop/ABBA/Dancing Queen.mp3", "4|0|0|0|Misc/untitled.mp3",
                           "5|2|2|1|Trance/Café.mp3", "6|3|3|1|D:/Cello/Optimist.ogg"}));
    EXPECT_EQ(
        Query("select title, track, genreid, \"year\", createts, searchts, editts, rating, \"comment\", "
              "\"size\", duration, rprts from song where songnum in (1, 4, 5) order by songnum"),
        QStringList(
            {"Waterloo|2|13|1974|2011-03-04 10:20:01|2011-03-05 08:00:00|2012-01-02 03:04:05|-1|null|"
             "1000001|181|null",
             "Untitled|5|13|1974|2011-03-04 10:20:04|2011-03-05 08:00:00|null|2|null|1000004|184|null",
             "Café del Mar|6|13|1974|2011-03-04 10:20:05|2011-03-05 08:00:00|2012-01-02 03:04:05|3|"
             "Rock'n'roll|1000005|185|null"}));
    // An album artist in a third spelling finds the artist; one that no song carries gets 0.
    EXPECT_EQ(Query("select albumid, alname, \"year\", numexi, createts, rprts, artistid, rating from album "
                    "order by albumid"),
              QStringList({"0|null|null|0|null|null|0|null",
                           "1|Arrival|1976|2|2011-03-04 10:20:01|2011-06-07 08:09:10|1|null",
                           "2|Café del Mar Vol. 1|1994|1|2011-03-04 10:20:05|null|0|null",
                           "3|Zoë's|null|1|null|null|3|null"}));
    // The genres of the legacy catalogue replace the list the new catalogue started with.
    EXPECT_EQ(Query("select genreid, gname, dormant, numexi, rprts from genre order by genreid"),
              QStringList({"13|Pop|0|3|2011-06-07 08:09:10", "31|Trance|1|0|null"}));
    EXPECT_EQ(Query("select plid, plname, lastseq from plist order by plid"),
              QStringList({"1|Party|3", "2|Chill's|1"}));
    EXPECT_EQ(Query("select plid, seq, songnum from songinpl order by plid, seq"),
              QStringList({"1|1|1", "1|2|3", "1|3|5", "2|1|6"}));
    EXPECT_EQ(Query("select pmname, pmval1, pmval2 from params order by pmid"),
              QStringList({"DBVN|1|null", "DBNAME|null|Ann's Café songs"}));

    const IniFile settings(m_folders.SettingsFile());
    const QStringList expected = {"DBName=Ann's Café songs",
                                  "Root=D:/Music/",
                                  "DBvn=-1",
                                  "MP3ID3V1=1",
                                  "MP3ID3V2=1",
                                  "OGGTAG=0",
                                  "DBSIZE=1234",
                                  "FADETIME=2500",
                                  "SHOWALNUM=0",
                                  "UNICODETAGS=0",
                                  "FLACOPUS=0",
                                  "LOUDNESS=0",
                                  "FILTER=3"};
    for (const QString& pair : expected) {
        EXPECT_EQ(settings.ReadString("main", pair.section('=', 0, 0), "<missing>"), pair.section('=', 1))
            << pair.toStdString();
    }

    const QString notepad = m_folders.Home() + "/NPAD.TXT";
    EXPECT_EQ(QString::fromUtf8(test::ReadFile(notepad)), "Notes\r\nCafé crème – 5 €\r\n");
    EXPECT_EQ(QFileInfo(notepad).lastModified().toSecsSinceEpoch(),
              QFileInfo(m_folders.Legacy() + "/NPAD.TXT").lastModified().toSecsSinceEpoch());
}

TEST_F(Conversion, RunningAgainReplacesTheRowsInsteadOfDoublingThem) {
    ASSERT_TRUE(AcceptAndConvert());
    const QByteArray notepad = test::ReadFile(m_folders.Home() + "/NPAD.TXT");
    test::WriteBytes(m_folders.Home() + "/NPAD.TXT", "kept");
    // "Convert" stays disabled after a run until the folder is chosen again.
    EXPECT_FALSE(m_converter.Convert());
    ASSERT_TRUE(AcceptAndConvert());
    EXPECT_EQ(Query("select count(*) from song"), QStringList({"6"}));
    EXPECT_EQ(Query("select count(*) from artist"), QStringList({"3"}));
    EXPECT_EQ(Query("select count(*) from songinpl"), QStringList({"4"}));
    EXPECT_EQ(Query("select count(*) from album"), QStringList({"4"}));
    EXPECT_EQ(Query("select count(*) from genre"), QStringList({"2"}));
    // The second run finds a notepad text in place and leaves it.
    EXPECT_FALSE(m_converter.LogLines().mid(kConvertedLog.size()).contains("NPAD.TXT copied"));
    EXPECT_EQ(test::ReadFile(m_folders.Home() + "/NPAD.TXT"), "kept");
    EXPECT_FALSE(notepad.isEmpty());
}

// A program folder without a catalogue, or with one the jukebox raised while it was still empty,
// gets a version-1 catalogue to fill.
struct TargetCase {
    const char* name;
    bool raisedFirst;
    const char* logged;
};

class TargetCatalogue : public Conversion, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(TargetCatalogue, IsMadeAtVersionOneWhenMissingOrRaisedButEmpty) {
    ASSERT_TRUE(QFile::remove(m_folders.CatalogueFile()));
    if (GetParam().raisedFirst) {
        CreateNewCatalogue(m_folders.Home() + "/SW3DATA");
        ASSERT_EQ(Query("select pmval1 from params where pmname = 'DBVN'"),
                  QStringList({QString::number(kCurrentCatalogueVersion)}));
    }
    ASSERT_TRUE(AcceptAndConvert());
    EXPECT_EQ(m_converter.LogLines().front(), QString(GetParam().logged).arg(m_folders.CatalogueFile()));
    EXPECT_EQ(Query("select pmval1 from params where pmname = 'DBVN'"), QStringList({"1"}));
    EXPECT_NE(Query("select count(*) from song"), QStringList({"0"}));
}

INSTANTIATE_TEST_SUITE_P(
    Converter, TargetCatalogue,
    ::testing::Values(TargetCase{"Missing", false, "New catalogue %1 created at version 1"},
                      TargetCase{"RaisedButEmpty", true, "Empty catalogue %1 made anew at version 1"}),
    [](const ::testing::TestParamInfo<TargetCase>& param) { return std::string(param.param.name); });

struct Refusal {
    const char* name;
    std::function<void(const ConversionFolders&)> prepare;
    const char* message;  ///< the message shown, or a fragment of the error thrown
    bool thrown;
    bool endsProgram;
};

class RefusedFolder : public Conversion, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedFolder, LeavesConvertDisabled) {
    const Refusal& refusal = GetParam();
    refusal.prepare(m_folders);
    if (refusal.thrown) {
        try {
            m_converter.AcceptLegacyFolder(m_folders.Legacy());
            ADD_FAILURE() << "the folder was accepted";
        } catch (const std::exception& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(refusal.message)) << error.what();
        }
    } else {
        EXPECT_FALSE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList({refusal.message}));
    }
    EXPECT_FALSE(m_converter.ConvertEnabled());
    EXPECT_NE(m_converter.State(), ConverterState::Ready);
    EXPECT_EQ(m_converter.EndRequested(), refusal.endsProgram);
    EXPECT_FALSE(m_converter.Convert());
    EXPECT_EQ(Query("select count(*) from genre"), QStringList({"148"}));
    EXPECT_TRUE(m_converter.CloseRequest());
}

INSTANTIATE_TEST_SUITE_P(
    Converter, RefusedFolder,
    ::testing::Values(
        Refusal{"NotASonwickFolder",
                [](const ConversionFolders& f) { QFile::remove(f.Legacy() + "/SonWick.EXE"); },
                "Selected folder is not a Sonwick folder : SONWICK.EXE not found", false, false},
        Refusal{"Version299", [](const ConversionFolders& f) { f.SetLegacySetting("DBvn", "299"); },
                "Incorrect database version number 299", false, true},
        Refusal{"NoSettingsFile",
                [](const ConversionFolders& f) { QFile::remove(f.LegacyData() + "SONWICK.INI"); },
                "Incorrect database version number 101", false, true},
        Refusal{"RaisedTargetHoldingAPlaylist",
                [](const ConversionFolders& f) {
                    f.Execute("insert into plist (plid, plname) values (1, 'Mine')");
                    f.Execute("update params set pmval1 = 11 where pmname = 'DBVN'");
                },
                "Target database version is 11: conversion needs a new database at version 1", false, false},
        Refusal{"MissingTable",
                [](const ConversionFolders& f) { QFile::remove(f.LegacyData() + "plist.db"); }, "plist.db",
                true, false},
        Refusal{"DamagedTable",
                [](const ConversionFolders& f) {
                    QByteArray bytes = test::ReadFile(f.LegacyData() + "album2.DB");
                    bytes.chop(100);
                    test::WriteBytes(f.LegacyData() + "album2.DB", bytes);
                },
                "album2.DB: block 1 lies past the end of the file", true, false},
        Refusal{"ColumnMissing",
                [](const ConversionFolders& f) {
                    QByteArray bytes = test::ReadFile(f.LegacyData() + "genre.db");
                    bytes.replace(QByteArray("Dormant\0", 8), QByteArray("Sleepin\0", 8));
                    test::WriteBytes(f.LegacyData() + "genre.db", bytes);
                },
                "has no field \"Dormant\"", true, false}),
    [](const ::testing::TestParamInfo<Refusal>& param) { return std::string(param.param.name); });

/// Answers the close request while the conversion copies a given table, as a user closing the window would.
class CloseDuringConversion : public ConverterDisplay {
public:
    CloseDuringConversion(ConverterController& converter, QString table)
        : m_converter(converter), m_table(std::move(table)) {}
    void LabelsChanged() override {}
    void LineLogged(const QString&) override {}
    void StatusChanged() override {}
    void PumpEvents() override {
        if (!m_asked && m_converter.StatusText().startsWith(" " + m_table)) {
            m_asked = true;
            m_closed = m_converter.CloseRequest();
            m_converter.ChooseLegacyFolder();
        }
    }
    void EndProgram() override {}
    bool m_asked = false;
    bool m_closed = true;

private:
    ConverterController& m_converter;
    QString m_table;
};

TEST_F(Conversion, AnAbortLeavesEveryTableAsItWas) {
    ASSERT_TRUE(AcceptAndConvert());
    m_folders.Execute("update artist set arname = 'Before' where artistid = 1");
    m_folders.Execute("insert into song (songnum, title) values (99, 'Kept')");
    const QStringList songs = Query("select songnum, title, artistid from song order by songnum");

    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    CloseDuringConversion display(m_converter, "songinpl.DB");
    m_converter.SetDisplay(&display);
    m_dialogs.ClearTranscript();
    m_dialogs.QueueAnswers({"Yes", "<ok>", "Yes"});
    const int logged = m_converter.LogLines().size();
    EXPECT_FALSE(m_converter.Convert());
    m_converter.SetDisplay(nullptr);
    ASSERT_TRUE(display.m_asked);
    EXPECT_FALSE(display.m_closed);
    EXPECT_EQ(m_dialogs.Transcript(), QStringList({"ASK: OK to start conversion ? -> Yes", kRootQuestion,
                                                   "ASK: Conversion in progress, OK to abort? -> Yes",
                                                   "INFO: Conversion already in progress"}));
    EXPECT_EQ(m_converter.LogLines().mid(logged),
              QStringList({"3 Artist records created ok", "Table \"song.db\" 6 records converted ok",
                           "Table \"genre.db\" 2 records converted ok",
                           "Table \"plist.db\" 2 records converted ok", "Conversion aborted",
                           "The catalogue was left as it was: nothing was converted"}));
    EXPECT_EQ(m_converter.State(), ConverterState::Aborted);
    EXPECT_FALSE(m_converter.ConvertEnabled());
    EXPECT_TRUE(m_converter.CloseRequest());
    EXPECT_EQ(Query("select songnum, title, artistid from song order by songnum"), songs);
    EXPECT_EQ(Query("select arname from artist where artistid = 1"), QStringList({"Before"}));
}

TEST_F(Conversion, AbortRefusedLetsTheConversionFinish) {
    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    CloseDuringConversion display(m_converter, "song.db");
    m_converter.SetDisplay(&display);
    m_dialogs.QueueAnswers({"Yes", "<ok>", "No"});
    EXPECT_TRUE(m_converter.Convert());
    m_converter.SetDisplay(nullptr);
    EXPECT_TRUE(display.m_asked);
    EXPECT_EQ(m_converter.LogLines().last(), "All files converted OK");
    EXPECT_EQ(Query("select count(*) from song"), QStringList({"6"}));
}

TEST_F(Conversion, ARefusedRowUndoesTheWholeConversion) {
    ASSERT_TRUE(AcceptAndConvert());
    m_folders.Execute("insert into song (songnum, title) values (99, 'Kept')");
    // Two albums with number 1: the catalogue's key refuses the second.
    QByteArray albums = test::ReadFile(m_folders.LegacyData() + "album2.DB");
    const int recordSize = static_cast<unsigned char>(albums[0]);
    albums.replace(2048 + 6 + 2 * recordSize, 4, QByteArray("\x80\x00\x00\x01", 4));
    test::WriteBytes(m_folders.LegacyData() + "album2.DB", albums);

    ASSERT_TRUE(m_converter.AcceptLegacyFolder(m_folders.Legacy()));
    // The user does not leave the row out.
    m_dialogs.QueueAnswers({"Yes", "<ok>", "No"});
    EXPECT_THROW(m_converter.Convert(), DatabaseError);
    EXPECT_EQ(m_converter.LogLines().mid(m_converter.LogLines().size() - 2),
              QStringList({"Conversion aborted", "The catalogue was left as it was: nothing was converted"}));
    EXPECT_EQ(m_converter.State(), ConverterState::Aborted);
    EXPECT_TRUE(m_converter.CloseRequest());
    EXPECT_EQ(Query("select count(*) from song"), QStringList({"7"}));
    EXPECT_EQ(Query("select count(*) from album"), QStringList({"4"}));
}

TEST_F(Conversion, AValueThatCannotBeReadIsStoredAsNullAndLogged) {
    // The first song's CreateTS holds -1000 ms, before the first day of the calendar.
    QByteArray songs = test::ReadFile(m_folders.LegacyData() + "song.db");
    songs.replace(2048 + 6 + 4 + 3 * 80 + 2 + 2 + 4, 8, QByteArray("\x3F\x70\xBF\xFF\xFF\xFF\xFF\xFF", 8));
    test::WriteBytes(m_folders.LegacyData() + "song.db", songs);
    ASSERT_TRUE(AcceptAndConvert());
    EXPECT_EQ(m_converter.LogLines().mid(1, 2),
              QStringList({"song.db: row 1, field \"CreateTS\": timestamp out of range (-1000 ms)",
                           "Table \"song.db\" 6 records converted ok"}));
    EXPECT_EQ(Query("select createts, title from song where songnum = 1"), QStringList({"null|Waterloo"}));
}

struct NotepadCase {
    const char* name;
    std::function<void(const ConversionFolders&)> prepare;
    QStringList answers;  ///< after the start question
    const char* logged;   ///< the notepad's log line, empty for none
};

class NotepadText : public Conversion, public ::testing::WithParamInterface<NotepadCase> {};

TEST_P(NotepadText, IsCopiedOnlyWhenThereIsOneAndNoneInTheWay) {
    const NotepadCase& notepad = GetParam();
    notepad.prepare(m_folders);
    m_dialogs.QueueAnswers({"Yes", "<ok>"});
    m_dialogs.QueueAnswers(notepad.answers);
    ASSERT_TRUE(AcceptAndConvert());
    QStringList expected = kConvertedLog;
    expected.removeAll("NPAD.TXT copied");
    if (*notepad.logged) {
        expected.insert(expected.size() - 1, notepad.logged);
    }
    EXPECT_EQ(m_converter.LogLines(), expected);
    EXPECT_EQ(m_dialogs.PendingAnswers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Converter, NotepadText,
    ::testing::Values(NotepadCase{"NoneInTheLegacyFolder",
                                  [](const ConversionFolders& f) { QFile::remove(f.Legacy() + "/NPAD.TXT"); },
                                  {},
                                  ""},
                      NotepadCase{"OneAlreadyThere",
                                  [](const ConversionFolders& f) {
                                      test::WriteBytes(f.Home() + "/npad.txt", "mine");
                                  },
                                  {},
                                  ""},
                      NotepadCase{"NamedInAnotherCase",
                                  [](const ConversionFolders& f) {
                                      QFile::rename(f.Legacy() + "/NPAD.TXT", f.Legacy() + "/Npad.Txt");
                                  },
                                  {},
                                  "NPAD.TXT copied"},
                      NotepadCase{"CannotBeWrittenAndTheUserGivesUp",
                                  [](const ConversionFolders& f) {
                                      test::MakeUnsaveable(f.Home() + "/NPAD.TXT", test::LinkTarget::Missing);
                                  },
                                  {"Yes", "No"},
                                  "Problem copying NPAD.TXT"}),
    [](const ::testing::TestParamInfo<NotepadCase>& param) { return std::string(param.param.name); });

TEST_F(Conversion, TheFolderDialogStartsWhereTheLastChoiceWas) {
    QStringList starts;
    QString answer = m_folders.Legacy();
    m_converter.SetFolderChooser([&](QString& folder) {
        starts << folder;
        if (answer.isEmpty()) {
            return false;
        }
        folder = answer;
        return true;
    });
    m_converter.ChooseLegacyFolder();
    EXPECT_TRUE(m_converter.ConvertEnabled());
    answer.clear();
    m_converter.ChooseLegacyFolder();
    EXPECT_EQ(starts, QStringList({"/", m_folders.Legacy() + "/"}));
    EXPECT_TRUE(m_converter.ConvertEnabled());  // Cancel changes nothing
}

TEST(LegacySettingsFile, ReadsWindowsTextWithDefaultsAndBackslashes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SONWICK.INI");
    test::WriteBytes(path,
                     "[main]\r\ndbname=Caf\xE9 & Bar\r\nROOT=E:\\Songs\\Rock\\\r\nDBvn=0x12C\r\nOGGTAG=0\r\n"
                     "MP3ID3V2=2\r\nFADETIME=fast\r\nSHOWALNUM=\r\n");
    const LegacySettings settings = ReadLegacySettings(path);
    EXPECT_EQ(settings.DBName, "Café & Bar");
    EXPECT_EQ(settings.Root, "E:/Songs/Rock/");
    EXPECT_EQ(settings.DBvn, 300);
    EXPECT_TRUE(settings.MP3ID3V1);
    EXPECT_TRUE(settings.MP3ID3V2);
    EXPECT_FALSE(settings.OGGTAG);
    EXPECT_EQ(settings.DBSIZE, 0);
    EXPECT_EQ(settings.FADETIME, 1000);
    EXPECT_TRUE(settings.SHOWALNUM);

    const LegacySettings missing = ReadLegacySettings(dir.filePath("none.ini"));
    EXPECT_EQ(missing.DBvn, 101);
    EXPECT_TRUE(missing.DBName.isEmpty());
}

}  // namespace
}  // namespace sw
