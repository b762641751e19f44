#pragma once

#include <QWidget>

#include "ArtistDetailsController.h"

class QLabel;
class QPushButton;

namespace sw {

/// The artist details window: the "Id " line, the name line (white on red while the artist is not
/// found), "Rename" and "Close". Created once and hidden on close.
class ArtistDetailsWindow : public QWidget, private ArtistDetailsDisplay {
public:
    explicit ArtistDetailsWindow(ArtistDetailsController& controller, QWidget* parent = nullptr);
    ~ArtistDetailsWindow() override;

    ArtistDetailsController& Controller() { return m_controller; }
    QLabel* IdLine() const { return m_id; }
    QLabel* NameLine() const { return m_name; }
    QPushButton* RenameButton() const { return m_rename; }
    QPushButton* CloseButton() const { return m_close; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowDetailsWindow() override;
    void DetailsChanged() override;

    ArtistDetailsController& m_controller;
    QLabel* m_id = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace sw
