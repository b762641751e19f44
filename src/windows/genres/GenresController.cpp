#include "GenresController.h"

#include <QFileInfo>
#include <QStringList>

#include "windows/main/LibraryList.h"
#include "windows/songs/SongListController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "tags/GenreList.h"

namespace sw {

QString GenreListSql(GenreSort sort, GenreFilter filter) {
    if (filter != GenreFilter::InUse) {
        return GenreListJoinSql(sort, filter);
    }
    // The songs' genre ids are made distinct alone before they meet the genre rows (one each, by
    // the primary key): sorting every song with its genre's name and the name in lower case cost
    // most of the list's time. The final sort gets the same rows in the same sequence as from the
    // join of every song, so that names equal in lower case keep their order.
    QStringList lines;
    lines << "select s.genreid, g.gname, lower(g.gname) as lname, g.dormant"
          << "from (select distinct genreid from song) s"
          << "left join genre g on g.genreid = s.genreid";
    lines << (sort == GenreSort::ByName ? "order by lname" : "order by s.genreid");
    return lines.join('\n');
}

QString GenreListJoinSql(GenreSort sort, GenreFilter filter) {
    QStringList lines;
    if (filter == GenreFilter::InUse) {
        lines << "select distinct s.genreid, g.gname, lower(g.gname) as lname, g.dormant"
              << "from song s left join genre g on g.genreid = s.genreid";
    } else {
        lines << "select g.*, lower(g.gname) as lname from genre g";
        if (filter == GenreFilter::Available) {
            // A genre loaded from the genre list has no DORMANT value, and it is not dormant.
            lines << "where (coalesce(g.dormant, 0) = 0) and not (g.gname is null)";
        }
    }
    lines << (sort == GenreSort::ByName ? "order by lname" : "order by genreid");
    return lines.join('\n');
}

GenresController::GenresController(Library& library, SongListController& songs, QString genreFile)
    : m_library(library),
      m_songs(songs),
      m_genreFile(std::move(genreFile)),
      m_details(library.catalogue, library.settings) {}

// Entry points.

void GenresController::ShowGenresWindow() {
    m_picking = false;
    if (m_display) {
        m_display->ShowListWindow();
    }
}

bool GenresController::PickGenre(int& id, QString& name) {
    if (m_display == nullptr) {
        return false;
    }
    if (m_display->ListWindowShown() && !m_picking) {
        m_display->ShowListWindow();
        ShowInfo("You must first close Genres (don't know why, sorry)");
        return false;
    }
    m_picking = true;
    StateChanged();
    const bool closedOk = m_display->RunListWindowModal();
    m_picking = false;
    StateChanged();
    // Only a highlighted row with a genre id is a pick: an empty list picks nothing.
    const int picked = CurrentId();
    if (!closedOk || picked < 0) {
        return false;
    }
    id = picked;
    name = NameAt(m_current);
    return true;
}

void GenresController::CloseGenresWindow() {
    if (m_display && m_display->ListWindowShown() && !m_picking) {
        m_display->CloseListWindow(false);
    }
}

// The list.

void GenresController::RefreshGenreList() {
    m_rows = m_library.catalogue.Select(m_readByJoin ? GenreListJoinSql(m_sort, m_filter)
                                                     : GenreListSql(m_sort, m_filter));
    m_idColumn = m_rows.ColumnIndex("GENREID");
    m_nameColumn = m_rows.ColumnIndex("GNAME");
    m_open = true;
    BuildColumns();
    m_current = RowForRemembered();
    if (m_current >= 0) {
        m_rememberedId = CurrentId();
    }
    if (m_display) {
        m_display->ListBuilt();
    }
    StateChanged();
}

void GenresController::BuildColumns() {
    const RowSet& rows = m_rows;
    const int dormantColumn = rows.ColumnIndex("DORMANT");
    GridColumn id;
    id.caption = m_sort == GenreSort::ById ? SortedCaption("Id  ") : QString("Id");
    id.text = FieldText(rows, "GENREID");
    id.alignment = Qt::AlignCenter;
    id.widestSample = "255";
    GridColumn name;
    name.caption = m_sort == GenreSort::ByName ? SortedCaption("Name ") : QString("Name");
    name.text = FieldText(rows, "GNAME");
    GridColumn dormant;
    dormant.caption = "Dormant?";
    dormant.text = [&rows, dormantColumn](int row) {
        const QVariant value = rows.Value(row, dormantColumn);
        return value.isValid() && value.toLongLong() == 1 ? QString("Dormant") : QString();
    };
    dormant.widestSample = "Dormant";
    if (m_sort == GenreSort::ByName) {
        m_fields = {Field::Name, Field::Id, Field::Dormant};
        m_model.Show(&m_rows, {name, id, dormant});
    } else {
        m_fields = {Field::Id, Field::Name, Field::Dormant};
        m_model.Show(&m_rows, {id, name, dormant});
    }
}

int GenresController::RowForRemembered() const {
    const int count = m_rows.RowCount();
    if (count == 0) {
        return -1;
    }
    if (m_rememberedId < 0) {
        return 0;
    }
    const int found = FirstRowNotLess(count, [this](int row) {
        const int id = IdAt(row);
        return id == m_rememberedId || (m_sort == GenreSort::ById && id > m_rememberedId);
    });
    // The walk that finds no such row ends on the last one.
    return found >= 0 ? found : count - 1;
}

QString GenresController::FilterCaption() const {
    return m_filter == GenreFilter::All ? QString("Filter") : QString("FILTER");
}

QString GenresController::CountLabel() const {
    return QString::number(m_rows.RowCount()) + " genres listed";
}

GenresController::Field GenresController::FieldAt(int column) const {
    if (column < 0 || column >= static_cast<int>(m_fields.size())) {
        return Field::Dormant;
    }
    return m_fields[static_cast<std::size_t>(column)];
}

int GenresController::IdAt(int row) const {
    if (row < 0 || row >= m_rows.RowCount()) {
        return -1;
    }
    const QVariant value = m_rows.Value(row, m_idColumn);
    return value.isValid() ? value.toInt() : -1;
}

QString GenresController::NameAt(int row) const {
    if (row < 0 || row >= m_rows.RowCount()) {
        return QString();
    }
    const QVariant value = m_rows.Value(row, m_nameColumn);
    return value.isValid() ? value.toString() : QString();
}

void GenresController::SetCurrentRow(int row) {
    if (row >= 0 && row < m_rows.RowCount()) {
        m_current = row;
        m_rememberedId = CurrentId();
    }
}

void GenresController::MoveTo(int row) {
    if (row < 0 || row >= m_rows.RowCount()) {
        return;
    }
    SetCurrentRow(row);
    if (m_display) {
        m_display->CurrentRowChanged(row);
    }
}

void GenresController::StateChanged() {
    if (m_display) {
        m_display->StateChanged();
    }
}

// Events.

void GenresController::Shown() {
    RefreshGenreList();
}

void GenresController::Activated() {
    if (!m_open) {
        RefreshGenreList();
    }
}

void GenresController::RowClicked(int row) {
    SetCurrentRow(row);
    if (m_picking) {
        if (m_display) {
            m_display->CloseListWindow(true);
        }
        return;
    }
    ListTracks();
}

void GenresController::HeadingClicked(int column) {
    switch (FieldAt(column)) {
        case Field::Id:
            SetSort(GenreSort::ById);
            break;
        case Field::Name:
            SetSort(GenreSort::ByName);
            break;
        case Field::Dormant:
            break;
    }
}

void GenresController::SearchTyped(const QString& text) {
    const int count = m_rows.RowCount();
    if (count == 0) {
        return;
    }
    const int row = FirstRowNotLess(count, [&](int each) { return CompareNoCase(NameAt(each), text) >= 0; });
    MoveTo(row >= 0 ? row : count - 1);
}

void GenresController::PopupOpening(int row) {
    MoveTo(row);
    if (m_display) {
        m_display->ClearSearchQuietly();
    }
}

// Commands.

void GenresController::SetSort(GenreSort sort) {
    m_sort = sort;
    RefreshGenreList();
}

void GenresController::SetFilter(GenreFilter filter) {
    m_filter = filter;
    RefreshGenreList();
}

void GenresController::RefreshCommand() {
    RefreshGenreList();
    BusyReset();
}

void GenresController::ListTracks() {
    const int id = CurrentId();
    if (id < 0) {
        return;
    }
    m_rememberedId = id;
    m_songs.ShowGenreSongs(id);
    if (m_display) {
        m_display->ClearSearchQuietly();
    }
}

void GenresController::NewCommand() {
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    const int id = NewGenre();
    if (m_details.Saved()) {
        m_rememberedId = id;
    }
    m_filter = GenreFilter::All;
    RefreshGenreList();
}

void GenresController::EditCommand() {
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    const int id = CurrentId();
    if (id >= 0 && EditGenre(id)) {
        // A genre given another id is followed to it.
        m_rememberedId = m_details.SavedId();
        RefreshGenreList();
    }
}

void GenresController::DeleteCommand() {
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    const int id = CurrentId();
    if (id < 0) {
        return;
    }
    m_rememberedId = id;
    DeleteGenre(id);
    RefreshGenreList();
}

void GenresController::LoadCommand() {
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    if (!QFileInfo::exists(m_genreFile)) {
        ShowInfo("File not found " + m_genreFile);
        return;
    }
    if (!Confirm("Load genres from GENRES.INI ?")) {
        return;
    }
    Catalogue& catalogue = m_library.catalogue;
    const bool hasRows = catalogue.Select("select first 1 g.genreid from genre g").RowCount() > 0;
    if (hasRows && !Confirm("Existing genres will be overwritten - are you sure you want to continue ?")) {
        return;
    }
    LoadGenreList(catalogue, m_genreFile);
    m_sort = GenreSort::ById;
    m_filter = GenreFilter::All;
    RefreshGenreList();
}

void GenresController::CloseCommand() {
    if (m_display) {
        m_display->CloseListWindow(false);
    }
}

}  // namespace sw
