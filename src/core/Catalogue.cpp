#include "Catalogue.h"

#include <algorithm>

#include "ColumnWidths.h"
#include "Firebird.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {

const fb::Credentials kCatalogueAccount{"SYSDBA", "brisk38"};
constexpr std::size_t kRecentQueries = 32;

/// A statement that changes the layout: prepared statements on the tables it touches would keep
/// them in use.
bool ChangesLayout(const QString& sql) {
    const QString text = sql.trimmed();
    qsizetype end = 0;
    while (end < text.size() && text[end].isLetter()) {
        ++end;
    }
    const QString first = text.left(end).toLower();
    return first == "alter" || first == "create" || first == "drop" || first == "recreate";
}

}  // namespace

Catalogue::Catalogue() = default;

Catalogue::~Catalogue() = default;

void Catalogue::Open(const QString& path) {
    DropPreparedStatements();
    m_connection.reset();
    m_path = path;
    m_connection = fb::Connection::Attach(path, kCatalogueAccount);
}

fb::Connection& Catalogue::Connection() {
    if (!m_connection) {
        throw DatabaseError("The catalogue is not open");
    }
    return *m_connection;
}

void Catalogue::ExecSql(const QString& sql) {
    if (ChangesLayout(sql)) {
        m_recentQueries.clear();
    }
    Connection().Execute(sql);
}

void Catalogue::ExecSqlCommit(const QString& sql) {
    ExecSql(sql);
    CommitAndContinue();
}

void Catalogue::CommitAndContinue() {
    Connection().Commit();
}

void Catalogue::CommitRetaining() {
    Connection().CommitRetaining();
}

void Catalogue::Rollback() {
    Connection().Rollback();
}

void Catalogue::CloseCatalogue() {
    DropPreparedStatements();
    if (m_connection) {
        m_connection->Close();
        m_connection.reset();
    }
}

void Catalogue::DropPreparedStatements() {
    m_recentQueries.clear();
    m_setSavepoint.reset();
    m_rollbackToSavepoint.reset();
    m_releaseSavepoint.reset();
    m_savepointSet = false;
}

void Catalogue::SetSavepoint() {
    if (!m_setSavepoint) {
        m_setSavepoint = Connection().Prepare("savepoint sw_mark");
    }
    m_setSavepoint->Execute();
    m_savepointSet = true;
    m_savepointSerial = Connection().TransactionSerial();
}

bool Catalogue::SavepointAlive() const {
    return m_savepointSet && m_connection && m_connection->TransactionActive() &&
           m_connection->TransactionSerial() == m_savepointSerial;
}

bool Catalogue::RollbackToSavepoint() {
    // A commit in between (a question answered while a song plays on, say) has made the changes
    // durable and taken the mark with it.
    const bool alive = SavepointAlive();
    m_savepointSet = false;
    if (!alive) {
        return false;
    }
    if (!m_rollbackToSavepoint) {
        m_rollbackToSavepoint = Connection().Prepare("rollback to savepoint sw_mark");
    }
    m_rollbackToSavepoint->Execute();
    return true;
}

void Catalogue::ReleaseSavepoint() {
    const bool alive = SavepointAlive();
    m_savepointSet = false;
    if (!alive) {
        return;
    }
    if (!m_releaseSavepoint) {
        m_releaseSavepoint = Connection().Prepare("release savepoint sw_mark only");
    }
    m_releaseSavepoint->Execute();
}

fb::Statement& Catalogue::PreparedQuery(const QString& sql) {
    auto found = std::find_if(m_recentQueries.begin(), m_recentQueries.end(),
                              [&](const auto& entry) { return entry.first == sql; });
    if (found == m_recentQueries.end()) {
        auto statement = Connection().Prepare(sql);
        if (m_recentQueries.size() >= kRecentQueries) {
            m_recentQueries.pop_back();
        }
        m_recentQueries.emplace(m_recentQueries.begin(), sql, std::move(statement));
    } else if (found != m_recentQueries.begin()) {
        std::rotate(m_recentQueries.begin(), found, found + 1);
    }
    return *m_recentQueries.front().second;
}

RowSet& Catalogue::RunQuery(const QString& sql) {
    m_general = RowSet();
    m_general = PreparedQuery(sql).Open();
    m_general.First();
    return m_general;
}

int Catalogue::QueryInt(const QString& column) const {
    return QueryFieldInt(m_general, column);
}

RowSet Catalogue::Select(const QString& sql) {
    return PreparedQuery(sql).Open();
}

std::unique_ptr<fb::Statement> Catalogue::Prepare(const QString& sql) {
    return Connection().Prepare(sql);
}

int Catalogue::NextPlaylistId() {
    RunQuery("select  max(pl.plid) from plist pl");
    return QueryInt("max") + 1;
}

int Catalogue::NextArtistId() {
    RunQuery("select  max(ar.artistid) from artist ar");
    return QueryInt("max") + 1;
}

int Catalogue::NextAlbumId() {
    RunQuery("select  max(al.albumid) from album al");
    return QueryInt("max") + 1;
}

int Catalogue::NextSongNum() {
    RunQuery("select  max(s.songnum) from song s");
    return QueryInt("max") + 1;
}

int Catalogue::PlaylistSongCount(int playlistId) {
    RunQuery("select  count(sp.plid) as ct from songinpl sp where sp.plid=" + QString::number(playlistId));
    return QueryInt("ct");
}

void Catalogue::ReadParams() {
    const RowSet params = Select("select * from params");
    for (int row = 0; row < params.RowCount(); ++row) {
        const QString name = params.Value(row, params.ColumnIndex("PMNAME")).toString().toLower();
        if (name == "dbvn") {
            const QVariant value = params.Value(row, params.ColumnIndex("PMVAL1"));
            m_version = value.isValid() ? value.toInt() : 0;
        } else if (name == "dbname") {
            m_name = params.Value(row, params.ColumnIndex("PMVAL2")).toString();
        }
    }
}

void Catalogue::RaiseCatalogueVersion() {
    ++m_version;
    ShowInfo("Converting database to version " + QString::number(m_version));
    ExecSqlCommit("update params set pmval1 = " + QString::number(m_version) + " where pmname='DBVN'");
}

void Catalogue::RenameCatalogue(const QString& name) {
    const QString fitted = FitToColumn(name, kCatalogueNameWidth);
    auto statement = Prepare("update params set pmval2 = ? where pmid = 2");
    if (fitted.isEmpty()) {
        statement->SetNull(0);
    } else {
        statement->SetText(0, fitted);
    }
    statement->Execute();
    m_name = fitted;
}

int RecordCount(RowSet& rows) {
    rows.First();
    return rows.RowCount();
}

int QueryFieldInt(const RowSet& rows, const QString& column) {
    if (rows.Eof()) {
        // Reading past the last row reads the column's empty value, as a closed cursor would.
        rows.ColumnIndex(column);
        return 0;
    }
    return rows.Int(column);
}

bool RefuseIfReadOnly(bool readOnly) {
    if (readOnly) {
        ShowInfo("Cannot make changes, database is read-only\n( see menu option \"Database\")");
    }
    return readOnly;
}

QString FilterDescription(int filter) {
    if (filter == 99) {
        return "No filter";
    }
    if (filter == 1) {
        return "Default filtering";
    }
    return "Filter = " + QString::number(filter);
}

}  // namespace sw
