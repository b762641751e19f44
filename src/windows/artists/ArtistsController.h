#pragma once

#include <QString>
#include <functional>

#include "core/RowSet.h"
#include "core/RowSetModel.h"
#include "foundation/Dates.h"

namespace sw {

class Clock;
class Library;
class LibraryListDisplay;
class SongListController;

/// The four lists of the artists window, as its Filter menu names them.
enum class ArtistsView { All, WithSongs, WithNoSongs, MoreThanOneSong };

/// "All artists", "Artists with any songs", "Artists with no songs", "Artists with more than one song".
QString ArtistsViewName(ArtistsView view);

/// The statement that reads the view's list: for the views with song counts, the songs are
/// counted by artist id before they meet the artists' names.
QString ArtistListSql(ArtistsView view);
/// The same list by one join of every song with its artist, as the list was first read: the same
/// rows in the same order, several times slower on a large catalogue. Kept to check the other
/// against.
QString ArtistListJoinSql(ArtistsView view);

/// The windows the artists window opens that other parts of the program provide. Each is empty
/// until that window exists, and the item that opens it stays disabled until then.
struct ArtistsHooks {
    /// The artist details window for that id.
    std::function<void(int artistId)> artistDetails;
};

/// The row pop-up menu as it opens over an artist.
struct ArtistPopupMenu {
    /// "= Artist #<id>".
    QString caption;
    bool detailsEnabled = false;
    bool playEnabled = false;
};

/// The artists window without its widgets: the four lists of the ARTIST table and their
/// queries, the marking that finds the artists without songs and their removal, the search box,
/// the pop-up's commands, and the hand-over of an artist to the songs window.
class ArtistsController {
public:
    ArtistsController(Library& library, SongListController& songs, const Clock& clock);
    ArtistsController(const ArtistsController&) = delete;
    ArtistsController& operator=(const ArtistsController&) = delete;

    void SetDisplay(LibraryListDisplay* display) { m_display = display; }
    ArtistsHooks& Hooks() { return m_hooks; }

    /// The main menu's "Artists": the list read again and the window shown.
    void ShowArtistsWindow();
    /// The window was shown or activated: a list that is not open is read.
    void Activated();
    /// Forgets the list, as when the catalogue goes away.
    void CloseList();
    bool ListOpen() const { return m_open; }

    // The list and its state.
    ArtistsView View() const { return m_view; }
    /// "Artists - " and the view: "All", "with >0 songs", "with no songs", "with >1 song".
    QString Caption() const;
    /// "Filter" for all artists, "FILTER" while the list is narrowed.
    QString FilterCaption() const;
    /// "<n> artist(s) listed".
    QString CountLabel() const;
    bool SongCountShown() const;
    /// Only in the list built from the latest marking.
    bool RemoveAllEnabled() const;
    /// The time stamp the latest marking wrote; 0 before the first.
    TDateTime MarkTime() const { return m_markTime; }

    /// Reads the lists by ArtistListJoinSql instead (to compare the two).
    void SetReadByJoin(bool byJoin) { m_readByJoin = byJoin; }

    RowSetModel& Model() { return m_model; }
    const RowSetModel& Model() const { return m_model; }
    int RowCount() const { return m_rows.RowCount(); }
    /// 0 for a row whose songs name no artist.
    int ArtistIdAt(int row) const;
    QString ArtistNameAt(int row) const;
    /// -1 when the list is empty.
    int CurrentRow() const { return m_current; }
    /// The user moved the cursor.
    void SetCurrentRow(int row);
    /// The artist the cursor goes back to after the list is read again.
    int RememberedArtist() const { return m_remembered; }

    // Commands.
    /// Reads the list of the view again and puts the cursor back on the remembered artist.
    void RefreshArtistList();
    /// "Refresh": the list read again, staying on the current artist.
    void Refresh();
    /// A view of the Filter menu; "Artists with no songs" runs ListArtistsWithNoSongs.
    void ChooseView(ArtistsView view);
    void ListArtistsWithNoSongs();
    /// "RemoveAll": deletes the artists the latest marking left unmarked, but never one that
    /// songs or albums refer to now, nor the "various" artist.
    void RemoveArtistsWithNoSongs();

    /// "List songs", a click or Enter: the artist's songs in the songs window, or for an artist
    /// without songs the offer to remove it.
    void OpenRow(int row);
    /// A click (or double click) on a row clears the search box first.
    void RowClicked(int row);
    /// Enter in the search box or the grid.
    void EnterPressed();
    /// The cursor goes to the first artist whose name is not less than the text (ignoring case).
    void SearchTyped(const QString& text);

    // The pop-up menu over a row.
    /// The cursor moves to the row and the search box is cleared.
    const ArtistPopupMenu& OpenPopup(int row);
    const ArtistPopupMenu& Popup() const { return m_popup; }
    void PopupListSongs();
    void PopupDetails();
    /// Read-only guard, the rename (or merge), then the list read again on the artist.
    void PopupRename();
    void PopupCopyArtist();

private:
    void SetView(ArtistsView view);
    void SetCurrent(int row);
    void StateChanged();
    bool ValidRow(int row) const { return row >= 0 && row < m_rows.RowCount(); }
    int SongCountOf(int artistId);
    /// Asks, then removes the song-less artist of the row and reads the list again.
    void OfferRemoval(int row, int artistId);
    /// Why the artist must stay although it has no songs; empty when it may go.
    QString ReasonToKeep(int artistId);

    Library& m_library;
    SongListController& m_songs;
    const Clock& m_clock;
    LibraryListDisplay* m_display = nullptr;
    ArtistsHooks m_hooks;

    ArtistsView m_view = ArtistsView::All;
    TDateTime m_markTime = 0;
    bool m_open = false;
    bool m_readByJoin = false;
    RowSet m_rows;
    RowSetModel m_model;
    int m_current = -1;
    int m_remembered = 0;
    ArtistPopupMenu m_popup;
};

}  // namespace sw
