#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <map>

#include "HealthCheck.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace sw {

/// The database check window's menu-bar commands, in their menu order (the "Options" menu sits
/// between "Cancel" and "Run ( check )").
enum class HealthCheckCommand { Close, Cancel, RunCheck, RunRepair, Statistics };

/// The "Database check" window: the report, a one-line progress bar under it, and the menu that
/// runs the check, the repair and the statistics. Created once; OpenHealthCheck and ShowStatistics
/// are what the main window's "Healthcheck" and "Statistics" entries call.
class HealthCheckWindow : public QMainWindow, private HealthCheckDisplay {
public:
    HealthCheckWindow(Library& library, TagPolicy& tags, QWidget* parent = nullptr);
    ~HealthCheckWindow() override;

    void OpenHealthCheck();
    /// False when the count was interrupted.
    bool ShowStatistics();

    HealthCheck& Controller() { return m_controller; }
    QPlainTextEdit* ReportArea() const { return m_report; }
    QLabel* ProgressBar() const { return m_progress; }
    QMenu* OptionsMenu() const { return m_options; }
    QAction* Command(HealthCheckCommand command) const { return m_commands.at(command); }
    QAction* OptionItem(HealthOption option) const { return m_optionItems.at(option); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void OptionClicked(HealthOption option, bool checked);
    void ShowOptions();
    void ShowPending();

    void ShowCheckWindow() override;
    void ReportCleared() override;
    void LineAdded(const QString& line) override;
    void ProgressChanged() override;
    void StateChanged() override;
    void PumpEvents() override;

    HealthCheck m_controller;
    QPlainTextEdit* m_report = nullptr;
    QLabel* m_progress = nullptr;
    QMenu* m_options = nullptr;
    std::map<HealthCheckCommand, QAction*> m_commands;
    std::map<HealthOption, QAction*> m_optionItems;
    QStringList m_pendingLines;
    bool m_progressPending = false;
    QElapsedTimer m_sinceShown;
};

}  // namespace sw
