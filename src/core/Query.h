#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "Firebird.h"
#include "RowSet.h"

namespace sw {

class Catalogue;

/// A statement with named parameters (":fn", ":ts"), prepared on first use and kept for reuse, so
/// lookups made for every file of a load cost one execution each. Values stay bound until changed.
class Query {
public:
    Query(Catalogue& catalogue, QString sql);
    ~Query();
    Query(Query&&) noexcept;
    Query& operator=(Query&&) noexcept;

    Query& SetInteger(const QString& name, qint64 value);
    /// An empty text is bound as null, the way the catalogue stores empty texts.
    Query& SetText(const QString& name, const QString& value);
    /// A text bound as it is, even when empty.
    Query& SetExactText(const QString& name, const QString& value);
    Query& SetTimestamp(const QString& name, TDateTime value);
    Query& SetNull(const QString& name);

    RowSet Open();
    void Execute();
    /// Where the catalogue's connection stands (the statement is prepared first).
    fb::ChangeMark Mark();

private:
    fb::Statement& Prepared();
    template <typename Bind>
    Query& BindAll(const QString& name, Bind&& bind);

    Catalogue* m_catalogue;
    QString m_sql;
    QStringList m_names;
    std::unique_ptr<fb::Statement> m_statement;
};

}  // namespace sw
