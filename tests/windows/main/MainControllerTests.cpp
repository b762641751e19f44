#include <gtest/gtest.h>

#include "../QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestCatalogue.h"
#include "core/CatalogueDisplay.h"
#include "core/CoreSession.h"
#include "core/IniFile.h"
#include "foundation/QuietChange.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/main/MainController.h"

namespace sw {
namespace {

/// Counts what the controller asks the main window to show.
struct RecordingDisplay : CatalogueDisplay {
    void ShowCatalogueLabels() override { ++labels; }
    void ShowCatalogueVersion() override { ++versions; }
    void ShowJukeboxSize() override { ++sizes; }
    int labels = 0;
    int versions = 0;
    int sizes = 0;
};

/// A session on a program folder of its own, its settings read, with the controller over it.
class MainControllerTest : public ::testing::Test {
protected:
    MainControllerTest() {
        QDir().mkpath(m_dir.filePath("SW3DATA"));
        m_session.paths = MakeProgramPaths(m_dir.path());
        m_session.settings = DefaultSettings();
        m_session.settingsRead = true;
        m_session.display = &m_display;
    }

    Settings& S() { return m_session.settings; }
    /// READONLY as the settings file holds it; -1 when the file has no such key.
    int StoredReadOnly() const {
        if (!QFile::exists(m_session.paths.settingsFile)) {
            return -1;
        }
        return IniFile(m_session.paths.settingsFile).ReadInteger("main", "READONLY", -1);
    }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    RecordingDisplay m_display;
    CoreSession m_session;
    MainController m_controller{m_session};
};

struct ReadOnlyCase {
    const char* name;
    bool startsReadOnly;
    bool byNotice;  ///< the "Database is read-only" notice clicked instead of the menu entry
    QStringList answers;
    QStringList asked;
    bool endsReadOnly;
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadOnlySwitch : public MainControllerTest, public ::testing::WithParamInterface<ReadOnlyCase> {};

const QString kBlock = "Block changes to this database - OK ? -> ";
const QString kAllow = "Allow changes to this database ? -> ";
const QString kSure = "Are you sure that this database has not already been changed elsewhere ? -> ";

TEST_P(ReadOnlySwitch, AsksThenSwitchesAndSavesTheSettingsAtOnce) {
    const ReadOnlyCase& c = GetParam();
    S().READONLY = c.startsReadOnly;
    m_dialogs.QueueAnswers(c.answers);
    if (c.byNotice) {
        m_controller.ReadOnlyNoticeClicked();
    } else {
        EXPECT_EQ(m_controller.ReadOnlyChosen(!c.startsReadOnly), c.endsReadOnly);
    }
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), c.asked);
    EXPECT_EQ(S().READONLY, c.endsReadOnly);
    const bool switched = c.endsReadOnly != c.startsReadOnly;
    // Only a switch writes the file, and it writes it before anything else happens.
    EXPECT_EQ(StoredReadOnly(), switched ? int(c.endsReadOnly) : -1);
    EXPECT_EQ(m_display.labels, switched ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Questions, ReadOnlySwitch,
    ::testing::Values(
        ReadOnlyCase{"BlockAnsweredYes", false, false, {"Yes"}, {kBlock + "Yes"}, true},
        ReadOnlyCase{"BlockAnsweredNo", false, false, {"No"}, {kBlock + "No"}, false},
        ReadOnlyCase{"AllowBothYes", true, false, {"Yes", "Yes"}, {kAllow + "Yes", kSure + "Yes"}, false},
        ReadOnlyCase{"AllowFirstNo", true, false, {"No"}, {kAllow + "No"}, true},
        ReadOnlyCase{
            "AllowSecondCancel", true, false, {"Yes", "Cancel"}, {kAllow + "Yes", kSure + "Cancel"}, true},
        ReadOnlyCase{"NoticeBothYes", true, true, {"Yes", "Yes"}, {kAllow + "Yes", kSure + "Yes"}, false},
        ReadOnlyCase{"NoticeSecondNo", true, true, {"Yes", "No"}, {kAllow + "Yes", kSure + "No"}, true}),
    [](const auto& param) { return std::string(param.param.name); });

struct RootCase {
    const char* name;
    QString chosen;  ///< what the folder dialog returns; empty: cancelled
    QString root;    ///< Root afterwards
};

void PrintTo(const RootCase& c, std::ostream* os) {
    *os << c.name;
}

class RootFolder : public MainControllerTest, public ::testing::WithParamInterface<RootCase> {};

TEST_P(RootFolder, KeepsTheFolderAsSpelledEndingWithASlash) {
    const RootCase& c = GetParam();
    S().Root = "/srv/Old Music/";
    QString openedAt;
    m_controller.Hooks().selectFolder = [&](QString& folder) {
        openedAt = folder;
        if (c.chosen.isEmpty()) {
            return false;
        }
        folder = c.chosen;
        return true;
    };
    m_controller.RootFolderCommand();
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              QStringList{"Root path for MP3/OGG files = \"/srv/Old Music/\" - change? -> Yes"});
    EXPECT_EQ(openedAt, "/srv/Old Music/");
    EXPECT_EQ(S().Root, c.root);
    EXPECT_EQ(m_display.labels, c.chosen.isEmpty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Chosen, RootFolder,
    ::testing::Values(RootCase{"MixedCase", "/media/Ann/Music/Rock", "/media/Ann/Music/Rock/"},
                      RootCase{"EndingWithSlash", "/home/ann/Musik/", "/home/ann/Musik/"},
                      RootCase{"Apostrophe", "/data/Ann's Songs", "/data/Ann's Songs/"},
                      RootCase{"Cancelled", "", "/srv/Old Music/"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainControllerTest, RootFolderAnsweredNoOpensNoDialog) {
    bool opened = false;
    m_controller.Hooks().selectFolder = [&](QString&) { return opened = true; };
    m_dialogs.QueueAnswer("No");
    m_controller.RootFolderCommand();
    EXPECT_FALSE(opened);
    EXPECT_EQ(S().Root, "");
}

TEST_F(MainControllerTest, RecentAdditionsAskedTakesTheDaysWithinRange) {
    QList<int> listed;
    m_controller.Hooks().showRecentSongs = [&] { listed << S().DAYSRECENT; };
    S().DAYSRECENT = 10;
    for (const char* answer : {"<ok>", "45", "<cancel>", "-3", "100000", ""}) {
        m_dialogs.QueueAnswer(answer);
        m_controller.RecentAdditionsAsked();
    }
    EXPECT_EQ(listed, (QList<int>{10, 45, 0}));
    EXPECT_EQ(m_dialogs.TextsOf("INPUT").first(), "\"Recent\" = How many days ? -> 10");
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), (QStringList{"Out of range", "Out of range"}));
    EXPECT_EQ(S().DAYSRECENT, 0);
}

TEST_F(MainControllerTest, RandomFlashesTheFilterPicksTwentyUnderTheBusyCursorAndShowsPlaylistZero) {
    QStringList calls;
    m_controller.Hooks().pickRandomSongs = [&](int count, int filter) {
        calls << QString("pick %1 %2 busy=%3").arg(count).arg(filter).arg(m_dialogs.BusyCursorShown());
        return count;
    };
    m_controller.Hooks().showPlaylistSongs = [&](int id) {
        calls << QString("show %1 busy=%2").arg(id).arg(m_dialogs.BusyCursorShown());
    };
    S().FILTER = 3;
    m_controller.Random();
    m_controller.RandomWithFilter(-1);
    EXPECT_EQ(calls,
              (QStringList{"pick 20 3 busy=1", "show 0 busy=0", "pick 20 -1 busy=1", "show 0 busy=0"}));
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Filter = 3"});
    EXPECT_EQ(S().FILTER, -1);
}

TEST_F(MainControllerTest, LastLoadedLeavesTheRandomFilterAtNoFilter) {
    int shown = 0;
    m_controller.Hooks().showLastLoaded = [&] { ++shown; };
    EXPECT_EQ(m_controller.RandomCaption(), "Random  ( Default filtering )");
    m_controller.LastLoaded();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(S().FILTER, 99);
    EXPECT_EQ(m_controller.RandomCaption(), "Random  ( No filter )");
    S().FILTER = 2;
    EXPECT_EQ(m_controller.RandomCaption(), "Random  ( Filter = 2 )");
}

TEST_F(MainControllerTest, LoadIsRefusedOnAReadOnlyCatalogue) {
    int opened = 0;
    m_controller.Hooks().showLoadWindow = [&] { ++opened; };
    S().READONLY = true;
    m_controller.Load();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{"Cannot make changes, database is read-only\\n( see menu option \"Database\")"});
    S().READONLY = false;
    m_controller.Load();
    EXPECT_EQ(opened, 1);
}

TEST_F(MainControllerTest, StatisticsRefreshTheSizeLabelsUnlessInterrupted) {
    bool completed = false;
    m_controller.Hooks().showStatistics = [&] { return completed; };
    m_controller.Statistics();
    EXPECT_EQ(m_display.sizes, 0);
    completed = true;
    m_controller.Statistics();
    EXPECT_EQ(m_display.sizes, 1);
}

TEST_F(MainControllerTest, DevicesAsksBeforeSeekingAgain) {
    int reseeks = 0;
    m_controller.Hooks().masterDeviceName = [] { return QString("Built-in Audio"); };
    m_controller.Hooks().reseekDevices = [&] { ++reseeks; };
    m_dialogs.QueueAnswers({"No", "Yes"});
    m_controller.Devices();
    m_controller.Devices();
    EXPECT_EQ(reseeks, 1);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(),
              "Sound output device = Built-in Audio\\nReseek devices ? -> Yes");
}

