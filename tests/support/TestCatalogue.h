#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/Catalogue.h"

namespace sw::test {

/// The layout a throw-away catalogue is made at.
enum class CatalogueStart {
    Version1,  ///< the creation script alone: what the converter fills and the ladder starts from
    Current,   ///< the creation script and the upgrade script, as a new user's catalogue
};

/// A throw-away catalogue in a temporary folder, made from the creation script (at version 1
/// unless asked otherwise).
class TestCatalogue {
public:
    explicit TestCatalogue(const QString& name = "Test songs",
                           CatalogueStart start = CatalogueStart::Version1);

    const QString& Path() const { return m_path; }
    QString Folder() const { return m_dir.path(); }
    /// A new connection to the file.
    void Open(Catalogue& catalogue) const { catalogue.Open(m_path); }
    /// Opens `catalogue` on the file and brings it to the current layout without messages.
    void OpenCurrent(Catalogue& catalogue) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

/// The creation script of the source tree.
QString CreationScript();
/// The script that takes a new catalogue from version 1 to the current version.
QString UpgradeScript();

/// A catalogue's layout as comparable text: every column of every table (type, length, nullity,
/// default, position), every index, and the PARAMS rows.
QStringList CatalogueLayout(Catalogue& catalogue);

}  // namespace sw::test
