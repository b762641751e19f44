#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QTextEdit;

namespace sw {

/// The libraries the program runs with, each as "<name> <version> <what for>", the versions as the
/// libraries report them at run time: FFmpeg, SDL, the Firebird client and Qt.
QStringList LinkedLibraries();

/// The lines of the About window's text for a catalogue at `catalogueVersion`; empty lines separate
/// the groups. `libraries` as LinkedLibraries gives them.
QStringList AboutLines(const QString& programVersion, int catalogueVersion, const QStringList& libraries);

/// The header line under the program's name: its executable's modification time, "yyyy-mm-dd hh:mm:ss".
QString ProgramBuildTime(const QString& executable);

/// The "About" window: the program's icon and name, its executable with the time it was built,
/// and a text naming the catalogue's version and the libraries in use. Created once; shown by the
/// main menu's "About".
class AboutWindow : public QDialog {
public:
    /// `catalogueVersion` is asked each time the window is shown. `executable`, the program file
    /// the header names, is the running one when empty.
    AboutWindow(std::function<int()> catalogueVersion, QWidget* parent = nullptr, QString executable = {});

    /// Rewrites the text with the catalogue's version as it stands and brings the window up.
    void ShowAbout();

    QTextEdit* Text() const { return m_text; }
    QLabel* ProgramName() const { return m_name; }
    QLabel* ProgramPath() const { return m_path; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<int()> m_catalogueVersion;
    QStringList m_libraries;
    QLabel* m_name = nullptr;
    QLabel* m_path = nullptr;
    QTextEdit* m_text = nullptr;
};

}  // namespace sw
