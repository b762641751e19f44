#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "SettingsKeys.h"
#include "core/IniFile.h"
#include "core/Settings.h"

namespace sw {
namespace {

class SettingsFile : public ::testing::Test {
protected:
    QString Path() const { return m_dir.filePath("SONWICK3.INI"); }

    void Write(const QByteArray& content) {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QString Read() const {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    Settings ReadSettings() {
        Settings settings;
        TransferSettingsFile('G', settings, Path());
        return settings;
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsFile, MissingOrEmptyFileGivesTheDefaults) {
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            Write("");
        }
        const Settings s = ReadSettings();
        EXPECT_EQ(s.Flashinterval, 800);
        EXPECT_EQ(s.LastLoadedTS, 0);
        EXPECT_EQ(s.LoadPath, "");
        EXPECT_EQ(s.Root, "");
        EXPECT_EQ(s.MP3TAGPOLICY, 2);
        EXPECT_EQ(s.MP3TAGREADPREFV1V2, 2);
        EXPECT_TRUE(s.OGGTAG);
        EXPECT_EQ(s.DBSIZE, 0);
        EXPECT_EQ(s.FADETIME, 1000);
        EXPECT_TRUE(s.SHOWALNUM);
        EXPECT_FALSE(s.SQUEEZERATING);
        EXPECT_FALSE(s.FILTERALBUMS);
        EXPECT_EQ(s.PREVIEWSOUNDCARD, -1);
        EXPECT_EQ(s.DAYSRECENT, 10);
        EXPECT_FALSE(s.READONLY);
        EXPECT_TRUE(s.PROMPTTOREMOVE);
        EXPECT_EQ(s.FILTER, 1);
        EXPECT_FALSE(s.FADEONPAUSE);
        EXPECT_TRUE(s.FADEONNEXT);
        EXPECT_TRUE(s.ConfirmDevicesAtStartup);
        EXPECT_FALSE(s.DoubleClickToEdit);
        EXPECT_TRUE(s.DesktopMediaControl);
        EXPECT_FALSE(s.UNICODETAGS);
        EXPECT_FALSE(s.FLACOPUS);
        EXPECT_EQ(s.VOLUME, 100);
        EXPECT_FALSE(s.MUTE);
        EXPECT_EQ(s.LOUDNESS, kLoudnessOff);
        EXPECT_EQ(s.PREAMP, 0);
        EXPECT_TRUE(s.CLIPGUARD);
    }
}

// The volume is a share of the full level: a value beyond it reads as the nearest end.
TEST_F(SettingsFile, TheVolumeReadsWithinNoneToFull) {
    const std::pair<const char*, int> cases[] = {{"55", 55}, {"-4", 0}, {"250", 100}, {"loud", 100}};
    for (const auto& [stored, read] : cases) {
        Write(QByteArray("[main]\nVOLUME=") + stored + "\nMUTE=1\n");
        const Settings s = ReadSettings();
        EXPECT_EQ(s.VOLUME, read) << stored;
        EXPECT_TRUE(s.MUTE);
    }
}

TEST_F(SettingsFile, ANewProgramFolderStartsWithModernTagsAndAnExistingFileStaysAsItIs) {
    ASSERT_TRUE(WriteNewFolderSettings(Path()));
    Settings s = ReadSettings();
    EXPECT_TRUE(s.UNICODETAGS);
    EXPECT_TRUE(s.FLACOPUS);
    EXPECT_EQ(s.LOUDNESS, kLoudnessTrack);
    // Everything else as a missing file gives it.
    s.UNICODETAGS = false;
    s.FLACOPUS = false;
    const Settings defaults = DefaultSettings();
    EXPECT_EQ(s.MP3TAGPOLICY, defaults.MP3TAGPOLICY);
    EXPECT_EQ(s.Flashinterval, defaults.Flashinterval);
    EXPECT_EQ(s.VOLUME, defaults.VOLUME);
    EXPECT_EQ(s.PREAMP, defaults.PREAMP);
    EXPECT_EQ(s.CLIPGUARD, defaults.CLIPGUARD);

    // A folder with settings of its own (the converter's, with both keys off) keeps them.
    Write("[main]\nUNICODETAGS=0\nFLACOPUS=0\n");
    EXPECT_FALSE(WriteNewFolderSettings(Path()));
    EXPECT_FALSE(ReadSettings().UNICODETAGS);
    EXPECT_FALSE(ReadSettings().FLACOPUS);
    EXPECT_EQ(ReadSettings().LOUDNESS, kLoudnessOff);
}

/// The levelling keys as stored, and as read.
struct LevellingCase {
    const char* name;
    QByteArray stored;
    int loudness;
    int preamp;
    bool clipGuard;
};

void PrintTo(const LevellingCase& c, std::ostream* os) {
    *os << c.name;
}

class LevellingKeys : public SettingsFile, public ::testing::WithParamInterface<LevellingCase> {};

// A value beyond its range reads as the nearest end; what is read is written back as read.
TEST_P(LevellingKeys, ReadWithinTheirRangesAndSavedAsRead) {
    const LevellingCase& c = GetParam();
    Write(c.stored);
    Settings s = ReadSettings();
    EXPECT_EQ(s.LOUDNESS, c.loudness);
    EXPECT_EQ(s.PREAMP, c.preamp);
    EXPECT_EQ(s.CLIPGUARD, c.clipGuard);

    TransferSettingsFile('S', s, Path());
    const Settings back = ReadSettings();
    EXPECT_EQ(back.LOUDNESS, c.loudness);
    EXPECT_EQ(back.PREAMP, c.preamp);
    EXPECT_EQ(back.CLIPGUARD, c.clipGuard);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, LevellingKeys,
    ::testing::Values(LevellingCase{"KeysMissing", "[main]\nVOLUME=40\n", kLoudnessOff, 0, true},
                      LevellingCase{"EmptyFile", "", kLoudnessOff, 0, true},
                      LevellingCase{"TrackKept", "[main]\nLOUDNESS=1\nPREAMP=3\n", kLoudnessTrack, 3, true},
                      LevellingCase{"AlbumWithACutAndNoGuard", "[main]\nLOUDNESS=2\nPREAMP=-6\nCLIPGUARD=0\n",
                                    kLoudnessAlbum, -6, false},
                      LevellingCase{"ModeAboveAlbumIsAlbum", "[main]\nLOUDNESS=7\n", kLoudnessAlbum, 0, true},
                      LevellingCase{"NegativeModeIsOff", "[main]\nLOUDNESS=-1\n", kLoudnessOff, 0, true},
                      LevellingCase{"PreampAtItsUpperEnd", "[main]\nPREAMP=15\n", kLoudnessOff, 15, true},
                      LevellingCase{"PreampAtItsLowerEnd", "[main]\nPREAMP=-15\n", kLoudnessOff, -15, true},
                      LevellingCase{"PreampAboveFifteen", "[main]\nPREAMP=16\n", kLoudnessOff, 15, true},
                      LevellingCase{"PreampFarBelow", "[main]\nPREAMP=-99\n", kLoudnessOff, -15, true},
                      LevellingCase{"WordsReadAsDefaults",
                                    "[main]\nLOUDNESS=album\nPREAMP=loud\nCLIPGUARD=yes\n", kLoudnessOff, 0,
                                    true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SettingsFile, WritesEveryKeyInOrderAndReadsThemBack) {
    Settings s = ReadSettings();
    s.Root = "/home/ann/Musik/Björk 'n' Co/";
    s.FILTER = 99;
    s.READONLY = true;
    s.DBSIZE = 12345;
    s.DesktopMediaControl = false;
    s.FLACOPUS = true;
    s.LastLoadedTS = StampToDateTime({{2024, 5, 6}, {7, 8, 9}});
    TransferSettingsFile('S', s, Path());

    const QStringList& keys = test::kMainSettingKeys;
    const QString text = Read();
    qsizetype last = -1;
    for (const QString& key : keys) {
        const qsizetype at = text.indexOf("\n" + key + " = ");
        EXPECT_GT(at, last) << key.toStdString() << " missing or out of order in\n" << text.toStdString();
        last = at;
    }
    EXPECT_TRUE(text.contains("LastLoadedTS-date = 20240506"));
    EXPECT_TRUE(text.contains("LastLoadedTS-time = 70809"));
    EXPECT_TRUE(text.contains("READONLY = 1"));
    EXPECT_TRUE(text.contains("DesktopMediaControl = 0"));
    EXPECT_TRUE(text.contains("UNICODETAGS = 0"));
    EXPECT_TRUE(text.contains("FLACOPUS = 1"));

    const Settings back = ReadSettings();
    EXPECT_EQ(back.Root, s.Root);
    EXPECT_EQ(back.FILTER, 99);
    EXPECT_TRUE(back.READONLY);
    EXPECT_EQ(back.DBSIZE, 12345);
    EXPECT_FALSE(back.DesktopMediaControl);
    EXPECT_FALSE(back.UNICODETAGS);
    EXPECT_TRUE(back.FLACOPUS);
    EXPECT_EQ(DateTimeToNumbers(back.LastLoadedTS).date, 20240506);
    EXPECT_EQ(DateTimeToNumbers(back.LastLoadedTS).time, 70809);
}

TEST_F(SettingsFile, ReadPreferenceOutsideOneAndTwoBecomesOne) {
    Write("[main]\nMP3TAGREADPREFV1V2=7\n");
    Settings s = ReadSettings();
    EXPECT_EQ(s.MP3TAGREADPREFV1V2, 1);
    TransferSettingsFile('S', s, Path());
    EXPECT_TRUE(Read().contains("MP3TAGREADPREFV1V2 = 1"));
}

TEST_F(SettingsFile, ValuesOfTheWrongFormReadAsDefaults) {
    Write(
        "[MAIN]\nfadetime=fast\nFILTER=0x4\nflashinterval= 900 \nOGGTAG=0\nSHOWALNUM=5\nDAYSRECENT=\n"
        "PREVIEWSOUNDCARD=-3\n");
    const Settings s = ReadSettings();
    EXPECT_EQ(s.FADETIME, 1000);
    EXPECT_EQ(s.FILTER, 4);
    EXPECT_EQ(s.Flashinterval, 900);
    EXPECT_FALSE(s.OGGTAG);
    EXPECT_TRUE(s.SHOWALNUM);
    EXPECT_EQ(s.DAYSRECENT, 10);
    EXPECT_EQ(s.PREVIEWSOUNDCARD, -3);
}

TEST_F(SettingsFile, TheOldSingleKeyLeavesAtTheNextSaveAndForeignKeysStay) {
    const QByteArray stored =
        "[main]\nDBName=My "
        "songs\nLastLoadedTS=45000.5\nLastLoadedTS-date=20240101\nLastLoadedTS-time=120000\n"
        "DBvn=3\nMP3ID3V1=1\nMP3ID3V2=0\nSomethingElse=x\n[forms]\nFSongs-TOP=10\n";
    Write(stored);
    Settings s = ReadSettings();
    // Reading never writes.
    EXPECT_EQ(Read().toUtf8(), stored);
    EXPECT_EQ(DateTimeToNumbers(s.LastLoadedTS).date, 20240101);

    TransferSettingsFile('S', s, Path());
    const QString afterSave = Read();
    EXPECT_FALSE(afterSave.contains("LastLoadedTS=45000")) << afterSave.toStdString();
    EXPECT_TRUE(afterSave.contains("20240101"));
    IniFile file(Path());
    EXPECT_EQ(file.ReadString("main", "DBName", ""), "My songs");
    EXPECT_EQ(file.ReadInteger("main", "DBvn", 0), 3);
    EXPECT_EQ(file.ReadInteger("main", "MP3ID3V1", 0), 1);
    EXPECT_EQ(file.ReadInteger("main", "MP3ID3V2", 7), 0);
    EXPECT_EQ(file.ReadString("main", "SomethingElse", ""), "x");
    EXPECT_EQ(file.ReadInteger("forms", "FSongs-TOP", 0), 10);
}

TEST_F(SettingsFile, AReadAndSaveGivesBackTheFileByteForByte) {
    Settings s = ReadSettings();
    TransferSettingsFile('S', s, Path());
    // What a user or an older edition may leave in the file: a root in Latin-1, a line with a NUL
    // byte, a comment, a key the program does not know, lines ending in CR LF.
    QByteArray stored;
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        stored = file.readAll();
    }
    stored.replace("Root = \n", "Root = /music/Caf\xE9/\r\n");
    stored.replace("[forms]", "; kept\r\nBroken\0line=1\nOwnKey = own value \n");
    stored.append("[main]\nFADETIME=5\n");
    Write(stored);

    s = ReadSettings();
    EXPECT_EQ(s.Root, "/music/Caf\u00e9/");
    EXPECT_EQ(s.FADETIME, 1000) << "the first key counts";
    TransferSettingsFile('S', s, Path());
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), stored);
}

TEST_F(SettingsFile, ARootStoredWithoutItsFinalSlashIsReadWithOne) {
    Write("[main]\nRoot=/media/Ann/Music\n");
    EXPECT_EQ(ReadSettings().Root, "/media/Ann/Music/");
    Write("[main]\nRoot=\n");
    EXPECT_EQ(ReadSettings().Root, "");
}

TEST_F(SettingsFile, DateTimesRoundToTheSecondAndZeroMeansNoMoment) {
    Settings s;
    const TDateTime almostMidnight = DateToDateTime({2024, 3, 31}) + (23 * 3600 + 59 * 60 + 59.6) / 86400.0;
    s.LastLoadedTS = almostMidnight;
    TransferSettingsFile('S', s, Path());
    IniFile file(Path());
    EXPECT_EQ(file.ReadInteger("main", "LastLoadedTS-date", -1), 20240401);
    EXPECT_EQ(file.ReadInteger("main", "LastLoadedTS-time", -1), 0);

    Write("[main]\nLastLoadedTS-date=0\nLastLoadedTS-time=123456\n");
    EXPECT_EQ(ReadSettings().LastLoadedTS, 0);
    Write("[main]\nLastLoadedTS-date=20241345\nLastLoadedTS-time=10\n");
    EXPECT_EQ(ReadSettings().LastLoadedTS, 0);
}

/// A settings file before and after one change by the program.
struct RewriteCase {
    const char* name;
    QByteArray before;
    std::function<void(IniFile&)> change;
    QByteArray after;
};

void PrintTo(const RewriteCase& c, std::ostream* os) {
    *os << c.name;
}

class IniRewrite : public SettingsFile, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(IniRewrite, ChangesOnlyWhatTheProgramChanged) {
    const RewriteCase& c = GetParam();
    Write(c.before);
    IniFile file(Path());
    c.change(file);
    file.Save();
    QFile result(Path());
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IniRewrite,
    ::testing::Values(RewriteCase{"ANulMakesOneBadLineOnly", QByteArray("[main]\nA=1\nB\0junk=2\nC=3\n", 24),
                                  [](IniFile& f) { f.WriteInteger("main", "C", 4); },
                                  QByteArray("[main]\nA=1\nB\0junk=2\nC = 4\n", 26)},
                      RewriteCase{"CrLfFileGetsCrLfLines", "[main]\r\nA=1\r\n\r\n[forms]\r\nX=1\r\n",
                                  [](IniFile& f) {
                                      f.WriteInteger("main", "A", 2);
                                      f.WriteInteger("main", "B", 5);
                                  },
                                  "[main]\r\nA = 2\r\nB = 5\r\n\r\n[forms]\r\nX=1\r\n"},
                      RewriteCase{"TheFirstOfTwinKeysIsTheOneChanged", "[main]\nA=1\nA=2\n",
                                  [](IniFile& f) { f.WriteInteger("main", "A", 3); }, "[main]\nA = 3\nA=2\n"},
                      RewriteCase{"AChangedKeyKeepsItsSpelling", "[MAIN]\nfadetime=1000\n",
                                  [](IniFile& f) { f.WriteInteger("main", "FADETIME", 2500); },
                                  "[MAIN]\nfadetime = 2500\n"},
                      RewriteCase{"ANewKeyFollowsALastLineWithoutEnding", "[main]\nA=1",
                                  [](IniFile& f) { f.WriteInteger("main", "B", 2); }, "[main]\nA=1\nB = 2\n"},
                      RewriteCase{"ANewKeyEndsItsSectionBeforeTheBlankLines",
                                  "[main]\nA=1\n\n\n[forms]\nX=1\n",
                                  [](IniFile& f) { f.WriteInteger("main", "B", 2); },
                                  "[main]\nA=1\nB = 2\n\n\n[forms]\nX=1\n"},
                      RewriteCase{"ANewSectionFollowsTwoBlankLines", "; mine\n[main]\nA=1\n",
                                  [](IniFile& f) { f.WriteInteger("forms", "X", 1); },
                                  "; mine\n[main]\nA=1\n\n\n[forms]\nX = 1\n"},
                      RewriteCase{"DeletingAKeyRemovesEveryCopyOfItOnly",
                                  "[main]\nLastLoadedTS=1\nLastLoadedTS-date=2\nlastloadedts=3\n",
                                  [](IniFile& f) { f.DeleteKey("main", "LastLoadedTS"); },
                                  "[main]\nLastLoadedTS-date=2\n"},
                      RewriteCase{"ALineBreakInAValueMakesNoNewLine", "[main]\n",
                                  [](IniFile& f) { f.WriteString("main", "Root", "/a\n[main]\nREADONLY=1"); },
                                  "[main]\nRoot = /a [main] READONLY=1\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SettingsFile, ReadingTakesTheFirstKeyAndReadsPastBadLines) {
    Write(QByteArray(
        "\xEF\xBB\xBF[main]\nRoot=/music/Caf\xE9/\nA=1\na=2\nB\0=7\nC=3\n[forms]\nD=5\n[Main]\nD=4\n", 68));
    const IniFile file(Path());
    EXPECT_EQ(file.ReadString("main", "Root", ""), "/music/Caf\u00e9/");
    EXPECT_EQ(file.ReadInteger("main", "A", 0), 1);
    EXPECT_FALSE(file.HasKey("main", "B"));
    EXPECT_EQ(file.ReadInteger("main", "C", 0), 3);
    EXPECT_EQ(file.ReadInteger("main", "D", 0), 4);
    EXPECT_EQ(file.ReadInteger("forms", "D", 0), 5);
}

}  // namespace
}  // namespace sw
