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
/// with the genres of `genreFile` (section "genres", keys 000 to 255) when one is given: the
/// catalogue the converter fills and the version ladder starts from. Throws DatabaseError with the
/// client's text (for instance when the file already exists).
void CreateCatalogue(const QString& path, const QString& name, const QString& scriptPath,
                     const QString& genreFile = QString());

/// As CreateCatalogue, then the upgrade script ("sql/upgrade-catalogue.sql": the version ladder's
/// statements), so that the catalogue starts at the current layout version.
void CreateCurrentCatalogue(const QString& path, const QString& name, const QString& scriptPath,
                            const QString& upgradeScriptPath, const QString& genreFile = QString());

enum class NewCatalogueLayout {
    Current,     ///< what a new user starts with
    VersionOne,  ///< what the converter fills and the version ladder raises step by step
};

/// What scripts/new-catalogue does, from the program's own files: `dataFolder` (created when
/// missing) gets SONGS.FDB at the current layout version (or at version 1), named `name`, holding
/// the shipped genre list, and a copy of that list unless it has a GENRES.INI of its own. Returns
/// the catalogue's path. Throws with the client's or the system's text.
QString CreateNewCatalogue(const QString& dataFolder, const QString& name = "My songs",
                           NewCatalogueLayout layout = NewCatalogueLayout::Current);

}  // namespace sw
