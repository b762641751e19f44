#include "Placements.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <optional>

#include "MainController.h"
#include "core/IniFile.h"
#include "foundation/Dialogs.h"
#include "foundation/ScreenFit.h"

namespace sw {

namespace {
constexpr char kSection[] = "forms";
constexpr int kMostWindowsPerPass = 20;

/// What the desktop adds around the window: known once a window has been shown; before that the
/// main window's, when it is on show, stands in for it.
QSize DecorationOf(const QWidget* window, const QWidget* main) {
    const QSize own = window->frameGeometry().size() - window->size();
    if (!own.isEmpty() || !main || !main->isVisible()) {
        return own.expandedTo(QSize(0, 0));
    }
    return (main->frameGeometry().size() - main->size()).expandedTo(QSize(0, 0));
}

/// Gives the window's frame the place and size of `frame`.
void SetFrame(QWidget* window, const QRect& frame, QSize decoration) {
    window->move(frame.topLeft());
    window->resize(frame.size() - decoration);
}

}  // namespace

std::vector<QRect> AvailableScreenGeometries() {
    std::vector<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back(screen->availableGeometry());
    }
    return screens;
}

/// Watches the windows that have no place of their own yet and, at the first showing of each, puts
/// it into the cascade beside the main window.
class FirstShowCascade : public QObject {
public:
    FirstShowCascade(std::function<QWidget*()> main, std::function<std::vector<QRect>()> screens)
        : m_main(std::move(main)), m_screens(std::move(screens)) {}

    void Watch(QWidget* window) {
        m_waiting[window] = window->pos();
        window->installEventFilter(this);
    }
    /// A window that must go into the cascade: at once when it is on show, else at its showing.
    void PlaceOrWatch(QWidget* window) {
        Forget(window);
        if (window->isVisible()) {
            Place(window);
        } else {
            Watch(window);
        }
    }
    void Forget(QWidget* window) {
        if (m_waiting.erase(window) > 0) {
            window->removeEventFilter(this);
        }
    }
    /// A window never shown nor moved from where it was built has no place to keep.
    bool Unplaced(const QWidget* window) const {
        const auto found = m_waiting.find(window);
        return found != m_waiting.end() && found->second == window->pos();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* window = static_cast<QWidget*>(watched);
            if (m_waiting.count(window) > 0) {
                Forget(window);
                Place(window);
            }
        }
        return false;
    }

    /// The place (window position and size) a window still waiting would take if it were shown
    /// after `later` other waiting windows; nothing without a main window.
    std::optional<QRect> PlannedPlace(const QWidget* window, int later) const {
        const QWidget* main = m_main();
        if (!main) {
            return std::nullopt;
        }
        const QSize decoration = DecorationOf(window, main);
        const QRect frame =
            CascadeFrame(main->frameGeometry(), window->size() + decoration, m_shown + later, m_screens());
        return QRect(frame.topLeft(), frame.size() - decoration);
    }

private:
    void Place(QWidget* window) {
        // A window shown before the main window (the queue filled at start) goes beside the place
        // the main window has been given.
        const QWidget* main = m_main();
        if (!main) {
            return;
        }
        // A window placed again keeps its step of the cascade.
        const auto [step, added] = m_steps.try_emplace(window, m_shown);
        m_shown += added ? 1 : 0;
        const QSize decoration = DecorationOf(window, main);
        const QRect frame =
            CascadeFrame(main->frameGeometry(), window->size() + decoration, step->second, m_screens());
        SetFrame(window, frame, decoration);
    }

    std::function<QWidget*()> m_main;
    std::function<std::vector<QRect>()> m_screens;
    /// The windows waiting for their first showing, with where they were when registered.
    std::map<const QWidget*, QPoint> m_waiting;
    /// The cascade step each window placed has taken.
    std::map<const QWidget*, int> m_steps;
    int m_shown = 0;
};

Placements::Placements()
    : m_screens(AvailableScreenGeometries),
      m_cascade(std::make_unique<FirstShowCascade>([this] { return Window(kManagedWindowIds[0]); },
                                                   [this] { return m_screens(); })) {}

Placements::~Placements() = default;

void Placements::Register(const char* id, QWidget* window) {
    m_windows[id] = window;
    if (QString(id) != kManagedWindowIds[0]) {
        m_cascade->Watch(window);
    }
}

