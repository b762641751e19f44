#include "CatalogueCreation.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "Firebird.h"
#include "IniFile.h"
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

void CreateCatalogue(const QString& path, const QString& name, const QString& scriptPath,
                     const QString& genreFile) {
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw DatabaseError(
            ("Cannot read the catalogue creation script " + scriptPath + ": " + script.errorString())
                .toStdString());
    }
    const QStringList statements = SplitSqlScript(QString::fromUtf8(script.readAll()));
    auto connection = fb::Connection::Create(path, {"SYSDBA", "brisk38"}, 8192);
    for (const QString& statement : statements) {
        connection->Execute(statement);
        // Tables must exist (committed) before the statements that use them are prepared.
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
                insert->SetText(1, genre);
                insert->Execute();
            }
        }
    }
    connection->Close();
}

}  // namespace sw