struct ArrangeCase {
    const char* name;
    QStringList answers;
    int arranged;
    int closed;
};

void PrintTo(const ArrangeCase& c, std::ostream* os) {
    *os << c.name;
}

class ArrangeQuestions : public MainControllerTest, public ::testing::WithParamInterface<ArrangeCase> {};

TEST_P(ArrangeQuestions, ArrangeThenOfferToCloseTheWindows) {
    const ArrangeCase& c = GetParam();
    int arranged = 0;
    int closed = 0;
    m_controller.Hooks().arrangeWindows = [&] { ++arranged; };
    m_controller.Hooks().closeManagedWindows = [&] { ++closed; };
    m_dialogs.QueueAnswers(c.answers);
    m_controller.Arrange();
    EXPECT_EQ(arranged, c.arranged);
    EXPECT_EQ(closed, c.closed);
}

INSTANTIATE_TEST_SUITE_P(Answers, ArrangeQuestions,
                         ::testing::Values(ArrangeCase{"NotArranged", {"No"}, 0, 0},
                                           ArrangeCase{"ArrangedAndLeftOpen", {"Yes", "No"}, 1, 0},
                                           ArrangeCase{"ArrangedThenClosed", {"Yes", "Yes"}, 1, 1}),
                         [](const auto& param) { return std::string(param.param.name); });

