#pragma once

#include <QDialog>

#include "GenreDetailsController.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sw {

/// The modal "Genre details" dialog over GenreDetailsController: the id and name boxes, "Active"
/// or "Dormant", "Save" and "Cancel".
class GenreDetailsDialog : public QDialog, private GenreDetailsDisplay {
public:
    explicit GenreDetailsDialog(GenreDetailsController& controller, QWidget* parent = nullptr);
    ~GenreDetailsDialog() override;

    QLineEdit* IdBox() const { return m_id; }
    QLineEdit* NameBox() const { return m_name; }
    QRadioButton* ActiveButton() const { return m_active; }
    QRadioButton* DormantButton() const { return m_dormant; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool RunGenreDetails() override;
    void SaveClicked();

    GenreDetailsController& m_controller;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_name = nullptr;
    QRadioButton* m_active = nullptr;
    QRadioButton* m_dormant = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace sw
