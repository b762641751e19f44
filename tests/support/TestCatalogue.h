#pragma once

#include <QString>
#include <QTemporaryDir>

#include "core/Catalogue.h"

namespace sw::test {

/// A throw-away catalogue at layout version 1 in a temporary folder, made from the creation script.
class TestCatalogue {
public:
    explicit TestCatalogue(const QString& name = "Test songs");

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

}  // namespace sw::test
