#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

#include "Fixtures.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"
#include "foundation/Dates.h"

/// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& text : list) {
        *os << " \"" << text.toStdString() << '"';
    }
    *os << " }";
}

namespace sw::test {

/// A converter's program folder with an empty version-1 catalogue (holding the shipped genre
/// list, which the conversion replaces), and a previous edition's folder written by the fixtures.
class ConversionFolders {
public:
    ConversionFolders() {
        QDir().mkpath(Home() + "/SW3DATA");
        CreateCatalogue(CatalogueFile(), "My songs", CreationScript(),
                        QStringLiteral(SW_SOURCE_DIR "/data/GENRES.INI"));
        WriteLegacyFolder(Legacy());
    }

    QString Home() const { return m_home.path(); }
    QString Legacy() const { return m_legacy.path(); }
    QString LegacyData() const { return Legacy() + "/Data/"; }
    QString CatalogueFile() const { return Home() + "/SW3DATA/SONGS.FDB"; }
    QString SettingsFile() const { return Home() + "/SW3DATA/SONWICK3.INI"; }

    /// The result of a query on the target catalogue, through a connection of its own.
    RowSet Select(const QString& sql) const {
        Catalogue catalogue;
        catalogue.Open(CatalogueFile());
        RowSet rows = catalogue.Select(sql);
        catalogue.CloseCatalogue();
        return rows;
    }
    void Execute(const QString& sql) const {
        Catalogue catalogue;
        catalogue.Open(CatalogueFile());
        catalogue.ExecSqlCommit(sql);
        catalogue.CloseCatalogue();
    }
    /// Sets a key of the previous edition's settings file.
    void SetLegacySetting(const QString& key, const QString& value) const {
        IniFile settings(LegacyData() + "SONWICK.INI");
        settings.WriteString("main", key, value);
        settings.Save();
    }

private:
    QTemporaryDir m_home;
    QTemporaryDir m_legacy;
};

/// The values of every row, "|" between columns, in the query's order, for compact comparisons.
inline QStringList Rows(const RowSet& rows) {
    QStringList lines;
    for (int row = 0; row < rows.RowCount(); ++row) {
        QStringList values;
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            const QVariant value = rows.Value(row, column);
            values << (!value.isValid() ? QString("null")
                       : rows.ColumnAt(column).kind == ColumnKind::Timestamp
                           ? FormatDateTime(1, value.toDouble())
                           : value.toString());
        }
        lines << values.join('|');
    }
    return lines;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace sw::test
