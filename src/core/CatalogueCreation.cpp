#include "CatalogueCreation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "ColumnWidths.h"
#include "Firebird.h"
#include "IniFile.h"
#include "Settings.h"
#include "foundation/Numbers.h"

namespace sw {

QStringList SplitSqlScript(const QString& script) {
    QString text = script;
    text.remove(QRegularExpression(R"(/\*.*?\*/)", QRegularExpression::DotMatchesEverythingOption));
    QStringList statements;
    QString current;
    for (const QString& line : text.split('\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith("--")) {
            continue;
        }
        current += line + '\n';
        if (trimmed.endsWith(';')) {
            QString statement = current.trimmed();
            statement.chop(1);
            if (!statement.trimmed().isEmpty()) {
                statements << statement.trimmed();
            }
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty()) {
        statements << current.trimmed();
    }
    return statements;
}

QString FindProgramFile(const QString& relativePath) {
    const QString exeFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString(".");
    for (const QString& candidate :
         {exeFolder + "/" + relativePath, exeFolder + "/../share/sonwick3/" + relativePath}) {
        if (QFileInfo(candidate).isFile()) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
    return {};
}

namespace {

QStringList ScriptStatements(const QString& scriptPath) {
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw DatabaseError(
            ("Cannot read the catalogue creation script " + scriptPath + ": " + script.errorString())
                .toStdString());
    }
    return SplitSqlScript(QString::fromUtf8(script.readAll()));
}

/// The scripts in turn, each statement committed on its own (tables must exist before the
/// statements that use them are prepared), then the name and the genre list.
void CreateFromScripts(const QString& path, const QString& name, const QStringList& scriptPaths,
                       const QString& genreFile) {
    QStringList statements;
    for (const QString& scriptPath : scriptPaths) {
        statements << ScriptStatements(scriptPath);
    }
    auto connection = fb::Connection::Create(path, {"SYSDBA", "brisk38"}, 8192);
    try {
        for (const QString& statement : statements) {
            connection->Execute(statement);
            connection->Commit();
        }
        auto rename = connection->Prepare("update params set pmval2 = ? where pmid = 2");
        rename->SetText(0, name);
        rename->Execute();
        if (!genreFile.isEmpty()) {
            const IniFile genres(genreFile);
            auto insert = connection->Prepare("insert into genre (genreid, gname) values (?, ?)");
            for (int id = 0; id <= 255; ++id) {
                const QString genre = genres.ReadString("genres", PadNumber(id, 3), QString());
                if (!genre.isEmpty()) {
                    insert->SetInteger(0, id);
                    insert->SetText(1, FitToColumn(genre, kGenreNameWidth));
                    insert->Execute();
                }
            }
        }
        connection->Close();
    } catch (...) {
        // A half-made catalogue would be taken for a real one at the next start.
        connection.reset();
        QFile::remove(path);
        throw;
    }
}

QString ShippedFile(const QString& relativePath) {
    const QString path = FindProgramFile(relativePath);
    if (path.isEmpty()) {
        throw DatabaseError(("The program file " + relativePath + " was not found").toStdString());
    }
    return path;
}

}  // namespace

void CreateCatalogue(const QString& path, const QString& name, const QString& scriptPath,
                     const QString& genreFile) {
    CreateFromScripts(path, name, {scriptPath}, genreFile);
}

void CreateCurrentCatalogue(const QString& path, const QString& name, const QString& scriptPath,
                            const QString& upgradeScriptPath, const QString& genreFile) {
    CreateFromScripts(path, name, {scriptPath, upgradeScriptPath}, genreFile);
}

QString CreateNewCatalogue(const QString& dataFolder, const QString& name, NewCatalogueLayout layout) {
    const QString createScript = ShippedFile("sql/create-catalogue.sql");
    const QString upgradeScript = ShippedFile("sql/upgrade-catalogue.sql");
    const QString genres = ShippedFile("data/GENRES.INI");
    if (!QDir().mkpath(dataFolder)) {
        throw DatabaseError(("Cannot create the folder " + dataFolder).toStdString());
    }
    const QString path = QDir(dataFolder).filePath("SONGS.FDB");
    if (layout == NewCatalogueLayout::VersionOne) {
        CreateCatalogue(path, name, createScript, genres);
    } else {
        CreateCurrentCatalogue(path, name, createScript, upgradeScript, genres);
        // A new user's folder reads today's tags; the converter's keeps the previous edition's ways.
        WriteNewFolderSettings(QDir(dataFolder).filePath("SONWICK3.INI"));
    }
    // The genre list travels with a new catalogue, unless the folder has one of its own.
    const QString folderGenres = QDir(dataFolder).filePath("GENRES.INI");
    if (!QFileInfo::exists(folderGenres) && !QFile::copy(genres, folderGenres)) {
        throw DatabaseError(("Cannot copy " + genres + " to " + folderGenres).toStdString());
    }
    return path;
}

}  // namespace sw
