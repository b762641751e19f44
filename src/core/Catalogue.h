#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "RowSet.h"

namespace sw {

namespace fb {
class Connection;
class Statement;
}  // namespace fb

/// The catalogue: the one attachment to SONGS.FDB, its single transaction, the general-purpose
/// query and the statement helpers every other part of the program goes through. Statements that
/// change data either commit at once (ExecSqlCommit) or become durable at the next commit.
class Catalogue {
public:
    Catalogue();
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    /// Opens the catalogue file (a local path). Throws DatabaseError with the client's text.
    void Open(const QString& path);
    bool IsOpen() const { return m_connection != nullptr; }
    const QString& Path() const { return m_path; }

    /// Runs one statement; no commit.
    void ExecSql(const QString& sql);
    void ExecSqlCommit(const QString& sql);
    /// Commits the transaction, if any; a new one starts with the next use.
    void CommitAndContinue();
    void CommitRetaining();
    /// Undoes what the transaction changed since its last commit (the converter's abort).
    void Rollback();
    /// Commits what is pending and closes the connection.
    void CloseCatalogue();

    /// Marks the present point of the transaction, replacing an earlier mark, so that the
    /// statements that follow can be undone together (one imported file, for instance).
    void SetSavepoint();
    /// Undoes every change since the mark and drops it. False (nothing undone) when there is no
    /// mark or the transaction was committed since it was set.
    bool RollbackToSavepoint();
    /// Keeps the changes since the mark and drops it.
    void ReleaseSavepoint();

    /// Replaces the general-purpose query's result by that of `sql`, positioned on its first row.
    /// The last few query texts stay prepared, so a query repeated for every loaded file (the
    /// next song number, a genre by name) is prepared once.
    RowSet& RunQuery(const QString& sql);
    /// An integer column of the general-purpose query's current row; 0 when null.
    int QueryInt(const QString& column) const;
    const RowSet& GeneralQuery() const { return m_general; }
    /// A query's whole result, for callers that keep it.
    RowSet Select(const QString& sql);

    /// A prepared statement with "?" markers; kept by the caller for repeated use. It must not
    /// outlive the catalogue's connection.
    std::unique_ptr<fb::Statement> Prepare(const QString& sql);

    int NextPlaylistId();
    int NextArtistId();
    int NextAlbumId();
    int NextSongNum();
    int PlaylistSongCount(int playlistId);

    /// The layout version and the user's name for the catalogue, from table PARAMS.
    int CatalogueVersion() const { return m_version; }
    const QString& CatalogueName() const { return m_name; }
    void ReadParams();
    /// Raises the version by one, announces it and records it in PARAMS at once.
    void RaiseCatalogueVersion();
    /// Brings an older catalogue up to the current layout, one version at a time. Returns true
    /// when the catalogue has just reached the version whose history repair runs at the first
    /// showing of the main window.
    bool UpgradeCatalogue();
    /// Makes sure the tables the program works on are there (in a fixed order) and adds the
    /// indexes, and the triggers of SONGLOUDNESS and SONGSEARCH, of tables the version ladder
    /// created. Throws when a table is missing.
    void OpenTableCursors();
    /// The main window's rename: PMVAL2 of the row with PMID 2, durable at the next commit.
    void RenameCatalogue(const QString& name);

private:
    fb::Connection& Connection();
    /// True when the mark was set in the transaction that is still open.
    bool SavepointAlive() const;
    void DropPreparedStatements();
    /// The query prepared, from the recently used ones when it is there.
    fb::Statement& PreparedQuery(const QString& sql);

    QString m_path;
    std::unique_ptr<fb::Connection> m_connection;
    std::unique_ptr<fb::Statement> m_setSavepoint;
    std::unique_ptr<fb::Statement> m_rollbackToSavepoint;
    std::unique_ptr<fb::Statement> m_releaseSavepoint;
    /// Most recently used first.
    std::vector<std::pair<QString, std::unique_ptr<fb::Statement>>> m_recentQueries;
    bool m_savepointSet = false;
    unsigned m_savepointSerial = 0;
    RowSet m_general;
    int m_version = 0;
    QString m_name;
};

/// The number of rows; the row set is left on its first row.
int RecordCount(RowSet& rows);

/// QueryInt for any row set: the integer of that column of its current row, 0 when null.
int QueryFieldInt(const RowSet& rows, const QString& column);

/// The layout version a catalogue is brought up to.
inline constexpr int kCurrentCatalogueVersion = 13;

/// Shows the refusal and returns true when the catalogue is read-only.
bool RefuseIfReadOnly(bool readOnly);
/// The random filter in words.
QString FilterDescription(int filter);

}  // namespace sw
