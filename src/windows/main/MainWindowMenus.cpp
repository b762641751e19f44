// The main window's menu bar: building its menus, enabling their entries and finding them.
#include "MainWindow.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "MainWindowKeys.h"
#include "NowPlayingController.h"
#include "NowPlayingPanel.h"
#include "WindowHelpers.h"
#include "core/CoreSession.h"
#include "tags/TagSwitches.h"

namespace sw {

namespace {

QMenu* NewMenu(QWidget* parent, const QString& caption) {
    auto* menu = new QMenu(caption, parent);
    menu->setToolTipsVisible(true);
    return menu;
}

QAction* FoundOrNull(const std::map<int, QAction*>& entries, int key) {
    const auto found = entries.find(key);
    return found == entries.end() ? nullptr : found->second;
}

}  // namespace

void MainWindow::Connect(QAction* action, std::function<void()> command, std::function<bool()> reachable) {
    connect(action, &QAction::triggered, this, [this, action, command = std::move(command)] {
        const auto attached = m_attached.find(action);
        if (attached != m_attached.end()) {
            attached->second();
        } else if (command) {
            command();
        }
    });
    if (reachable) {
        m_reachable.emplace_back(action, std::move(reachable));
    }
}

QAction* MainWindow::KeepEntry(MainEntry entry, QAction* action) {
    m_entries[entry] = action;
    return action;
}

QAction* MainWindow::AddEntry(QMenu* menu, const QString& caption, std::function<void()> command,
                              std::function<bool()> reachable, const QString& hint) {
    QAction* action = menu->addAction(caption);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
    }
    Connect(action, std::move(command), std::move(reachable));
    return action;
}

QAction* MainWindow::AddHeading(QMenu* menu, const QString& caption) {
    QAction* heading = menu->addAction(caption);
    heading->setEnabled(false);
    return heading;
}

QAction* MainWindow::AddCommandEntry(const QString& caption, std::function<void()> command,
                                     std::function<bool()> reachable) {
    QAction* action = menuBar()->addAction(caption);
    Connect(action, std::move(command), std::move(reachable));
    return action;
}

namespace {

/// Runs a hook of another window, when that window is there.
std::function<void()> Call(const std::function<void()>& hook) {
    return [&hook] {
        if (hook) {
            hook();
        }
    };
}

/// Whether the hook is set.
template <typename Hook>
std::function<bool()> Has(const Hook& hook) {
    return [&hook] { return bool(hook); };
}

}  // namespace

void MainWindow::BuildMenus() {
    MainMenuHooks& hooks = m_controller.Hooks();
    MainController& c = m_controller;
    KeepEntry(MainEntry::Exit, AddCommandEntry("&Exit", [this] { close(); }, {}));
    KeepEntry(MainEntry::NowPlaying,
              AddCommandEntry(
                  "&NowPlaying", [&c] { c.ShowNowPlaying(); }, Has(hooks.showNowPlaying)));
    BuildPlayMenu();
    BuildBrowseMenu();
    KeepEntry(MainEntry::Search, AddCommandEntry("&Search", Call(hooks.search), Has(hooks.search)));
    KeepEntry(MainEntry::Load, AddCommandEntry(
                                   "&Load", [&c] { c.Load(); }, Has(hooks.showLoadWindow)));
    BuildDatabaseMenu();
    BuildTagsMenu();
    KeepEntry(MainEntry::Devices, AddCommandEntry(
                                      "De&vices", [&c] { c.Devices(); },
                                      [&hooks] { return hooks.masterDeviceName && hooks.reseekDevices; }));

    QMenu* windows = NewMenu(this, "&Windows");
    KeepEntry(MainEntry::WindowsMenu, menuBar()->addMenu(windows));
    KeepEntry(MainEntry::Arrange, AddEntry(
                                      windows, "Arrange", [&c] { c.Arrange(); }, Has(hooks.arrangeWindows)));
    KeepEntry(MainEntry::CloseAll,
              AddEntry(
                  windows, "Close all", [&c] { c.CloseAll(); }, Has(hooks.closeManagedWindows)));

    BuildToolsMenu();
    KeepEntry(MainEntry::About, AddCommandEntry("&About", Call(hooks.showAbout), Has(hooks.showAbout)));

    for (QAction* top : menuBar()->actions()) {
        if (QMenu* menu = top->menu()) {
            connect(menu, &QMenu::aboutToShow, this, &MainWindow::EnableReachableEntries);
        }
    }
}

