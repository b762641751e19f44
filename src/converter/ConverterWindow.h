#pragma once

#include <QElapsedTimer>
#include <QMainWindow>

#include "ConverterController.h"

class QAction;
class QLabel;
class QListWidget;

namespace sw {

class ConverterAboutWindow;

/// The converter's main window, "Sonwick conversion to Firebird": the source and target labels
/// (a click on a source label chooses the previous edition's folder), the log list, the status
/// strip, and the menu "Exit", "Convert", "About".
class ConverterWindow : public QMainWindow, private ConverterDisplay {
public:
    explicit ConverterWindow(ConverterController& controller, QWidget* parent = nullptr);
    ~ConverterWindow() override;

    ConverterController& Controller() { return m_controller; }
    QAction* ConvertAction() const { return m_convert; }
    QString LabelText(const QString& objectName) const;
    QStringList LoggedLines() const;
    QString StatusStripText() const;
    bool StatusHighlighted() const;

    void ChooseLegacyFolder();
    void ShowAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LabelsChanged() override;
    void LineLogged(const QString& line) override;
    void StatusChanged() override;
    void PumpEvents() override;
    void EndProgram() override;
    /// Ends the program (exit status 1) once a stop signal has come and no conversion runs.
    void CheckStopSignal();

    ConverterController& m_controller;
    QAction* m_convert = nullptr;
    QLabel* m_sourceFolder = nullptr;
    QLabel* m_sourceData = nullptr;
    QLabel* m_sourceName = nullptr;
    QLabel* m_sourceVersion = nullptr;
    QLabel* m_targetFolder = nullptr;
    QLabel* m_targetData = nullptr;
    QLabel* m_targetVersion = nullptr;
    QListWidget* m_log = nullptr;
    QLabel* m_status = nullptr;
    ConverterAboutWindow* m_about = nullptr;
    QElapsedTimer m_sincePump;
    bool m_ending = false;
};

}  // namespace sw
