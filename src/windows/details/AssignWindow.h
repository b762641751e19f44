#pragma once

#include <QDialog>
#include <array>

#include "AssignController.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;

namespace sw {

/// The modal "Assign details to 1 or more songs " dialog over AssignController, and the progress
/// window of its run with its Cancel button.
class AssignWindow : public QDialog, private AssignDisplay {
public:
    explicit AssignWindow(AssignController& controller, QWidget* parent = nullptr);
    ~AssignWindow() override;

    AssignController& Controller() { return m_controller; }
    QCheckBox* Tick(AssignField field) const { return m_ticks[static_cast<std::size_t>(field)]; }
    /// The box of a field; none for the track.
    QLineEdit* Box(AssignField field) const { return m_boxes[static_cast<std::size_t>(field)]; }
    QPushButton* Button(const QString& objectName) const;
    QProgressDialog* Progress() const { return m_progress; }

private:
    bool RunAssignDialog() override;
    void AssignStateChanged() override;
    void AssignProgress(int done, int total) override;
    void AssignRunEnded() override;

    AssignController& m_controller;
    QLabel* m_count = nullptr;
    std::array<QCheckBox*, kAssignFieldCount> m_ticks{};
    std::array<QLineEdit*, kAssignFieldCount> m_boxes{};
    QPushButton* m_pickGenre = nullptr;
    QProgressDialog* m_progress = nullptr;
    bool m_filling = false;
};

}  // namespace sw