void MainWindow::BuildBrowseMenu() {
    MainMenuHooks& hooks = m_controller.Hooks();
    MainController& c = m_controller;
    m_browse = NewMenu(this, "&Browse");
    KeepEntry(MainEntry::BrowseMenu, menuBar()->addMenu(m_browse));
    KeepEntry(MainEntry::AllAlbums,
              AddEntry(m_browse, "All albums", Call(hooks.showAllAlbums), Has(hooks.showAllAlbums)));
    KeepEntry(MainEntry::AlbumGroups,
              AddEntry(m_browse, "Album Groups", Call(hooks.showAlbumGroups), Has(hooks.showAlbumGroups)));
    KeepEntry(MainEntry::Artists,
              AddEntry(m_browse, "Artists", Call(hooks.showArtists), Has(hooks.showArtists)));
    KeepEntry(MainEntry::Genres, AddEntry(m_browse, "Genres", Call(hooks.showGenres), Has(hooks.showGenres)));
    m_browse->addSeparator();
    KeepEntry(MainEntry::LastLoaded,
              AddEntry(
                  m_browse, "Last loaded", [&c] { c.LastLoaded(); }, Has(hooks.showLastLoaded)));
    KeepEntry(MainEntry::Playlists,
              AddEntry(m_browse, "Playlists", Call(hooks.showPlaylists), Has(hooks.showPlaylists)));
    KeepEntry(MainEntry::PlayHistory,
              AddEntry(m_browse, "Play history", Call(hooks.showPlayHistory), Has(hooks.showPlayHistory)));

    QMenu* recent = NewMenu(m_browse, "Recent additions");
    KeepEntry(MainEntry::RecentMenu, m_browse->addMenu(recent));
    KeepEntry(MainEntry::RecentHeading, AddHeading(recent, "within last ..."));
    for (const RecentSpanEntry& span : kRecentSpanEntries) {
        m_recentSpans[span.days] = AddEntry(
            recent, span.caption, [&c, days = span.days] { c.RecentAdditions(days); },
            Has(hooks.showRecentSongs));
    }
    KeepEntry(
        MainEntry::RecentDaysAsked,
        AddEntry(
            recent, "- <n> days (specify)", [&c] { c.RecentAdditionsAsked(); }, Has(hooks.showRecentSongs)));
    connect(recent, &QMenu::aboutToShow, this, &MainWindow::EnableReachableEntries);

    KeepEntry(MainEntry::Singles,
              AddEntry(m_browse, "Singles", Call(hooks.showSingles), Has(hooks.showSingles)));
    KeepEntry(MainEntry::Songs, AddEntry(m_browse, "Songs", Call(hooks.showSongs), Has(hooks.showSongs)));
    m_browse->addSeparator();
    auto random = [&c] { return c.RandomAvailable(); };
    KeepEntry(MainEntry::Random, AddEntry(
                                     m_browse, "Random", [&c] { c.Random(); }, random));

    QMenu* filters = NewMenu(m_browse, "Random  ( specify filter )");
    KeepEntry(MainEntry::RandomFilterMenu, m_browse->addMenu(filters));
    KeepEntry(MainEntry::DefaultFilter,
              AddEntry(
                  filters, "Default filter", [&c] { c.RandomWithFilter(1); }, random));
    filters->addSeparator();
    auto* group = new QActionGroup(filters);
    for (const RandomFilterEntry& entry : kRandomFilterEntries) {
        QAction* action = AddEntry(
            filters, entry.caption, [&c, filter = entry.filter] { c.RandomWithFilter(filter); }, random,
            entry.hint);
        action->setCheckable(true);
        group->addAction(action);
        m_filterEntries[entry.filter] = action;
    }
    connect(filters, &QMenu::aboutToShow, this, [this] {
        EnableReachableEntries();
        for (const auto& [filter, action] : m_filterEntries) {
            action->setChecked(filter == m_session.settings.FILTER);
        }
    });
    connect(m_browse, &QMenu::aboutToShow, this,
            [this] { SetMenuCaption(Entry(MainEntry::Random), m_controller.RandomCaption()); });
}

