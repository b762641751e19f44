#pragma once

#include <QMainWindow>
#include <array>
#include <map>

#include "SongDetailsController.h"

class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace sw {

class RowSetModel;

/// The song details window's menu items, in their menu order, then the items of the pop-ups over
/// the playlists grid and the history grid.
enum class SongDetailsCommand {
    Close,
    Refresh,
    SongsWithTitle,
    SongsByArtist,
    SongsOnAlbum,
    SongsInGenre,
    Edit,
    DeleteFile,
    RemoveSong,
    DeleteAndRemove,
    Duplicates,
    Copy,
    ViewPlaylist,
    DropFromPlaylist,
    ListSongsPlayed,
};

/// The song details window: eight pages over SongDetailsController, its menu and a status line.
class SongDetailsWindow : public QMainWindow, private SongDetailsDisplay {
public:
    explicit SongDetailsWindow(SongDetailsController& controller, QWidget* parent = nullptr);
    ~SongDetailsWindow() override;

    SongDetailsController& Controller() { return m_controller; }
    QTabWidget* Pages() const { return m_pages; }
    /// The caption label of a catalogue field (yellow when the file disagrees).
    QLabel* FieldCaption(DetailsField field) const { return m_captions[static_cast<std::size_t>(field)]; }
    QLabel* StatusLine() const { return m_status; }
    QAction* Command(SongDetailsCommand command) const { return m_commands.at(command); }
    /// Enables the items whose windows exist; call after setting the controller's hooks.
    void HooksChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TagWidgets {
        QWidget* panel = nullptr;
        QVBoxLayout* lines = nullptr;
        QLabel* note = nullptr;
        QLabel* notFound = nullptr;
        QPushButton* remove = nullptr;
        QPushButton* write = nullptr;
    };

    void ShowDetailsWindow() override;
    void DetailsChanged() override;
    void SelectPage(DetailsPage page) override;
    void PointAtFileSize() override;
    void CloseDetailsWindow() override;
    QString ChooseAudioFile(const QString& startFolder) override;

    void BuildMenu();
    QWidget* BuildCataloguePage();
    QWidget* BuildFileSystemPage();
    QWidget* BuildTagPage(TagKind kind);
    QWidget* BuildPlaylistsPage();
    QWidget* BuildHistoryPage();
    void FillTagPage(TagKind kind);

    SongDetailsController& m_controller;
    QTabWidget* m_pages = nullptr;
    QLabel* m_status = nullptr;
    std::array<QLabel*, kDetailsFieldCount> m_captions{};
    std::array<QLabel*, kDetailsFieldCount> m_values{};
    QLabel* m_ratingSymbol = nullptr;
    QLabel* m_rating = nullptr;
    QPushButton* m_ratingUp = nullptr;
    QPushButton* m_ratingDown = nullptr;
    QPushButton* m_albumButton = nullptr;
    QPushButton* m_artistButton = nullptr;
    QPushButton* m_genreButton = nullptr;
    QLabel* m_relativeName = nullptr;
    QLabel* m_fileName = nullptr;
    QLabel* m_folder = nullptr;
    QLabel* m_fileFound = nullptr;
    QLabel* m_sizeCaption = nullptr;
    std::array<QLabel*, 10> m_facts{};
    std::array<TagWidgets, kTagKindCount> m_tagWidgets;
    QTableView* m_playlistGrid = nullptr;
    RowSetModel* m_playlistModel = nullptr;
    QTableView* m_historyGrid = nullptr;
    RowSetModel* m_historyModel = nullptr;
    QMenu* m_playlistPopup = nullptr;
    QMenu* m_historyPopup = nullptr;
    std::map<SongDetailsCommand, QAction*> m_commands;
    bool m_filling = false;
};

}  // namespace sw
