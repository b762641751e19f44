#pragma once

#include <QDialog>

namespace sw {

/// The converter's About window: its name, its program file with the file's modification time,
/// and what it does. Shown without modality at the mouse.
class ConverterAboutWindow : public QDialog {
public:
    explicit ConverterAboutWindow(QWidget* parent = nullptr);

    /// Places the window at the mouse (kept on the screen) and shows it.
    void ShowAtCursor();
};

/// The lines of the About window's text; empty lines separate the groups.
QStringList ConverterAboutLines();

}  // namespace sw