void MainWindow::BuildDatabaseMenu() {
    MainMenuHooks& hooks = m_controller.Hooks();
    MainController& c = m_controller;
    QMenu* database = NewMenu(this, "&Database");
    KeepEntry(MainEntry::DatabaseMenu, menuBar()->addMenu(database));
    KeepEntry(MainEntry::HealthCheck,
              AddEntry(
                  database, "Healthcheck", [&c] { c.HealthCheck(); }, Has(hooks.openHealthCheck)));
    KeepEntry(MainEntry::Statistics,
              AddEntry(
                  database, "Statistics", [&c] { c.Statistics(); }, Has(hooks.showStatistics)));
    database->addSeparator();
    KeepEntry(MainEntry::RootFolder,
              AddEntry(
                  database, "MP3 root folder", [&c] { c.RootFolderCommand(); }, Has(hooks.selectFolder)));
    database->addSeparator();
    QAction* readOnly = KeepEntry(MainEntry::ReadOnly, database->addAction("Read-only"));
    readOnly->setCheckable(true);
    connect(readOnly, &QAction::triggered, this, [this, readOnly](bool checked) {
        // Not confirmed: the mark goes back to the mode as it stands.
        readOnly->setChecked(m_controller.ReadOnlyChosen(checked));
    });
    connect(database, &QMenu::aboutToShow, this,
            [this, readOnly] { readOnly->setChecked(m_session.settings.READONLY); });
}

void MainWindow::BuildTagsMenu() {
    m_tags = NewMenu(this, "&Tags");
    KeepEntry(MainEntry::TagsMenu, menuBar()->addMenu(m_tags));
    KeepEntry(MainEntry::DefaultTagPolicy, AddEntry(m_tags, "Use default tag policy ( recommended )", [this] {
                  TagsChanged(m_controller.UseDefaultTagPolicy());
              }));
    m_tags->addSeparator();

    KeepEntry(MainEntry::ReadHeading, AddHeading(m_tags, "MP3 Tag policy - READ"));
    auto* readGroup = new QActionGroup(m_tags);
    const auto readChosen = [this] {
        TagsChanged(m_controller.ReadPreferenceChosen(Entry(MainEntry::ReadV1)->isChecked()));
    };
    QAction* readV1 =
        KeepEntry(MainEntry::ReadV1, AddEntry(m_tags, "- v1 preferred  (where both present)", readChosen));
    QAction* readV2 =
        KeepEntry(MainEntry::ReadV2, AddEntry(m_tags, "- v2 preferred  (where both present)", readChosen));
    for (QAction* read : {readV1, readV2}) {
        read->setCheckable(true);
        readGroup->addAction(read);
    }
    m_tags->addSeparator();

    KeepEntry(MainEntry::WriteHeading, AddHeading(m_tags, "MP3 Tag policy - WRITE"));
    auto* writeGroup = new QActionGroup(m_tags);
    for (const WritePolicyEntry& entry : kWritePolicyEntries) {
        QAction* action = AddEntry(
            m_tags, entry.caption,
            [this, policy = entry.policy] { TagsChanged(m_controller.WritePolicyChosen(policy)); }, {},
            entry.hint);
        action->setCheckable(true);
        writeGroup->addAction(action);
        m_writePolicies[entry.policy] = action;
    }
    m_tags->addSeparator();

    QAction* oggTags =
        KeepEntry(MainEntry::OggTags, AddEntry(m_tags, "Write OGG Vorbis tags ('comment headers')", [this] {
                      TagsChanged(m_controller.OggTagChosen(Entry(MainEntry::OggTags)->isChecked()));
                  }));
    oggTags->setCheckable(true);
    QAction* squeezeRating = KeepEntry(
        MainEntry::SqueezeRating, AddEntry(m_tags, "Squeeze Rating into MP3/OGG tag details", [this] {
            TagsChanged(m_controller.SqueezeRatingChosen(Entry(MainEntry::SqueezeRating)->isChecked()));
        }));
    squeezeRating->setCheckable(true);
    m_tags->addSeparator();
    for (const TagSwitch& entry : TagSwitches()) {
        QAction* action = m_tags->addAction(entry.Caption);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, setting = entry.Setting](bool checked) {
            TagsChanged(m_controller.TagSwitchChosen(setting, checked, RereadProgressBox()));
        });
        m_tagSwitches.emplace_back(entry.Setting, action);
    }
    connect(m_tags, &QMenu::aboutToShow, this, &MainWindow::ShowTagChecks);
}

void MainWindow::ShowTagChecks() {
    const Settings& settings = m_session.settings;
    Entry(MainEntry::ReadV1)->setChecked(settings.MP3TAGREADPREFV1V2 == 1);
    Entry(MainEntry::ReadV2)->setChecked(settings.MP3TAGREADPREFV1V2 != 1);
    for (const auto& [policy, action] : m_writePolicies) {
        action->setChecked(policy == settings.MP3TAGPOLICY);
    }
    Entry(MainEntry::OggTags)->setChecked(settings.OGGTAG);
    Entry(MainEntry::SqueezeRating)->setChecked(settings.SQUEEZERATING);
    for (const auto& [setting, action] : m_tagSwitches) {
        action->setChecked(settings.*setting);
    }
}