struct FrameCase {
    const char* name;
    QRect screen;
    int index;  ///< in the cascade; -1 for the main window
    QSize frame;
    QRect expected;
};

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << c.name;
}

class ArrangedFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ArrangedFrames, CascadeFromTheLeftEdgeShrunkToTheScreen) {
    const FrameCase& c = GetParam();
    const QRect frame =
        c.index < 0 ? ArrangedMainFrame(c.screen, c.frame) : ArrangedCascadeFrame(c.screen, c.index, c.frame);
    EXPECT_EQ(frame, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, ArrangedFrames,
    ::testing::Values(
        FrameCase{"MainTopRight", {0, 0, 1280, 1024}, -1, {600, 300}, {680, 0, 600, 300}},
        FrameCase{"MainOnASecondScreen", {1920, 0, 1280, 1024}, -1, {600, 300}, {2600, 0, 600, 300}},
        FrameCase{"QueueFirst", {0, 0, 1280, 1024}, 0, {700, 500}, {0, 175, 700, 500}},
        FrameCase{"SongsNext", {0, 0, 1280, 1024}, 1, {700, 500}, {80, 150, 700, 500}},
        FrameCase{"NotepadLast", {0, 0, 1280, 1024}, 6, {400, 300}, {480, 25, 400, 300}},
        FrameCase{"NotepadShrunkToTheRightEdge", {0, 0, 800, 600}, 6, {400, 300}, {480, 25, 320, 300}},
        FrameCase{"QueueShrunkToTheBottomEdge", {0, 0, 800, 600}, 0, {500, 500}, {0, 175, 500, 425}},
        FrameCase{"BelowAPanel", {0, 32, 1280, 992}, 2, {300, 300}, {160, 157, 300, 300}},
        FrameCase{"ScreenNarrowerThanTheCascade", {0, 0, 400, 300}, 6, {400, 300}, {480, 25, 1, 275}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainControllerTest, AQuietChangeIsSwallowedByTheWritePolicyAndDefaultEntries) {
    S().MP3TAGPOLICY = 4;
    SetQuietChange();
    EXPECT_FALSE(m_controller.WritePolicyChosen(1));
    EXPECT_EQ(S().MP3TAGPOLICY, 4);
    SetQuietChange();
    EXPECT_FALSE(m_controller.UseDefaultTagPolicy());
    EXPECT_EQ(S().MP3TAGPOLICY, 4);
    // The flag is spent: the next real choice counts.
    EXPECT_TRUE(m_controller.WritePolicyChosen(1));
    EXPECT_EQ(S().MP3TAGPOLICY, 1);
}

TEST_F(MainControllerTest, SqueezingTheRatingSaysWhereItGoes) {
    m_controller.SqueezeRatingChosen(true);
    m_controller.SqueezeRatingChosen(false);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{
                  "Rating will be stored in ID3v2 \"Encoder\" field on MP3 and in \"Vendor\" field on OGG"});
}

struct PreampCase {
    const char* name;
    int start;
    QString answer;
    QString asked;  ///< the box's text as shown, then the answer
    int preamp;     ///< PREAMP afterwards
    QStringList told;
};

void PrintTo(const PreampCase& c, std::ostream* os) {
    *os << c.name;
}

class PreampQuestion : public MainControllerTest, public ::testing::WithParamInterface<PreampCase> {};

const QString kPreampPrompt = "Pre-amp in dB (-15 to +15) -> ";

TEST_P(PreampQuestion, TakesWholeDecibelsWithinRangeAndKeepsTheOldValueOtherwise) {
    const PreampCase& c = GetParam();
    S().PREAMP = c.start;
    m_dialogs.QueueAnswer(c.answer);
    m_controller.PreampAsked();
    EXPECT_EQ(m_dialogs.TextsOf("INPUT"), QStringList{kPreampPrompt + c.asked});
    EXPECT_EQ(S().PREAMP, c.preamp);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), c.told);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PreampQuestion,
    ::testing::Values(
        PreampCase{"Boost", 0, "3", "3", 3, {}}, PreampCase{"SignedBoost", 2, "+7", "+7", 7, {}},
        PreampCase{"Cut", 0, "-6", "-6", -6, {}}, PreampCase{"TopEnd", -2, "15", "15", 15, {}},
        PreampCase{"BottomEnd", 4, "-15", "-15", -15, {}},
        PreampCase{"OkOnACutKeepsTheCut", -6, "<ok>", "-6", -6, {}},
        PreampCase{"OkOnZeroKeepsZero", 0, "<ok>", "0", 0, {}},
        PreampCase{"Cancelled", 5, "<cancel>", "(cancelled)", 5, {}},
        PreampCase{"EmptyBoxChangesNothing", 5, "", "", 5, {}},
        PreampCase{
            "AboveTheRange", 4, "16", "16", 4, {"The pre-amp must be from -15 to +15 dB; it stays at 4 dB"}},
        PreampCase{"BelowTheRange",
                   -3,
                   "-40",
                   "-40",
                   -3,
                   {"The pre-amp must be from -15 to +15 dB; it stays at -3 dB"}},
        PreampCase{"NotANumber", 1, "loud", "loud", 1, {"Invalid integer \"loud\""}},
        PreampCase{"NotWhole", 1, "2.5", "2.5", 1, {"Invalid integer \"2.5\""}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainControllerTest, TheLevellingChoiceIsTheOnlyOneCheckedAndThePreampCaptionShowsTheValue) {
    for (const LoudnessModeEntry& chosen : kLoudnessModeEntries) {
        SCOPED_TRACE(chosen.caption);
        m_controller.LoudnessModeChosen(chosen.mode);
        EXPECT_EQ(S().LOUDNESS, chosen.mode);
        for (const LoudnessModeEntry& entry : kLoudnessModeEntries) {
            EXPECT_EQ(m_controller.LoudnessModeChecked(entry.mode), entry.mode == chosen.mode)
                << entry.caption;
        }
    }
    const std::pair<int, QString> captions[] = {
        {0, "Pre-amp (dB) = 0"}, {3, "Pre-amp (dB) = 3"}, {-15, "Pre-amp (dB) = -15"}};
    for (const auto& [preamp, caption] : captions) {
        S().PREAMP = preamp;
        EXPECT_EQ(m_controller.PreampCaption(), caption);
    }
}

TEST(MainControllerCatalogue, RenameWritesTheNameAndShowsIt) {
    test::TestCatalogue source("Old name", test::CatalogueStart::Current);
    CoreSession session;
    source.Open(session.catalogue);
    session.catalogue.ReadParams();
    RecordingDisplay display;
    session.display = &display;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    MainController controller(session);

    dialogs.QueueAnswers({"<cancel>", "Ann's \"best\" songs"});
    controller.RenameCatalogue();
    EXPECT_EQ(session.catalogue.CatalogueName(), "Old name");
    controller.RenameCatalogue();
    EXPECT_EQ(dialogs.TextsOf("INPUT").first(), "Database name -> (cancelled)");
    EXPECT_EQ(display.labels, 1);
    session.catalogue.CloseCatalogue();

    Catalogue reopened;
    source.Open(reopened);
    reopened.ReadParams();
    EXPECT_EQ(reopened.CatalogueName(), "Ann's \"best\" songs");

    // A name longer than the column holds is cut to its 80 characters.
    MainController again(session);
    session.catalogue.Open(source.Path());
    dialogs.QueueAnswer(QString(100, QChar(0x00e9)));
    again.RenameCatalogue();
    session.catalogue.CommitAndContinue();
    reopened.CommitAndContinue();
    reopened.ReadParams();
    EXPECT_EQ(reopened.CatalogueName(), QString(80, QChar(0x00e9)));
}

}  // namespace
}  // namespace sw
