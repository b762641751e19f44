#include <gtest/gtest.h>

#include "../QtPrinting.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <functional>
#include <set>

#include "core/CoreSession.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/main/MainWindow.h"
#include "windows/main/Placements.h"

namespace sw {
namespace {

void Click(QWidget* target) {
    const QPointF local(target->rect().center());
    const QPointF global(target->mapToGlobal(target->rect().center()));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

/// Opens a menu as the user does, so that it prepares its entries, and closes it again.
void OpenAndClose(QMenu* menu) {
    menu->popup(QPoint(10, 10));
    QApplication::processEvents();
    menu->hide();
}

/// The main window on a session of its own, shown, its settings read.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        QDir().mkpath(m_dir.filePath("SW3DATA"));
        m_session.paths = MakeProgramPaths(m_dir.path());
        m_session.settings = DefaultSettings();
        m_session.settingsRead = true;
        m_session.display = &m_window;
        m_window.show();
    }
    ~MainWindowTest() override {
        for (QMenu* menu : m_window.findChildren<QMenu*>()) {
            menu->hide();
        }
        m_window.SetCloseRequest({});
        m_window.hide();
    }

    QAction* Entry(MainEntry entry) const { return m_window.Entry(entry); }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    CoreSession m_session;
    MainWindow m_window{m_session};
};

TEST_F(MainWindowTest, EveryTopLevelEntryHasItsOwnAltLetterAndTagsHasT) {
    QStringList captions;
    std::set<QChar> letters;
    for (QAction* top : m_window.menuBar()->actions()) {
        const QString text = top->text();
        const qsizetype mark = text.indexOf('&');
        ASSERT_GE(mark, 0) << text.toStdString();
        EXPECT_TRUE(letters.insert(text.at(mark + 1).toLower()).second) << text.toStdString();
        captions << QString(text).remove('&');
    }
    EXPECT_EQ(captions, (QStringList{"Exit", "NowPlaying", "Play", "Browse", "Search", "Load", "Database", "Tags",
                                     "Devices", "Windows", "Tools", "About"}));
    EXPECT_EQ(m_window.Menu(MainEntry::TagsMenu)->menuAction()->text(), "&Tags");
}

TEST_F(MainWindowTest, EntriesOfWindowsNotBuiltStayDisabledUntilTheirHooksAreSet) {
    for (MainEntry entry : {MainEntry::NowPlaying, MainEntry::AllAlbums, MainEntry::Songs, MainEntry::Random,
                            MainEntry::Search, MainEntry::Load, MainEntry::HealthCheck, MainEntry::Devices,
                            MainEntry::Notepad, MainEntry::About}) {
        EXPECT_FALSE(Entry(entry)->isEnabled()) << Entry(entry)->text().toStdString();
    }
    // Entries that need no other window work from the start.
    for (QAction* entry : {Entry(MainEntry::Exit), Entry(MainEntry::ReadOnly), m_window.WritePolicyAction(3),
                           Entry(MainEntry::FlashTest)}) {
        EXPECT_TRUE(entry->isEnabled()) << entry->text().toStdString();
    }
    int shown = 0;
    m_window.Hooks().showAbout = [&] { ++shown; };
    m_window.Hooks().pickRandomSongs = [](int count, int) { return count; };
    m_window.EnableReachableEntries();
    EXPECT_TRUE(Entry(MainEntry::About)->isEnabled());
    // The random entries need the songs window as well.
    EXPECT_FALSE(Entry(MainEntry::Random)->isEnabled());
    Entry(MainEntry::About)->trigger();
    EXPECT_EQ(shown, 1);
}

TEST_F(MainWindowTest, ACommandGivenLaterTakesItsPlaceInTheMenu) {
    const int entries = static_cast<int>(m_window.menuBar()->actions().size());
    int shown = 0;
    m_window.AddMenuCommand(MainEntry::NowPlaying, [&] { ++shown; });
    m_window.AddMenuCommand(MainEntry::PlayHistory, [&] { shown += 10; });
    EXPECT_EQ(m_window.menuBar()->actions().size(), entries);
    ASSERT_TRUE(Entry(MainEntry::NowPlaying)->isEnabled());
    Entry(MainEntry::NowPlaying)->trigger();
    Entry(MainEntry::PlayHistory)->trigger();
    EXPECT_EQ(shown, 11);
}

/// How a case finds its entry in the window.
using EntryOf = std::function<QAction*(const MainWindow&)>;

EntryOf Fixed(MainEntry entry) {
    return [entry](const MainWindow& window) { return window.Entry(entry); };
}

EntryOf WritePolicy(int policy) {
    return [policy](const MainWindow& window) { return window.WritePolicyAction(policy); };
}

struct TagEntryCase {
    const char* name;
    EntryOf entry;
    int policy;
    int readPreference;
    bool ogg;
    bool squeeze;
};

void PrintTo(const TagEntryCase& c, std::ostream* os) {
    *os << c.name;
}

class TagsMenu : public MainWindowTest, public ::testing::WithParamInterface<TagEntryCase> {};

TEST_P(TagsMenu, AChoiceWritesItsSettingAndTheMenuOpensAgainWithItChecked) {
    const TagEntryCase& c = GetParam();
    m_session.settings.MP3TAGPOLICY = 4;
    m_session.settings.MP3TAGREADPREFV1V2 = 1;
    m_session.settings.OGGTAG = false;
    m_session.settings.SQUEEZERATING = true;
    QMenu* tags = m_window.Menu(MainEntry::TagsMenu);
    OpenAndClose(tags);
    QAction* entry = c.entry(m_window);
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    EXPECT_EQ(m_session.settings.MP3TAGPOLICY, c.policy);
    EXPECT_EQ(m_session.settings.MP3TAGREADPREFV1V2, c.readPreference);
    EXPECT_EQ(m_session.settings.OGGTAG, c.ogg);
    EXPECT_EQ(m_session.settings.SQUEEZERATING, c.squeeze);

    QApplication::processEvents();
    EXPECT_TRUE(tags->isVisible());
    EXPECT_EQ(m_window.menuBar()->activeAction(), tags->menuAction());
    EXPECT_TRUE(m_window.WritePolicyAction(1)->isChecked() == (c.policy == 1));
    EXPECT_EQ(Entry(MainEntry::ReadV1)->isChecked(), c.readPreference == 1);
    EXPECT_EQ(Entry(MainEntry::ReadV2)->isChecked(), c.readPreference == 2);
    EXPECT_EQ(Entry(MainEntry::OggTags)->isChecked(), c.ogg);
    EXPECT_EQ(Entry(MainEntry::SqueezeRating)->isChecked(), c.squeeze);
    if (entry->isCheckable() && entry != Entry(MainEntry::SqueezeRating)) {
        EXPECT_TRUE(entry->isChecked());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, TagsMenu,
    ::testing::Values(TagEntryCase{"DefaultPolicy", Fixed(MainEntry::DefaultTagPolicy), 2, 2, true, false},
                      TagEntryCase{"ReadV2", Fixed(MainEntry::ReadV2), 4, 2, false, true},
                      TagEntryCase{"ReadV1", Fixed(MainEntry::ReadV1), 4, 1, false, true},
                      TagEntryCase{"NoTags", WritePolicy(0), 0, 1, false, true},
                      TagEntryCase{"OnlyV1", WritePolicy(1), 1, 1, false, true},
                      TagEntryCase{"V1WhereNoTruncation", WritePolicy(2), 2, 1, false, true},
                      TagEntryCase{"OnlyV2", WritePolicy(3), 3, 1, false, true},
                      TagEntryCase{"Both", WritePolicy(4), 4, 1, false, true},
                      TagEntryCase{"Ogg", Fixed(MainEntry::OggTags), 4, 1, true, true},
                      TagEntryCase{"Squeeze", Fixed(MainEntry::SqueezeRating), 4, 1, false, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainWindowTest, RecentAdditionsEntriesStoreTheirDayCounts) {
    QList<int> listed;
    m_window.Hooks().showRecentSongs = [&] { listed << m_session.settings.DAYSRECENT; };
    m_window.EnableReachableEntries();
    EXPECT_FALSE(Entry(MainEntry::RecentHeading)->isEnabled());
    const std::pair<const char*, int> spans[] = {
        {"- Day", 2}, {"- Week", 7}, {"- Month", 31}, {"- Quarter", 92}, {"- Year", 366}};
    for (const auto& [caption, days] : spans) {
        QAction* span = m_window.RecentSpanAction(days);
        ASSERT_NE(span, nullptr) << caption;
        EXPECT_EQ(span->text(), caption);
        span->trigger();
    }
    EXPECT_EQ(listed, (QList<int>{2, 7, 31, 92, 366}));
    EXPECT_EQ(m_session.settings.DAYSRECENT, 366);
}

TEST_F(MainWindowTest, BrowseShowsTheFilterAndTheFilterMenuChecksIt) {
    QList<int> picked;
    m_window.Hooks().pickRandomSongs = [&](int count, int filter) { return picked << filter, count; };
    m_window.Hooks().showPlaylistSongs = [](int) {};
    m_window.Hooks().showLastLoaded = [] {};
    m_window.EnableReachableEntries();
    Entry(MainEntry::LastLoaded)->trigger();
    OpenAndClose(m_window.Menu(MainEntry::BrowseMenu));
    // The entry now carries the filter in its caption.
    EXPECT_EQ(Entry(MainEntry::Random)->text(), "Random  ( No filter )");

    m_window.RandomFilterAction(3)->trigger();
    Entry(MainEntry::DefaultFilter)->trigger();
    QMenu* filters = m_window.Menu(MainEntry::RandomFilterMenu);
    OpenAndClose(filters);
    EXPECT_TRUE(m_window.RandomFilterAction(1)->isChecked());
    EXPECT_FALSE(m_window.RandomFilterAction(3)->isChecked());
    EXPECT_EQ(picked, (QList<int>{3, 1}));
    EXPECT_EQ(m_window.RandomFilterAction(4)->toolTip(), "Rating = +4");
}

TEST_F(MainWindowTest, ReadOnlyRefusedLeavesTheEntryUncheckedAndAllowedShowsTheNotice) {
    QMenu* database = m_window.Menu(MainEntry::DatabaseMenu);
    QAction* readOnly = Entry(MainEntry::ReadOnly);
    m_dialogs.QueueAnswers({"No", "Yes"});
    readOnly->trigger();
    OpenAndClose(database);
    EXPECT_FALSE(readOnly->isChecked());
    EXPECT_FALSE(m_window.ReadOnlyNotice()->isVisible());

    readOnly->trigger();
    EXPECT_TRUE(m_session.settings.READONLY);
    OpenAndClose(database);
    EXPECT_TRUE(readOnly->isChecked());
    EXPECT_TRUE(m_window.ReadOnlyNotice()->isVisible());

    // A click on the notice asks the two questions and switches the mode off.
    m_dialogs.QueueAnswers({"Yes", "Yes"});
    Click(m_window.ReadOnlyNotice());
    EXPECT_FALSE(m_session.settings.READONLY);
    EXPECT_FALSE(m_window.ReadOnlyNotice()->isVisible());
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 4);
}

TEST_F(MainWindowTest, LabelClicksRunTheirCommands) {
    int statistics = 0;
    m_window.Hooks().showStatistics = [&] { return ++statistics, true; };
    m_window.Hooks().selectFolder = [](QString& folder) { return folder = "/media/Music/Jazz", true; };
    Click(m_window.CaptionLabel(MainLabel::JukeboxSize));
    Click(m_window.ValueLabel(MainLabel::JukeboxSize));
    EXPECT_EQ(statistics, 2);
    Click(m_window.ValueLabel(MainLabel::RootFolder));
    EXPECT_EQ(m_window.Label(MainLabel::RootFolder), "/media/Music/Jazz/");
    // The folder's caption explains, its value invites the click.
    EXPECT_EQ(m_window.ValueLabel(MainLabel::RootFolder)->toolTip(), "Click to edit");
    EXPECT_TRUE(m_window.CaptionLabel(MainLabel::RootFolder)->toolTip().startsWith("allows you to use"));
}

TEST_F(MainWindowTest, ToolsShowsTheFlashIntervalAndTheSoundCardOption) {
    m_dialogs.SetFlashInterval(1500);
    m_session.settings.ConfirmDevicesAtStartup = false;
    OpenAndClose(m_window.Menu(MainEntry::ToolsMenu));
    QAction* interval = Entry(MainEntry::FlashInterval);
    QAction* confirm = m_window.OptionAction(&Settings::ConfirmDevicesAtStartup);
    ASSERT_TRUE(interval && confirm);
    EXPECT_EQ(interval->text(), "Flash interval (ms) = 1500");
    EXPECT_EQ(confirm->text(), "Confirm multiple sound-cards at startup");
    EXPECT_FALSE(confirm->isChecked());
    confirm->trigger();
    EXPECT_TRUE(m_session.settings.ConfirmDevicesAtStartup);
}

TEST_F(MainWindowTest, EveryOptionShowsItsSettingAndSwitchesIt) {
    std::vector<std::pair<bool Settings::*, bool>> told;
    m_window.Hooks().optionSwitched = [&](bool Settings::*setting, bool on) {
        told.emplace_back(setting, on);
    };
    for (const OptionEntry& option : kOptionEntries) {
        SCOPED_TRACE(option.caption);
        for (const bool before : {false, true}) {
            m_session.settings.*option.setting = before;
            OpenAndClose(m_window.Menu(MainEntry::ToolsMenu));
            QAction* entry = m_window.OptionAction(option.setting);
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->text(), option.caption);
            EXPECT_EQ(entry->isChecked(), before);
            entry->trigger();
            EXPECT_EQ(m_session.settings.*option.setting, !before);
            ASSERT_FALSE(told.empty());
            EXPECT_TRUE(told.back().first == option.setting);
            EXPECT_EQ(told.back().second, !before);
        }
    }
    EXPECT_EQ(told.size(), 2 * kOptionEntries.size());
}

TEST_F(MainWindowTest, LevellingEntriesFollowTheCheckEntriesOfOptions) {
    QMenu* options = m_window.Menu(MainEntry::OptionsMenu);
    ASSERT_NE(options, nullptr);
    QList<QAction*> actions = options->actions();
    ASSERT_EQ(actions.size(), qsizetype(kOptionEntries.size() + 4));
    for (std::size_t i = 0; i < kOptionEntries.size(); ++i) {
        EXPECT_EQ(actions.at(qsizetype(i))->text(), kOptionEntries[i].caption);
    }
    actions = actions.mid(qsizetype(kOptionEntries.size()));
    EXPECT_TRUE(actions.at(0)->isSeparator());
    ASSERT_NE(actions.at(1)->menu(), nullptr);
    EXPECT_EQ(actions.at(1)->text(), "Loudness levelling");
    EXPECT_EQ(actions.at(2), m_window.LevellingAction(LevellingEntry::Preamp));
    EXPECT_EQ(actions.at(2)->text(), "Pre-amp (dB)...");
    EXPECT_EQ(actions.at(3), m_window.LevellingAction(LevellingEntry::ClipGuard));
    EXPECT_EQ(actions.at(3)->text(), "Clipping protection");
    EXPECT_TRUE(actions.at(3)->isCheckable());

    QStringList choices;
    for (QAction* choice : actions.at(1)->menu()->actions()) {
        choices << choice->text();
        EXPECT_TRUE(choice->isCheckable());
        EXPECT_TRUE(choice->actionGroup() && choice->actionGroup()->isExclusive());
    }
    EXPECT_EQ(choices, (QStringList{"Off", "Track", "Album"}));
}

TEST_F(MainWindowTest, LevellingEntriesShowTheSettingsAsToolsOpensAndSwitchThem) {
    Settings& settings = m_session.settings;
    settings.LOUDNESS = kLoudnessAlbum;
    settings.PREAMP = -4;
    settings.CLIPGUARD = false;
    auto checks = [this] {
        QString marks;
        for (LevellingEntry entry :
             {LevellingEntry::Off, LevellingEntry::Track, LevellingEntry::Album, LevellingEntry::ClipGuard}) {
            marks += m_window.LevellingAction(entry)->isChecked() ? 'x' : '-';
        }
        return marks;
    };
    OpenAndClose(m_window.Menu(MainEntry::ToolsMenu));
    EXPECT_EQ(checks(), "--x-");
    EXPECT_EQ(m_window.LevellingAction(LevellingEntry::Preamp)->text(), "Pre-amp (dB) = -4");

    m_window.LevellingAction(LevellingEntry::Track)->trigger();
    EXPECT_EQ(settings.LOUDNESS, kLoudnessTrack);
    m_window.LevellingAction(LevellingEntry::ClipGuard)->trigger();
    EXPECT_TRUE(settings.CLIPGUARD);
    m_dialogs.QueueAnswer("9");
    m_window.LevellingAction(LevellingEntry::Preamp)->trigger();
    EXPECT_EQ(settings.PREAMP, 9);
    // Nothing is written before the program ends.
    EXPECT_FALSE(QFile::exists(m_session.paths.settingsFile));

    settings.LOUDNESS = kLoudnessOff;
    OpenAndClose(m_window.Menu(MainEntry::ToolsMenu));
    EXPECT_EQ(checks(), "x--x");
    EXPECT_EQ(m_window.LevellingAction(LevellingEntry::Preamp)->text(), "Pre-amp (dB) = 9");
}

struct EscapeCase {
    const char* name;
    bool playing;
    QStringList answers;
    int questions;
    bool closes;
};

void PrintTo(const EscapeCase& c, std::ostream* os) {
    *os << c.name;
}

class EscapeKey : public MainWindowTest, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapeKey, AsksBeforeTheCloseRequestWhichAsksAgainWhilePlaying) {
    const EscapeCase& c = GetParam();
    m_session.songPlaying = [&] { return c.playing; };
    m_window.SetCloseRequest([this] { return ShutdownSequence(m_session, {}); });
    m_dialogs.QueueAnswers(c.answers);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&m_window, &escape);
    const QStringList asked = m_dialogs.TextsOf("ASK");
    ASSERT_EQ(asked.size(), c.questions);
    EXPECT_TRUE(asked.first().startsWith("OK to exit program? -> "));
    if (c.questions == 2) {
        EXPECT_TRUE(
            asked.last().startsWith("Do you really want to quit program Sonwick3 while a song is playing?"));
    }
    EXPECT_EQ(m_window.isVisible(), !c.closes);
}

