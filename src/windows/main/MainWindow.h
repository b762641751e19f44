#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "MainController.h"
#include "core/CatalogueDisplay.h"

class QAction;
class QActionGroup;
class QLabel;
class QGridLayout;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace sw {

class CoreSession;
class NowPlayingController;
class NowPlayingPanel;
class PlaybackEngine;
class ProgramKeyGuard;

/// The value labels of the main window's summary panel.
enum class MainLabel {
    DatabaseName,
    DatabaseFile,
    RootFolder,
    LoadedThisSession,
    DeletedThisSession,
    NetChange,
    DatabaseVersion,
    JukeboxSize,
};

/// The first window created and the last closed: a summary of the open catalogue, the playback
/// buttons and the main menu. Closing it is the program's shutdown.
class MainWindow : public QMainWindow, public CatalogueDisplay {
    Q_OBJECT
public:
    explicit MainWindow(CoreSession& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    void ShowCatalogueLabels() override;
    void ShowCatalogueVersion() override;
    void ShowJukeboxSize() override;

    MainController& Controller() { return m_controller; }
    /// Where the menu entries lead; call EnableReachableEntries after setting hooks.
    MainMenuHooks& Hooks() { return m_controller.Hooks(); }
    /// Enables the entries whose hooks are set and greys the others.
    void EnableReachableEntries();

    /// Decides whether the window may close (the shutdown sequence).
    void SetCloseRequest(std::function<bool()> request) { m_closeRequest = std::move(request); }
    /// Runs once, at the first showing of the window.
    void SetFirstShowAction(std::function<void()> action) { m_firstShow = std::move(action); }

    /// The entry runs `command` from now on instead of its own, and is enabled.
    void AddMenuCommand(MainEntry entry, std::function<void()> command);

    /// Every MainEntry has its entry.
    QAction* Entry(MainEntry entry) const;
    /// The menu that the entry opens; null for an entry that opens none.
    QMenu* Menu(MainEntry entry) const;
    /// The entries made from the tables of MainController.h, by their rows' keys; null for a key
    /// the table lacks.
    QAction* RandomFilterAction(int filter) const;
    QAction* RecentSpanAction(int days) const;
    QAction* WritePolicyAction(int policy) const;
    /// The check entry of "Tools" > "Options" that switches the setting, the clipping protection among them.
    QAction* OptionAction(bool Settings::*setting) const;
    /// The entry of a tag switch of the Tags menu.
    QAction* TagSwitchAction(bool Settings::*setting) const;
    /// The play buttons: Play, Pause (given the button's new down state), Stop and "...".
    void SetPlayButtonActions(std::function<void()> play, std::function<void(bool)> pause,
                              std::function<void()> stop, std::function<void()> more);
    /// Shows the play buttons as the now-playing window's are.
    void ShowPlayButtons(bool playEnabled, bool pauseEnabled, bool pauseDown, bool stopEnabled);
    void SetPlayButtonsColour(const QColor& colour);

    /// Shows the now-playing panel over the engine, at the top of the window; the Play menu's
    /// entries and keys act on it from then on.
    void AttachNowPlaying(PlaybackEngine& engine);
    NowPlayingController* NowPlaying() const { return m_nowPlaying.get(); }
    NowPlayingPanel* NowPlayingView() const { return m_nowPlayingPanel; }
    /// An entry of "Tools" > "Options" > "Loudness levelling", or the pre-amp or clipping entry.
    QAction* LevellingAction(LevellingEntry entry) const;

    void SetLabel(MainLabel label, const QString& value);
    QString Label(MainLabel label) const;
    /// The caption or value label that a click acts on, for tests and the view itself.
    QLabel* ValueLabel(MainLabel label) const { return m_values.at(label); }
    QLabel* CaptionLabel(MainLabel label) const { return m_captions.at(label); }
    QLabel* ReadOnlyNotice() const { return m_readOnly; }
    void SetReadOnlyShown(bool shown);
    void SetJukeboxSizeCaption(const QString& caption);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddPair(QGridLayout* grid, const QString& caption, MainLabel label, const QString& start = {});
    void BuildMenus();
    void BuildBrowseMenu();
    void BuildDatabaseMenu();
    void BuildTagsMenu();
    void BuildPlayMenu();
    /// Runs the command of a key entry of the Play menu.
    void KeyCommand(MainEntry entry);
    /// The progress box of a tag re-read, made when the run first reports.
    TagRereadProgress RereadProgressBox();
    void BuildToolsMenu();
    /// Below the check entries of "Options": levelling, pre-amp and clipping protection.
    void BuildLevellingEntries(QMenu* options);
    /// Keeps the entry for Entry; returns it.
    QAction* KeepEntry(MainEntry entry, QAction* action);
    /// Runs `command` (or the command attached later) when the entry is chosen; `reachable` tells
    /// whether it can be chosen.
    void Connect(QAction* action, std::function<void()> command, std::function<bool()> reachable);
    QAction* AddEntry(QMenu* menu, const QString& caption, std::function<void()> command,
                      std::function<bool()> reachable = {}, const QString& hint = {});
    QAction* AddHeading(QMenu* menu, const QString& caption);
    QAction* AddCommandEntry(const QString& caption, std::function<void()> command,
                             std::function<bool()> reachable);
    void TagsChanged(bool reopen);
    void ShowTagChecks();
    void MakeClickable(QLabel* label, const QString& hint, std::function<void()> click);

    CoreSession& m_session;
    MainController m_controller;
    std::map<MainLabel, QLabel*> m_values;
    std::map<MainLabel, QLabel*> m_captions;
    QLabel* m_jukeboxCaption = nullptr;
    QLabel* m_readOnly = nullptr;
    QWidget* m_playStrip = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_more = nullptr;

    QMenu* m_browse = nullptr;
    QMenu* m_tags = nullptr;
    /// The entries by their names (Entry, Menu).
    std::map<MainEntry, QAction*> m_entries;
    /// The entries made from the random filter, recent span and write policy tables, by their keys.
    std::map<int, QAction*> m_filterEntries;
    std::map<int, QAction*> m_recentSpans;
    std::map<int, QAction*> m_writePolicies;
    /// The tag switches' entries, by setting.
    std::vector<std::pair<bool Settings::*, QAction*>> m_tagSwitches;
    QVBoxLayout* m_bodyLayout = nullptr;
    std::unique_ptr<NowPlayingController> m_nowPlaying;
    NowPlayingPanel* m_nowPlayingPanel = nullptr;
    ProgramKeyGuard* m_keyGuard = nullptr;
    /// The entries of "Tools" > "Options", by their rows.
    std::vector<std::pair<const OptionEntry*, QAction*>> m_options;
    std::map<LevellingEntry, QAction*> m_levelling;
    /// The entries that lead to other windows, with what tells whether they can be reached.
    std::vector<std::pair<QAction*, std::function<bool()>>> m_reachable;
    /// Commands given later to entries (AddMenuCommand) by entry.
    std::map<QAction*, std::function<void()>> m_attached;
    /// What a left click on a label does.
    std::map<QObject*, std::function<void()>> m_clicks;

    std::function<bool()> m_closeRequest;
    std::function<void()> m_firstShow;
    bool m_shown = false;
};

}  // namespace sw
