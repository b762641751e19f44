// The main window's menu entries, found by their names and by the keys of the tables they come from.
#include <gtest/gtest.h>

#include "../QtPrinting.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <optional>
#include <set>

#include "core/CoreSession.h"
#include "foundation/ScriptedDialogs.h"
#include "tags/TagSwitches.h"
#include "windows/main/MainWindow.h"

namespace sw {
namespace {

class MainWindowEntries : public ::testing::Test {
protected:
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    CoreSession m_session;
    MainWindow m_window{m_session};
};

/// Where each entry sits, with its caption as it stands before its menu first opens.
struct EntryPlace {
    MainEntry entry;
    std::optional<MainEntry> menu;  // none: the menu bar
    const char* caption;
};

TEST_F(MainWindowEntries, EveryEntryIsFoundByItsNameInItsMenuUnderItsCaption) {
    using enum MainEntry;
    const EntryPlace places[] = {
        {Exit, {}, "&Exit"},
        {NowPlaying, {}, "&NowPlaying"},
        {PlayMenu, {}, "&Play"},
        {PlayPause, PlayMenu, "Play / Pause"},
        {Stop, PlayMenu, "Stop"},
        {Next, PlayMenu, "Next"},
        {Previous, PlayMenu, "Previous"},
        {SearchKey, PlayMenu, "Search"},
        {LoadKey, PlayMenu, "Load"},
        {Quit, PlayMenu, "Quit"},
        {BrowseMenu, {}, "&Browse"},
        {AllAlbums, BrowseMenu, "All albums"},
        {AlbumGroups, BrowseMenu, "Album Groups"},
        {Artists, BrowseMenu, "Artists"},
        {Genres, BrowseMenu, "Genres"},
        {LastLoaded, BrowseMenu, "Last loaded"},
        {Playlists, BrowseMenu, "Playlists"},
        {PlayHistory, BrowseMenu, "Play history"},
        {RecentMenu, BrowseMenu, "Recent additions"},
        {RecentHeading, RecentMenu, "within last ..."},
        {RecentDaysAsked, RecentMenu, "- <n> days (specify)"},
        {Singles, BrowseMenu, "Singles"},
        {Songs, BrowseMenu, "Songs"},
        {Random, BrowseMenu, "Random"},
        {RandomFilterMenu, BrowseMenu, "Random  ( specify filter )"},
        {DefaultFilter, RandomFilterMenu, "Default filter"},
        {Search, {}, "&Search"},
        {Load, {}, "&Load"},
        {DatabaseMenu, {}, "&Database"},
        {HealthCheck, DatabaseMenu, "Healthcheck"},
        {Statistics, DatabaseMenu, "Statistics"},
        {RootFolder, DatabaseMenu, "MP3 root folder"},
        {ReadOnly, DatabaseMenu, "Read-only"},
        {TagsMenu, {}, "&Tags"},
        {DefaultTagPolicy, TagsMenu, "Use default tag policy ( recommended )"},
        {ReadHeading, TagsMenu, "MP3 Tag policy - READ"},
        {ReadV1, TagsMenu, "- v1 preferred  (where both present)"},
        {ReadV2, TagsMenu, "- v2 preferred  (where both present)"},
        {WriteHeading, TagsMenu, "MP3 Tag policy - WRITE"},
        {OggTags, TagsMenu, "Write OGG Vorbis tags ('comment headers')"},
        {SqueezeRating, TagsMenu, "Squeeze Rating into MP3/OGG tag details"},
        {Devices, {}, "De&vices"},
        {WindowsMenu, {}, "&Windows"},
        {Arrange, WindowsMenu, "Arrange"},
        {CloseAll, WindowsMenu, "Close all"},
        {ToolsMenu, {}, "T&ools"},
        {Notepad, ToolsMenu, "Notepad"},
        {OptionsMenu, ToolsMenu, "Options"},
        {LevellingMenu, OptionsMenu, "Loudness levelling"},
        {FlashMenu, ToolsMenu, "Flash messages"},
        {LastFlashMessage, FlashMenu, "Last message"},
        {FlashInterval, FlashMenu, "Flash interval"},
        {FlashTest, FlashMenu, "Test"},
        {About, {}, "&About"},
    };
    // Every name is in the table, About last.
    ASSERT_EQ(std::size(places), std::size_t(About) + 1);
    std::set<QAction*> seen;
    std::map<QWidget*, qsizetype> lastIndex;
    for (const EntryPlace& place : places) {
        SCOPED_TRACE(place.caption);
        QAction* entry = m_window.Entry(place.entry);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(seen.insert(entry).second) << "two names for one entry";
        EXPECT_EQ(entry->text(), place.caption);
        QWidget* holder = place.menu ? static_cast<QWidget*>(m_window.Menu(*place.menu)) : m_window.menuBar();
        ASSERT_NE(holder, nullptr);
        // In menu order: after the entry listed before it in the same menu.
        const qsizetype index = holder->actions().indexOf(entry);
        ASSERT_GE(index, 0) << "not in its menu";
        const auto before = lastIndex.find(holder);
        if (before != lastIndex.end()) {
            EXPECT_GT(index, before->second);
        }
        lastIndex[holder] = index;
    }
    EXPECT_EQ(m_window.Menu(Exit), nullptr);
}

TEST_F(MainWindowEntries, TheEntriesOfTheTablesAreFoundByTheirRowsKeys) {
    auto expectIn = [this](QAction* entry, MainEntry menu, const char* caption) {
        ASSERT_NE(entry, nullptr) << caption;
        EXPECT_EQ(entry->text(), caption);
        EXPECT_TRUE(m_window.Menu(menu)->actions().contains(entry)) << caption;
    };
    for (const RandomFilterEntry& row : kRandomFilterEntries) {
        expectIn(m_window.RandomFilterAction(row.filter), MainEntry::RandomFilterMenu, row.caption);
    }
    for (const RecentSpanEntry& row : kRecentSpanEntries) {
        expectIn(m_window.RecentSpanAction(row.days), MainEntry::RecentMenu, row.caption);
    }
    for (const WritePolicyEntry& row : kWritePolicyEntries) {
        expectIn(m_window.WritePolicyAction(row.policy), MainEntry::TagsMenu, row.caption);
    }
    for (const OptionEntry& row : kOptionEntries) {
        expectIn(m_window.OptionAction(row.setting), MainEntry::OptionsMenu, row.caption);
    }
    EXPECT_EQ(m_window.OptionAction(kClipGuardOption.setting),
              m_window.LevellingAction(LevellingEntry::ClipGuard));
    for (const TagSwitch& row : TagSwitches()) {
        expectIn(m_window.TagSwitchAction(row.Setting), MainEntry::TagsMenu, row.Caption);
    }
    // A key that no row has finds nothing.
    EXPECT_EQ(m_window.RandomFilterAction(5), nullptr);
    EXPECT_EQ(m_window.RecentSpanAction(3), nullptr);
    EXPECT_EQ(m_window.WritePolicyAction(5), nullptr);
    EXPECT_EQ(m_window.OptionAction(&Settings::READONLY), nullptr);
    EXPECT_EQ(m_window.TagSwitchAction(&Settings::OGGTAG), nullptr);
}

}  // namespace
}  // namespace sw