INSTANTIATE_TEST_SUITE_P(Answers, EscapeKey,
                         ::testing::Values(EscapeCase{"No", false, {"No"}, 1, false},
                                           EscapeCase{"Yes", false, {"Yes"}, 1, true},
                                           EscapeCase{"PlayingThenNo", true, {"Yes", "No"}, 2, false},
                                           EscapeCase{"PlayingThenYes", true, {"Yes", "Yes"}, 2, true}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainWindowTest, ArrangePlacesTheBuiltWindowsOnTheScreenAndRaisesTheQueue) {
    Placements placements;
    std::map<QString, std::unique_ptr<QWidget>> windows;
    placements.Register("fctrl2", &m_window);
    for (const char* id : {"FBassint", "FSongs", "Fnotepad"}) {
        windows[id] = std::make_unique<QWidget>();
        windows[id]->resize(500, 400);
        placements.Register(id, windows[id].get());
    }
    m_window.resize(400, 250);
    const QRect screen(0, 0, 800, 600);
    ArrangeWindows(placements, screen);
    EXPECT_EQ(m_window.frameGeometry().topRight(), QPoint(799, 0));
    // Windows that fit keep their size.
    EXPECT_EQ(windows["FBassint"]->frameGeometry().topLeft(), QPoint(0, 175));
    EXPECT_EQ(windows["FBassint"]->size(), QSize(500, 400));
    EXPECT_EQ(windows["FSongs"]->frameGeometry().topLeft(), QPoint(80, 150));
    // The notepad, last of the cascade, ends at the screen's right edge.
    EXPECT_EQ(windows["Fnotepad"]->frameGeometry().topLeft(), QPoint(480, 25));
    EXPECT_EQ(windows["Fnotepad"]->frameGeometry().right(), 799);
    EXPECT_EQ(windows["Fnotepad"]->height(), 400);
    for (auto& [id, window] : windows) {
        EXPECT_TRUE(window->isVisible()) << id.toStdString();
        window->hide();
    }
}

}  // namespace
}  // namespace sw
