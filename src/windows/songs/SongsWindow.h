#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <map>

#include "SongListController.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTableView;
class QTimer;
class QToolButton;

namespace sw {

class Catalogue;

/// The row pop-up's items, those of its "More songs ..." submenu included, in their order.
enum class SongPopupItem {
    ViewSong,
    EditSong,
    CopySong,
    AlbumDetails,
    PlayNowThisSong,
    PlayNextThisSong,
    InsertThisSong,
    AppendThisSong,
    PlayNextFromPosition,
    Preview,
    MoreInAlbum,
    MoreInAlbumGroup,
    MoreByArtist,
    MoreInGenre,
    MoreWithTitle,
    MoreWithSimilarFileName,
    AlreadyInPlaylists,
    AddToPlaylist,
    ViewPlaylist,
    AddToAnotherPlaylist,
    DropFromPlaylist,
    DeleteMusicFile,
    RemoveFromDatabase,
    DeleteAndRemove
};

/// The menu bar's items that the window sets as their menus open (the "Play" menu's scopes and
/// commands go by PlayScope and QueueKind, the filters by SongFilterItem).
enum class SongsMenuItem {
    EditPlaylist,
    ViewPlaylist,
    SelectPlaylist,
    FixDurations,
    FixQuestion,
    FixBang,
    HideMissing,
    AutoFit,
    AutoRefresh,
    DoubleClickView,
    DoubleClickEdit
};

/// The "Songs" window: the list of the songs window's controller in a grid, its menus, the row
/// pop-up, the count and filter labels and the jump buttons. Created once; requests show it.
class SongsWindow : public QMainWindow, private SongListDisplay {
public:
    SongsWindow(SongListController& controller, Catalogue& catalogue, QWidget* parent = nullptr);
    ~SongsWindow() override;

    SongListController& Controller() { return m_controller; }
    QTableView* Grid() const { return m_grid; }
    QMenu* PopupMenu() const { return m_popup; }
    QMenu* FilterMenu() const { return m_filterMenu; }
    QMenu* PlayMenu() const { return m_playMenu; }
    QAction* PopupItem(SongPopupItem item) const { return m_popupItems.at(item); }
    /// The "Play" menu's item that chooses the scope.
    QAction* PlayItem(PlayScope scope) const;
    /// The "Play" menu's item that sends the scope's songs to the queue.
    QAction* PlayItem(QueueKind kind) const;
    QAction* FilterItem(SongFilterItem item) const;
    QAction* MenuItem(SongsMenuItem item) const;
    /// The grid's column widths by caption, as a rebuild without fitting restores them.
    const std::map<QString, int>& SavedWidths() const { return m_savedWidths; }

    /// Opens the pop-up menu over the row at the global position (as a right click does).
    void OpenPopup(int row, const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void BuildMenus();
    void BuildPlayMenu();
    void BuildPlaylistMenu();
    void BuildFilterMenu();
    void BuildOptionsMenu();
    void BuildPopup();
    QAction* AddPopupItem(QMenu* menu, SongPopupItem id, const QString& caption,
                          std::function<void()> action);

    void ShowSongsWindow() override;
    void SaveColumnWidths() override;
    void ListBuilt() override;
    void CurrentRowChanged(int row) override;
    void StateChanged() override;

    void FitColumns();
    void RestoreColumnWidths();
    void ShowCurrentRow();
    void ShowPlayCaptions();
    void FilterMenuOpening();
    void PlaylistMenuOpening();
    void ReopenMenu(QMenu* menu);

    SongListController& m_controller;
    Catalogue& m_catalogue;
    QTableView* m_grid = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_filterLabel = nullptr;
    QToolButton* m_jumpStart = nullptr;
    QToolButton* m_jumpEnd = nullptr;

    QAction* m_back = nullptr;
    QMenu* m_playMenu = nullptr;
    std::array<QAction*, 4> m_scopeItems{};
    std::array<QAction*, 4> m_kindItems{};
    QAction* m_editPlaylist = nullptr;
    QMenu* m_assignMenu = nullptr;
    QMenu* m_playlistMenu = nullptr;
    QMenu* m_addToPlaylist = nullptr;
    QAction* m_viewPlaylist = nullptr;
    QAction* m_selectPlaylist = nullptr;
    QAction* m_new = nullptr;
    QMenu* m_fixMenu = nullptr;
    QAction* m_fixDurations = nullptr;
    QAction* m_fixQuestion = nullptr;
    QAction* m_fixBang = nullptr;
    QMenu* m_filterMenu = nullptr;
    std::vector<QAction*> m_filterItems;
    QAction* m_hideMissing = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QAction* m_autoFit = nullptr;
    QAction* m_autoRefresh = nullptr;
    QAction* m_doubleClickView = nullptr;
    QAction* m_doubleClickEdit = nullptr;

    QMenu* m_popup = nullptr;
    std::map<SongPopupItem, QAction*> m_popupItems;
    QMenu* m_moreSongs = nullptr;

    QTimer* m_scanTimer = nullptr;
    std::map<QString, int> m_savedWidths;
    int m_creationWidth = 0;
    bool m_syncing = false;        // the program moves the grid's cursor
    bool m_reopeningPlay = false;  // the "Play" menu reopens after a scope was chosen
};

}  // namespace sw
