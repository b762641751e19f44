#pragma once

#include <QString>
#include <QStringList>

namespace sw {

/// The statements of a creation script: comments removed, split where a line ends with ";".
QStringList SplitSqlScript(const QString& script);

/// A read-only file shipped with the program ("sql/create-catalogue.sql", "data/GENRES.INI"),
/// looked for next to the executable, then in the install prefix's share folder. Empty when absent.
QString FindProgramFile(const QString& relativePath);

/// Creates a new, empty catalogue file at layout version 1 from the creation script, named `name`,
/// with the genres of `genreFile` (section "genres", keys 000 to 255) when one is given. Throws
/// DatabaseError with the client's text (for instance when the file already exists).
void CreateCatalogue(const QString& path, const QString& name, const QString& scriptPath,
                     const QString& genreFile = QString());

}  // namespace sw
