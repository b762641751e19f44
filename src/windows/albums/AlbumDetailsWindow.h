#pragma once

#include <QMainWindow>
#include <map>

#include "AlbumDetailsController.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace sw {

/// The items of the name, artist and group lines' pop-ups (the artist's "Assign a different
/// artist..." submenu included), in their menu order.
enum class AlbumDetailsPopupItem {
    RenameAlbum,
    ViewArtist,
    InputArtist,
    PasteArtist,
    ViewGroup,
    AssignDifferentGroup,
    PasteGroup,
};

/// The album details window: the lines of one album or group, the pop-ups of its name, artist and
/// group lines, and the buttons and menu that assign a rating and a sequence number.
class AlbumDetailsWindow : public QMainWindow, private AlbumDetailsDisplay {
public:
    explicit AlbumDetailsWindow(AlbumDetailsController& controller, QWidget* parent = nullptr);
    ~AlbumDetailsWindow() override;

    AlbumDetailsController& Controller() { return m_controller; }
    QMenu* NamePopup() const { return m_namePopup; }
    QMenu* ArtistPopup() const { return m_artistPopup; }
    QMenu* GroupPopup() const { return m_groupPopup; }
    /// The pop-ups' item (its shown caption may differ from the one it was built with).
    QAction* PopupItem(AlbumDetailsPopupItem item) const { return m_popupItems.at(item); }
    /// The menus' states as the pop-ups show them, brought up to date.
    void ShowPopupStates();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildLines();
    void BuildPopups();
    QLabel* AddLine(int row, const QString& caption, const char* name);
    void Popup(QMenu* menu, QWidget* under);

    void ShowDetailsWindow() override;
    void DetailsChanged() override;
    void CloseDetailsWindow() override;

    AlbumDetailsController& m_controller;
    QPushButton* m_name = nullptr;
    QLabel* m_artistCaption = nullptr;
    QPushButton* m_artist = nullptr;
    QLabel* m_repairTs = nullptr;
    QLabel* m_year = nullptr;
    QLabel* m_fileCount = nullptr;
    QLabel* m_createTs = nullptr;
    QPushButton* m_group = nullptr;
    QLabel* m_sequenceCaption = nullptr;
    QPushButton* m_sequence = nullptr;
    QPushButton* m_sequenceButton = nullptr;
    QPushButton* m_rating = nullptr;
    QMenu* m_namePopup = nullptr;
    QMenu* m_artistPopup = nullptr;
    QMenu* m_groupPopup = nullptr;
    std::map<AlbumDetailsPopupItem, QAction*> m_popupItems;
};

}  // namespace sw
