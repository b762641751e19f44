#pragma once

#include <QString>
#include <memory>

#include "RowSet.h"

namespace sw::fb {

class Statement;

/// Where a connection stands: equal marks mean that nothing this process ran can have changed
/// what it reads in between. Every statement other than a plain select counts as a change (the
/// savepoint statements too), and a new transaction or a commit keeping its context is a new
/// snapshot, in which other processes' commits may show; each connection has its own numbers.
struct ChangeMark {
    unsigned connection = 0;
    unsigned changes = 0;
    unsigned transaction = 0;
    bool operator==(const ChangeMark&) const = default;
};

/// How a connection identifies itself; the catalogue always uses the same account.
struct Credentials {
    QString user;
    QString password;
};

/// One attachment to a local database file (embedded engine, no server), SQL dialect 3, character
/// set UTF8, with a single transaction (read-write, snapshot, wait) that starts on first use and is
/// restarted after each commit. Every failure throws DatabaseError with the client's own text.
class Connection {
public:
    static std::unique_ptr<Connection> Attach(const QString& path, const Credentials& credentials);
    /// Creates a new, empty database (character set UTF8).
    static std::unique_ptr<Connection> Create(const QString& path, const Credentials& credentials,
                                              int pageSize);
    /// Commits what is pending and detaches.
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool TransactionActive() const;
    /// Changes whenever a transaction starts or a commit keeps the transaction's context, so that
    /// a mark set in one transaction is known to be gone.
    unsigned TransactionSerial() const;
    /// Commits the transaction, if any; the next use starts a new one.
    void Commit();
    /// Commits keeping the transaction's context.
    void CommitRetaining();
    /// Undoes what the transaction changed, if any; the next use starts a new one.
    void Rollback();
    /// Commits what is pending and detaches; the connection is unusable afterwards.
    void Close();

    /// Prepares a statement with "?" parameter markers; it can be run many times, across commits.
    std::unique_ptr<Statement> Prepare(const QString& sql);
    void Execute(const QString& sql);
    RowSet Select(const QString& sql);

    struct Impl;

private:
    explicit Connection(std::unique_ptr<Impl> impl);
    /// Attaches, or creates the database when a page size is given.
    static std::unique_ptr<Connection> Open(const QString& path, const Credentials& credentials,
                                            int pageSize);
    friend class Statement;
    std::unique_ptr<Impl> m_impl;
};

/// A prepared statement with positional parameters (counted from 0).
class Statement {
public:
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int ParameterCount() const;
    void SetNull(int index);
    void SetInteger(int index, qint64 value);
    void SetReal(int index, double value);
    /// An empty text is written as it is; callers that store empty texts as null use SetNull.
    void SetText(int index, const QString& value);
    void SetTimestamp(int index, TDateTime value);

    void Execute();
    RowSet Open();
    /// Where the statement's connection stands now.
    ChangeMark Mark() const;

    struct Impl;

private:
    friend class Connection;
    explicit Statement(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

/// Where the embedded engine keeps its lock files (its FIREBIRD_LOCK). Every process working on
/// one catalogue must use the same folder; it is set before the first connection of the process.
/// Without it the process uses a folder of its user's own (~/.cache/sonwick3/firebird-lock/), never
/// the engine's shared /tmp/firebird, which whoever runs first makes unusable for everybody else.
/// Throws std::logic_error when the engine has already started with another folder.
void SetLockFolder(const QString& folder);

/// Firebird's two-part time stamp (days since 17 November 1858, time in 1/10000 s) and back.
void TimestampParts(TDateTime value, int& iscDate, unsigned& iscTime);
TDateTime TimestampFromParts(int iscDate, unsigned iscTime);

/// The Firebird client library's own version text as it reports it at run time (for example
/// "LI-V6.3.11.33637 Firebird 3.0").
QString ClientVersion();

}  // namespace sw::fb
