#include "Catalogue.h"

#include "Firebird.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {
const fb::Credentials kCatalogueAccount{"SYSDBA", "brisk38"};
}

Catalogue::Catalogue() = default;

Catalogue::~Catalogue() = default;

void Catalogue::Open(const QString& path) {
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
    if (m_connection) {
        m_connection->Close();
        m_connection.reset();
    }
}

RowSet& Catalogue::RunQuery(const QString& sql) {
    m_general = RowSet();
    m_general = Connection().Select(sql);
    m_general.First();
    return m_general;
}

int Catalogue::QueryInt(const QString& column) const {
    return QueryFieldInt(m_general, column);
}

RowSet Catalogue::Select(const QString& sql) {
    return Connection().Select(sql);
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
    auto statement = Prepare("update params set pmval2 = ? where pmid = 2");
    if (name.isEmpty()) {
        statement->SetNull(0);
    } else {
        statement->SetText(0, name);
    }
    statement->Execute();
    m_name = name;
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
