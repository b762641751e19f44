#pragma once

#include <QString>
#include <QStringList>

namespace sw {

/// A statement whose ":name" parameters have been turned into the "?" markers the database takes.
struct PositionalSql {
    QString text;
    /// The parameter name of each marker, in order (lower case); a name may occur more than once.
    QStringList names;
};

/// Replaces every ":name" outside quoted texts, quoted identifiers and comments by "?".
PositionalSql ToPositional(const QString& sql);

}  // namespace sw
