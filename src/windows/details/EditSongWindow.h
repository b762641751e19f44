#pragma once

#include <QDialog>
#include <array>

#include "EditSongController.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace sw {

/// The modal "Edit song details" window over EditSongController.
class EditSongWindow : public QDialog, private EditSongDisplay {
public:
    explicit EditSongWindow(EditSongController& controller, QWidget* parent = nullptr);
    ~EditSongWindow() override;

    /// Shows the window modally on the record; true (and the record holds the saved details) when
    /// it closed after a save.
    bool EditSongDetails(TSong& song);

    EditSongController& Controller() { return m_controller; }
    QLineEdit* Edit(EditBox box) const;
    QSpinBox* TrackBox() const { return m_track; }
    QPushButton* Button(const QString& objectName) const;
    QLabel* StatusLine() const { return m_status; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void EditStateChanged() override;
    void ProcessPendingEvents() override;
    void Finish(EditClose close);
    QLineEdit* AddEdit(const QString& caption, EditBox box, int row);

    EditSongController& m_controller;
    std::array<QLineEdit*, 6> m_edits{};
    QSpinBox* m_track = nullptr;
    QLabel* m_songNum = nullptr;
    QLabel* m_fullPath = nullptr;
    QLabel* m_genre = nullptr;
    QLabel* m_ratingSymbol = nullptr;
    QLabel* m_rating = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_created = nullptr;
    QLabel* m_edited = nullptr;
    QLabel* m_duration = nullptr;
    QGroupBox* m_fileGroup = nullptr;
    std::array<QLineEdit*, 7> m_fileBoxes{};
    QLabel* m_fileSize = nullptr;
    QLabel* m_status = nullptr;
    bool m_filling = false;
};

}  // namespace sw
