#pragma once

#include <QMainWindow>
#include <functional>
#include <map>

#include "core/CatalogueDisplay.h"

class QLabel;
class QGridLayout;
class QPushButton;

namespace sw {

class CoreSession;

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

    void ShowCatalogueLabels() override;
    void ShowCatalogueVersion() override;
    void ShowJukeboxSize() override;

    /// Decides whether the window may close (the shutdown sequence).
    void SetCloseRequest(std::function<bool()> request) { m_closeRequest = std::move(request); }
    /// Runs once, at the first showing of the window.
    void SetFirstShowAction(std::function<void()> action) { m_firstShow = std::move(action); }

    /// A top-level menu entry that runs `command` when chosen.
    void AddMenuCommand(const QString& caption, std::function<void()> command);
    /// An entry of the top-level menu `menu` (added at the end of the menu bar when missing) that
    /// runs `command` when chosen.
    void AddSubmenuCommand(const QString& menu, const QString& caption, std::function<void()> command);

    /// The play buttons: Play, Pause (given the button's new down state), Stop and "...".
    void SetPlayButtonActions(std::function<void()> play, std::function<void(bool)> pause,
                              std::function<void()> stop, std::function<void()> more);
    /// Shows the play buttons as the now-playing window's are.
    void ShowPlayButtons(bool playEnabled, bool pauseEnabled, bool pauseDown, bool stopEnabled);
    void SetPlayButtonsColour(const QColor& colour);

    void SetLabel(MainLabel label, const QString& value);
    QString Label(MainLabel label) const;
    void SetReadOnlyShown(bool shown);
    void SetJukeboxSizeCaption(const QString& caption);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AddPair(QGridLayout* grid, const QString& caption, MainLabel label, const QString& start = {});

    CoreSession& m_session;
    std::map<MainLabel, QLabel*> m_values;
    QLabel* m_jukeboxCaption = nullptr;
    QLabel* m_readOnly = nullptr;
    QWidget* m_playStrip = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_more = nullptr;
    std::function<bool()> m_closeRequest;
    std::function<void()> m_firstShow;
    bool m_shown = false;
};

}  // namespace sw