void Placements::KeepOnScreens(QWidget* window) const {
    const QSize decoration = DecorationOf(window, Window(kManagedWindowIds[0]));
    const QRect frame(window->pos(), window->size() + decoration);
    const QRect kept = KeepFrameOnScreens(frame, m_screens());
    if (kept != frame) {
        SetFrame(window, kept, decoration);
    }
}

void Placements::WindowPlacement(const QString& id, QWidget* window, char code, IniFile* file) {
    if (++m_passCount > kMostWindowsPerPass) {
        ShowProgramError("too many forms!");
        return;
    }
    switch (code) {
        case 'C':
            if (id != kManagedWindowIds[0] && !(id == "FBassint" && m_playing && m_playing())) {
                window->hide();
            }
            break;
        case 'G': {
            const int top = file->ReadInteger(kSection, id + "-TOP", -1);
            const int left = file->ReadInteger(kSection, id + "-LEFT", -1);
            const int height = file->ReadInteger(kSection, id + "-HEIGHT", -1);
            const int width = file->ReadInteger(kSection, id + "-WIDTH", -1);
            window->move(left >= 0 ? left : window->x(), top >= 0 ? top : window->y());
            window->resize(width >= 0 ? width : window->width(), height >= 0 ? height : window->height());
            if (left >= 0 || top >= 0) {
                m_cascade->Forget(window);
            }
            // Earlier runs saved every window where it had opened, on the main window's corner:
            // such a place was never chosen, and the window goes into the cascade instead.
            if (const QWidget* main = Window(kManagedWindowIds[0]);
                main && window != main && left >= 0 && top >= 0 && window->pos() == main->pos()) {
                m_cascade->PlaceOrWatch(window);
            }
            if (left >= 0 || top >= 0 || width >= 0 || height >= 0) {
                KeepOnScreens(window);
            }
            break;
        }
        case 'S': {
            // A window that has not had a place yet keeps the one the cascade beside the main
            // window would give it, so that the next run does not open it over the main window.
            QRect place(window->pos(), window->size());
            if (m_cascade->Unplaced(window)) {
                place = m_cascade->PlannedPlace(window, m_unplacedInPass++).value_or(place);
            }
            file->WriteInteger(kSection, id + "-TOP", place.y());
            file->WriteInteger(kSection, id + "-LEFT", place.x());
            file->WriteInteger(kSection, id + "-HEIGHT", place.height());
            file->WriteInteger(kSection, id + "-WIDTH", place.width());
            break;
        }
        default:
            break;
    }
}

void Placements::Pass(char code, IniFile* file) {
    m_passCount = 0;
    m_unplacedInPass = 0;
    for (const char* id : kManagedWindowIds) {
        const auto found = m_windows.find(id);
        if (found != m_windows.end()) {
            WindowPlacement(id, found->second, code, file);
        }
    }
}

void Placements::RestorePlacements(const QString& settingsFile) {
    IniFile file(settingsFile);
    Pass('G', &file);
}

void Placements::SavePlacements(const QString& settingsFile) {
    // The settings file is only ever created inside an existing data folder.
    if (!QFileInfo(settingsFile).dir().exists()) {
        return;
    }
    IniFile file(settingsFile);
    Pass('S', &file);
    file.Save();
}

void Placements::SavePlacements(IniFile& file) {
    Pass('S', &file);
}

void Placements::CloseManagedWindows() {
    Pass('C', nullptr);
}

QWidget* Placements::Window(const QString& id) const {
    const auto found = m_windows.find(id);
    return found != m_windows.end() ? found->second : nullptr;
}

namespace {

/// Gives the window's frame the place and size of `frame`.
void SetFrame(QWidget* window, const QRect& frame) {
    SetFrame(window, frame, window->frameGeometry().size() - window->size());
}

}  // namespace

void ArrangeWindows(const Placements& placements, const QRect& screen) {
    if (QWidget* main = placements.Window(kManagedWindowIds[0])) {
        SetFrame(main, ArrangedMainFrame(screen, main->frameGeometry().size()));
    }
    for (int index = 0; index < static_cast<int>(kArrangedWindowIds.size()); ++index) {
        if (QWidget* window = placements.Window(kArrangedWindowIds[index])) {
            // Shown first: a window's frame is known only once it is on the screen.
            window->show();
            SetFrame(window, ArrangedCascadeFrame(screen, index, window->frameGeometry().size()));
        }
    }
    if (QWidget* queue = placements.Window(kArrangedWindowIds[0])) {
        queue->raise();
        queue->activateWindow();
    }
}

}  // namespace sw
