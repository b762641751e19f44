#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <map>

#include "PlaybackEngine.h"
#include "QueueController.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSlider;
class QTableView;
class QTimer;
class QToolButton;

namespace sw {

class PreviewController;
class QueueModel;

/// The queue's panel colour (tool bar, now-playing bar, time display); the main window's play
/// buttons take it once a song is queued.
inline constexpr unsigned kQueuePanelRgb = 0xFFDDEE;

/// The items of the queue window's menus that change after they are made: the menu bar's Options
/// and FADE menus, and the items in them.
enum class QueueMenuItem {
    Options,
    TimebarSmallStep,
    TimebarLargeStep,
    ActionFromComments,
    PromptToSave,
    PromptToDrop,
    HideMissing,
    ViewOnDoubleClick,
    EditOnDoubleClick,
    RepeatAtEnd,
    Fade,
    FadeOnStopNext,
    FadeOnPause,
    FadeTime,
};

/// The "Now playing queue" window: the grid of queue rows over the controller, the transport
/// buttons and time bar of the engine, and the window's menus. It runs the engine: its display
/// timer, and the end-of-song advance handed over from the mixing thread.
class QueueWindow : public QMainWindow, private QueueDisplay, public EngineHost {
public:
    QueueWindow(QueueController& queue, PlaybackEngine& engine, PreviewController& preview,
                QWidget* parent = nullptr);
    ~QueueWindow() override;

    /// The main window's play buttons follow the transport; called on every change.
    void SetTransportFollower(std::function<void(const TransportView&)> follower);
    /// Called when a song is appended (the main window's play buttons take the panel colour).
    void SetSongAppendedAction(std::function<void()> action) { m_songAppended = std::move(action); }
    /// The "bpm" and "Preview" menu items show these windows.
    void SetBpmWindow(QWidget* window) { m_bpmWindow = window; }
    void SetPreviewWindow(QWidget* window) { m_previewWindow = window; }

    /// Shows the window in front, restored when minimised.
    void ShowRestored();

    QTableView* Grid() const { return m_grid; }
    QueueModel* Model() const { return m_model; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    /// A menu's item; Options and Fade are the menu bar's items that open those menus.
    QAction* MenuAction(QueueMenuItem item) const { return m_menuItems.at(item); }
    QAction* PopupAction(PopupItem item) const { return m_popupActions[static_cast<std::size_t>(item)]; }
    /// Builds the pop-up menu for the row (1-based) as a right-click does; false over no row.
    bool PreparePopup(int row);

    // EngineHost
    void PostToUserInterface(std::function<void()> call) override;
    void ProcessPendingEvents() override;
    void DisplayTimerSwitched(bool on) override;
    void TransportChanged() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // QueueDisplay
    void QueueUpdated(const QueueUpdate& update) override;
    void ShowQueueWindow() override { ShowRestored(); }
    void SongAppended() override;

    void BuildMenus();
    void BuildToolBar();
    void BuildPopupMenu();
    void RefreshOptionsMenu();
    void RefreshFadeMenu();
    /// Puts the controller's cursor and selection on the grid.
    void ShowSelection();
    /// Shows the caption, count, column widths and selection the queue has now.
    void ShowQueueState();
    void TakeSelection();
    void ShowColumnWidths();
    void ShowPopup(const QPoint& at);
    int TextWidth(const QString& text);
    void RunPopupItem(PopupItem item);

    QueueController& m_queue;
    PlaybackEngine& m_engine;
    PreviewController& m_preview;
    QueueModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QTimer* m_timer = nullptr;
    std::function<void(const TransportView&)> m_follower;
    std::function<void()> m_songAppended;
    QWidget* m_bpmWindow = nullptr;
    QWidget* m_previewWindow = nullptr;

    QWidget* m_toolBar = nullptr;
    QToolButton* m_play = nullptr;
    QToolButton* m_pause = nullptr;
    QToolButton* m_stop = nullptr;
    QToolButton* m_stopAtEnd = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QSlider* m_timeBar = nullptr;
    QToolButton* m_jump = nullptr;
    QLabel* m_length = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_nowPlaying = nullptr;

    QMenu* m_options = nullptr;
    QMenu* m_fade = nullptr;
    std::map<QueueMenuItem, QAction*> m_menuItems;

    QMenu* m_popupMenu = nullptr;
    std::array<QAction*, kPopupItemCount> m_popupActions{};
    std::array<int, 256> m_latinWidths;
    QHash<char16_t, int> m_charWidths;
    bool m_applying = false;     // the window shows the controller's selection
    bool m_showPending = false;  // the queue's state waits to be shown by the next pass of the loop
    bool m_dragged = false;      // the time bar's thumb has moved since it was pressed
};

}  // namespace sw
