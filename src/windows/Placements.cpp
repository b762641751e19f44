#include "Placements.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include "MainController.h"
#include "core/IniFile.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {
constexpr char kSection[] = "forms";
constexpr int kMostWindowsPerPass = 20;
}  // namespace

void Placements::Register(const char* id, QWidget* window) {
    m_windows[id] = window;
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
            break;
        }
        case 'S':
            file->WriteInteger(kSection, id + "-TOP", window->y());
            file->WriteInteger(kSection, id + "-LEFT", window->x());
            file->WriteInteger(kSection, id + "-HEIGHT", window->height());
            file->WriteInteger(kSection, id + "-WIDTH", window->width());
            break;
        default:
            break;
    }
}

void Placements::Pass(char code, IniFile* file) {
    m_passCount = 0;
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
    const QSize decoration = window->frameGeometry().size() - window->size();
    window->move(frame.topLeft());
    window->resize(frame.size() - decoration);
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
