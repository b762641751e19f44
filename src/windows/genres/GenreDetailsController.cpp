#include "GenreDetailsController.h"

#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "core/Song.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "tags/GenreList.h"

namespace sw {

namespace {

/// The ids the ID3v1 standard names, and the ones Winamp added after them.
constexpr int kLastId3v1Genre = 79;
constexpr int kLastWinampGenre = 147;

}  // namespace

GenreDetailsController::GenreDetailsController(Catalogue& catalogue, const Settings& settings)
    : m_catalogue(catalogue), m_settings(settings) {}

int GenreDetailsController::FindFreeGenreId() {
    RowSet& rows = m_catalogue.RunQuery("select * from genre order by genreid");
    int i = kFirstGenreId;
    for (rows.First(); !rows.Eof() && i <= kLastFreeGenreId; rows.Next()) {
        const int id = rows.Int("GENREID");
        if (id < i) {
            continue;
        }
        if (id > i) {
            m_mode = Mode::NewRow;
            return i;
        }
        if (rows.Text("GNAME").isEmpty()) {
            m_mode = Mode::ExistingRow;
            return id;
        }
        ++i;
    }
    if (i <= kLastFreeGenreId) {
        m_mode = Mode::NewRow;
        return i;
    }
    return -1;
}

int GenreDetailsController::NewGenre() {
    m_saved = false;
    if (RefuseIfReadOnly(m_settings.READONLY)) {
        return 0;
    }
    m_mode = Mode::NewRow;
    m_name.clear();
    m_dormant = false;
    const int id = FindFreeGenreId();
    if (id < 0) {
        ShowInfo("No new genre ids available");
        return -1;
    }
    m_idText = QString::number(id);
    m_rowId = m_mode == Mode::ExistingRow ? id : -1;
    m_formerName.clear();
    return RunDialog() ? m_savedId : 0;
}

bool GenreDetailsController::EditGenre(int id) {
    m_saved = false;
    if (RefuseIfReadOnly(m_settings.READONLY)) {
        return false;
    }
    m_mode = Mode::ExistingRow;
    const RowSet row =
        m_catalogue.Select("select g.gname, g.dormant from genre g where g.genreid = " + QString::number(id));
    if (row.RowCount() == 0) {
        return false;
    }
    m_rowId = id;
    m_idText = QString::number(id);
    m_name = row.Text("GNAME");
    m_formerName = m_name;
    m_dormant = row.Int("DORMANT") == 1;
    return RunDialog();
}

bool GenreDetailsController::DeleteGenre(int id) {
    if (RefuseIfReadOnly(m_settings.READONLY)) {
        return false;
    }
    if (!ConfirmOK("Delete genre " + QString::number(id))) {
        return false;
    }
    const bool existed = LocateGenre(m_catalogue, id);
    m_catalogue.ExecSqlCommit("delete from genre where genreid = " + QString::number(id));
    return existed;
}

bool GenreDetailsController::RunDialog() {
    m_saved = false;
    if (m_display == nullptr) {
        return false;
    }
    return m_display->RunGenreDetails() && m_saved;
}

bool GenreDetailsController::ReadIdBox(int& id) const {
    if (!ParseIntOrWarn(m_idText, id)) {
        ShowInfo("Invalid id");
        return false;
    }
    if (!InRange(id, kFirstGenreId, kLastGenreId)) {
        ShowInfo("Genre id must be in range 0-255");
        return false;
    }
    return true;
}

bool GenreDetailsController::IdReserved(int id) const {
    // A row that already sits on the mark may still be edited in place.
    if (id != kNoGenre || (m_mode == Mode::ExistingRow && m_rowId == id)) {
        return false;
    }
    ShowInfo("Genre id " + QString::number(id) + " is reserved for songs without a genre");
    return true;
}

bool GenreDetailsController::GenreExists(int id) const {
    return LocateGenre(m_catalogue, id);
}

bool GenreDetailsController::RenameAgreed(int id) const {
    if (InRange(id, kFirstGenreId, kLastId3v1Genre) &&
        !Confirm("Genres 0-79 are predefined in ID3v1, do you really want to rename?")) {
        return false;
    }
    if (InRange(id, kLastId3v1Genre + 1, kLastWinampGenre) &&
        !Confirm("Genres 80-147 are predefined by Winamp, do you really want to rename?")) {
        return false;
    }
    return Confirm(
               "Any existing MP3 ID3v2 and OGG tags will not be updated with the new name, use Assign for "
               "this - OK?") &&
           AskOkCancel("don't forget (this is far from perfect)");
}

bool GenreDetailsController::Save() {
    int id = 0;
    if (!ReadIdBox(id) || IdReserved(id)) {
        return false;
    }
    // An existing row may keep its own id, but never take another genre's.
    const bool ownId = m_mode == Mode::ExistingRow && id == m_rowId;
    if (!ownId && GenreExists(id)) {
        ShowInfo("Genre " + QString::number(id) + " already exists");
        return false;
    }
    const QString name = FitToColumn(m_name, kGenreNameWidth);
    if (name != m_formerName && !RenameAgreed(id)) {
        return false;
    }
    // Written only now, in one statement, so that a declined question leaves nothing behind.
    Query write(m_catalogue, m_mode == Mode::NewRow
                                 ? "insert into genre (genreid, gname, dormant) values (:id, :name, :dormant)"
                                 : "update genre set genreid = :id, gname = :name, dormant = :dormant "
                                   "where genreid = :row");
    write.SetInteger("id", id).SetText("name", name).SetInteger("dormant", m_dormant ? 1 : 0);
    if (m_mode == Mode::ExistingRow) {
        write.SetInteger("row", m_rowId);
    }
    write.Execute();
    if (!ownId && m_mode == Mode::ExistingRow) {
        // The songs are the genre's by its id: they move with it, or they would be left on an id
        // that names nothing (or, later, another genre).
        m_catalogue.ExecSql("update song set genreid = " + QString::number(id) +
                            " where genreid = " + QString::number(m_rowId));
    }
    m_catalogue.CommitAndContinue();
    m_savedId = id;
    m_saved = true;
    return true;
}

}  // namespace sw
