#include "Query.h"

#include "Catalogue.h"
#include "Firebird.h"
#include "SqlParameters.h"

namespace sw {

Query::Query(Catalogue& catalogue, QString sql) : m_catalogue(&catalogue), m_sql(std::move(sql)) {}

Query::~Query() = default;

Query::Query(Query&&) noexcept = default;

Query& Query::operator=(Query&&) noexcept = default;

fb::Statement& Query::Prepared() {
    if (!m_statement) {
        const PositionalSql positional = ToPositional(m_sql);
        m_statement = m_catalogue->Prepare(positional.text);
        m_names = positional.names;
    }
    return *m_statement;
}

template <typename Bind>
Query& Query::BindAll(const QString& name, Bind&& bind) {
    fb::Statement& statement = Prepared();
    const QString key = name.startsWith(':') ? name.mid(1).toLower() : name.toLower();
    bool found = false;
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == key) {
            bind(statement, i);
            found = true;
        }
    }
    if (!found) {
        throw DatabaseError(("Parameter '" + name + "' not found").toStdString());
    }
    return *this;
}

Query& Query::SetInteger(const QString& name, qint64 value) {
    return BindAll(name, [&](fb::Statement& s, int i) { s.SetInteger(i, value); });
}

Query& Query::SetText(const QString& name, const QString& value) {
    return value.isEmpty() ? SetNull(name) : SetExactText(name, value);
}

Query& Query::SetExactText(const QString& name, const QString& value) {
    return BindAll(name, [&](fb::Statement& s, int i) { s.SetText(i, value); });
}

Query& Query::SetTimestamp(const QString& name, TDateTime value) {
    return BindAll(name, [&](fb::Statement& s, int i) { s.SetTimestamp(i, value); });
}

Query& Query::SetNull(const QString& name) {
    return BindAll(name, [&](fb::Statement& s, int i) { s.SetNull(i); });
}

RowSet Query::Open() {
    return Prepared().Open();
}

void Query::Execute() {
    Prepared().Execute();
}

fb::ChangeMark Query::Mark() {
    return Prepared().Mark();
}

}  // namespace sw
