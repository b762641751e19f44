#pragma once

#include <QString>

#include "GenreDetailsController.h"
#include "core/RowSet.h"
#include "core/RowSetModel.h"

namespace sw {

class Library;
class LibraryListDisplay;
class SongListController;

enum class GenreSort { ById, ByName };
enum class GenreFilter { InUse, Available, All };

/// The statement that lists the genres in that order under that filter; the genres in use are
/// found from the songs' distinct genre ids before they meet the genre names.
QString GenreListSql(GenreSort sort, GenreFilter filter);
/// The same list with the genres in use read by one join of every song with its genre, as the list
/// was first read: the same rows in the same order, several times slower on a large catalogue.
/// Kept to check the other against.
QString GenreListJoinSql(GenreSort sort, GenreFilter filter);

/// The "Genres" window without its widgets: the genre list in its orders and filters, the position
/// kept across a rebuild, the search box, the commands of its menus and pop-up, and the modal pick
/// that the edit, assign and album windows use. The "Genre details" dialog is its `Details()`.
class GenresController {
public:
    /// Grid columns, by what they show (the sort column comes first on screen).
    enum class Field { Id, Name, Dormant };

    GenresController(Library& library, SongListController& songs, QString genreFile);
    GenresController(const GenresController&) = delete;
    GenresController& operator=(const GenresController&) = delete;

    void SetDisplay(LibraryListDisplay* display) { m_display = display; }
    GenreDetailsController& Details() { return m_details; }

    // Entry points for the rest of the program.
    /// The main menu's "Genres": the window shown, not picking.
    void ShowGenresWindow();
    /// The window as a modal picker; true with the highlighted genre's id and name. Refused while
    /// the window is open normally.
    bool PickGenre(int& id, QString& name);
    int NewGenre() { return m_details.NewGenre(); }
    bool EditGenre(int id) { return m_details.EditGenre(id); }
    bool DeleteGenre(int id) { return m_details.DeleteGenre(id); }
    int FindFreeGenreId() { return m_details.FindFreeGenreId(); }
    /// Closes the window when it is open normally; the edit and assign windows call it first.
    void CloseGenresWindow();

    /// Rebuilds the list in the chosen order and filter, keeping the current genre.
    void RefreshGenreList();

    // The list.
    GenreSort Sort() const { return m_sort; }
    GenreFilter Filter() const { return m_filter; }
    /// "Filter" in capitals while a filter hides genres.
    QString FilterCaption() const;
    QString CountLabel() const;
    bool Picking() const { return m_picking; }
    bool ListOpen() const { return m_open; }
    const RowSet& Rows() const { return m_rows; }
    int RowCount() const { return m_rows.RowCount(); }
    RowSetModel& Model() { return m_model; }
    /// Reads the lists by GenreListJoinSql instead (to compare the two).
    void SetReadByJoin(bool byJoin) { m_readByJoin = byJoin; }
    /// What the grid column at that position shows.
    Field FieldAt(int column) const;
    /// The row's genre id; -1 for a row without one and outside the rows.
    int IdAt(int row) const;
    QString NameAt(int row) const;
    /// -1 when the list is empty.
    int CurrentRow() const { return m_current; }
    int CurrentId() const { return IdAt(m_current); }
    /// The user moved the cursor.
    void SetCurrentRow(int row);

    // The window's events.
    void Shown();
    void Activated();
    /// A click (or double click) on a row: while picking it picks, otherwise it lists the tracks.
    void RowClicked(int row);
    void HeadingClicked(int column);
    void SearchTyped(const QString& text);
    /// The pop-up menu opens over a row, which becomes current.
    void PopupOpening(int row);

    // Commands.
    void SetSort(GenreSort sort);
    void SetFilter(GenreFilter filter);
    void RefreshCommand();
    void ListTracks();
    void NewCommand();
    void EditCommand();
    void DeleteCommand();
    void LoadCommand();
    void CloseCommand();

private:
    void BuildColumns();
    /// The row the remembered genre is on after a rebuild.
    int RowForRemembered() const;
    void MoveTo(int row);
    void StateChanged();

    Library& m_library;
    SongListController& m_songs;
    QString m_genreFile;
    GenreDetailsController m_details;
    LibraryListDisplay* m_display = nullptr;
    RowSet m_rows;
    int m_idColumn = 0;
    int m_nameColumn = 0;
    RowSetModel m_model;
    std::vector<Field> m_fields;
    GenreSort m_sort = GenreSort::ByName;
    GenreFilter m_filter = GenreFilter::InUse;
    bool m_open = false;
    bool m_readByJoin = false;
    int m_current = -1;
    /// The genre the cursor returns to after a rebuild: the current row's, or the one a command
    /// names; -1 for none.
    int m_rememberedId = -1;
    bool m_picking = false;
};

}  // namespace sw