TagRereadProgress MainWindow::RereadProgressBox() {
    // Made at the first report, so that a run that finds nothing shows no box; gone with the run.
    auto box = std::make_shared<std::unique_ptr<QProgressDialog>>();
    return [this, box](int done, int total) {
        if (!*box) {
            *box = std::make_unique<QProgressDialog>("Re-reading tags ...", QString(), 0, total, this);
            // Return answers the questions the run may ask; only a click or Escape cancels it.
            auto* cancel = new QPushButton("Cancel");
            cancel->setAutoDefault(false);
            (*box)->setCancelButton(cancel);
            (*box)->setWindowModality(Qt::WindowModal);
            (*box)->setMinimumDuration(500);
        }
        QProgressDialog& dialog = **box;
        dialog.setMaximum(std::max(total, 1));
        dialog.setValue(std::min(done, std::max(total, 1)));
        dialog.setLabelText("Re-reading tags ... " + QString::number(done) + " / " + QString::number(total));
        QCoreApplication::processEvents();
        return !dialog.wasCanceled();
    };
}

void MainWindow::BuildPlayMenu() {
    QMenu* play = NewMenu(this, "&Play");
    KeepEntry(MainEntry::PlayMenu, menuBar()->addMenu(play));
    int index = 0;
    for (const ProgramKey& key : kProgramKeys) {
        // The transport first, then the commands of the menu bar that the keys reach anywhere.
        if (index++ == 3) {
            play->addSeparator();
        }
        QAction* action = play->addAction(key.caption);
        action->setShortcut(QKeySequence(key.key));
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setShortcutVisibleInContextMenu(true);
        // The window holds the entry too, so that its key works while the menu is closed.
        addAction(action);
        std::function<bool()> reachable;
        if (index <= 3) {
            reachable = [this] { return m_nowPlaying != nullptr; };
        } else if (key.entry == MainEntry::SearchKey) {
            reachable = Has(m_controller.Hooks().search);
        } else if (key.entry == MainEntry::LoadKey) {
            reachable = Has(m_controller.Hooks().showLoadWindow);
        }
        Connect(
            action, [this, entry = key.entry] { KeyCommand(entry); }, std::move(reachable));
        KeepEntry(key.entry, action);
    }
    play->insertAction(Entry(MainEntry::Next), [&] {
        QAction* stop = KeepEntry(MainEntry::Stop, new QAction("Stop", play));
        Connect(
            stop,
            [this] {
                if (m_nowPlaying) {
                    m_nowPlaying->Stop();
                }
            },
            [this] { return m_nowPlaying != nullptr; });
        return stop;
    }());
}

void MainWindow::KeyCommand(MainEntry entry) {
    if (entry == MainEntry::SearchKey) {
        if (m_controller.Hooks().search) {
            m_controller.Hooks().search();
        }
    } else if (entry == MainEntry::LoadKey) {
        m_controller.Load();
    } else if (entry == MainEntry::Quit) {
        close();
    } else if (m_nowPlaying) {
        if (entry == MainEntry::PlayPause) {
            m_nowPlaying->PlayPause();
        } else if (entry == MainEntry::Next) {
            m_nowPlaying->Next();
        } else if (entry == MainEntry::Previous) {
            m_nowPlaying->Previous();
        }
    }
    if (m_nowPlayingPanel) {
        m_nowPlayingPanel->Refresh();
    }
}

void MainWindow::TagsChanged(bool reopen) {
    if (!reopen) {
        // The marks go back to the settings as they stand.
        ShowTagChecks();
        return;
    }
    // The menu has closed behind the entry; it opens again once that is done, with the new marks.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) {
            menuBar()->setActiveAction(m_tags->menuAction());
        }
    });
}

void MainWindow::BuildToolsMenu() {
    MainMenuHooks& hooks = m_controller.Hooks();
    MainController& c = m_controller;
    // Alt+T belongs to the Tags menu.
    QMenu* tools = NewMenu(this, "T&ools");
    KeepEntry(MainEntry::ToolsMenu, menuBar()->addMenu(tools));
    KeepEntry(MainEntry::Notepad, AddEntry(
                                      tools, "Notepad", [&c] { c.Notepad(); }, Has(hooks.openNotepad)));

    QMenu* options = NewMenu(tools, "Options");
    KeepEntry(MainEntry::OptionsMenu, tools->addMenu(options));
    for (const OptionEntry& option : kOptionEntries) {
        QAction* action = AddEntry(options, option.caption, {});
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, &option](bool checked) { m_controller.OptionChosen(option, checked); });
        m_options.emplace_back(&option, action);
    }
    BuildLevellingEntries(options);

    QMenu* flash = NewMenu(tools, "Flash messages");
    KeepEntry(MainEntry::FlashMenu, tools->addMenu(flash));
    KeepEntry(MainEntry::LastFlashMessage, AddEntry(flash, "Last message", [&c] { c.LastFlashMessage(); }));
    KeepEntry(MainEntry::FlashInterval, AddEntry(flash, "Flash interval", [&c] { c.FlashInterval(); }));
    KeepEntry(MainEntry::FlashTest, AddEntry(flash, "Test", [&c] { c.FlashTest(); }));

    connect(tools, &QMenu::aboutToShow, this, [this] {
        SetMenuCaption(Entry(MainEntry::FlashInterval), m_controller.FlashIntervalCaption());
        for (const auto& [option, action] : m_options) {
            action->setChecked(m_controller.OptionChecked(*option));
        }
        for (const LoudnessModeEntry& entry : kLoudnessModeEntries) {
            m_levelling.at(entry.entry)->setChecked(m_controller.LoudnessModeChecked(entry.mode));
        }
        SetMenuCaption(m_levelling.at(LevellingEntry::Preamp), m_controller.PreampCaption());
    });
}

void MainWindow::BuildLevellingEntries(QMenu* options) {
    options->addSeparator();
    QMenu* levelling = NewMenu(options, kLevellingMenuCaption);
    KeepEntry(MainEntry::LevellingMenu, options->addMenu(levelling));
    auto* group = new QActionGroup(levelling);
    for (const LoudnessModeEntry& entry : kLoudnessModeEntries) {
        QAction* action = AddEntry(levelling, entry.caption,
                                   [this, mode = entry.mode] { m_controller.LoudnessModeChosen(mode); });
        action->setCheckable(true);
        group->addAction(action);
        m_levelling[entry.entry] = action;
    }
    m_levelling[LevellingEntry::Preamp] =
        AddEntry(options, kPreampEntryCaption, [this] { m_controller.PreampAsked(); });
    QAction* clipGuard = AddEntry(options, kClipGuardOption.caption, {});
    clipGuard->setCheckable(true);
    connect(clipGuard, &QAction::triggered, this,
            [this](bool checked) { m_controller.OptionChosen(kClipGuardOption, checked); });
    m_options.emplace_back(&kClipGuardOption, clipGuard);
    m_levelling[LevellingEntry::ClipGuard] = clipGuard;
}

QAction* MainWindow::LevellingAction(LevellingEntry entry) const {
    return m_levelling.at(entry);
}

void MainWindow::EnableReachableEntries() {
    for (const auto& [action, reachable] : m_reachable) {
        action->setEnabled(m_attached.count(action) > 0 || reachable());
    }
}

QAction* MainWindow::Entry(MainEntry entry) const {
    return m_entries.at(entry);
}

QMenu* MainWindow::Menu(MainEntry entry) const {
    return Entry(entry)->menu();
}

QAction* MainWindow::RandomFilterAction(int filter) const {
    return FoundOrNull(m_filterEntries, filter);
}

QAction* MainWindow::RecentSpanAction(int days) const {
    return FoundOrNull(m_recentSpans, days);
}

QAction* MainWindow::WritePolicyAction(int policy) const {
    return FoundOrNull(m_writePolicies, policy);
}

QAction* MainWindow::OptionAction(bool Settings::*setting) const {
    const auto found = std::find_if(m_options.begin(), m_options.end(), [setting](const auto& option) {
        return option.first->setting == setting;
    });
    return found == m_options.end() ? nullptr : found->second;
}

QAction* MainWindow::TagSwitchAction(bool Settings::*setting) const {
    const auto found = std::find_if(m_tagSwitches.begin(), m_tagSwitches.end(),
                                    [setting](const auto& entry) { return entry.first == setting; });
    return found == m_tagSwitches.end() ? nullptr : found->second;
}

void MainWindow::AddMenuCommand(MainEntry entry, std::function<void()> command) {
    m_attached[Entry(entry)] = std::move(command);
    EnableReachableEntries();
}

}  // namespace sw
