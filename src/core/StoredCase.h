#pragma once

#include <QHash>
#include <QString>

#include "Query.h"

namespace sw {

class Catalogue;

/// Lower-cases a text as the catalogue's LOWER does. Names are looked up by `lower(column) = :text`,
/// and for some letters the catalogue's lower case differs from Qt's (the dotted capital I becomes
/// a plain i, not an i with a dot above): a text lowered by Qt would never find such a name, and
/// each load would store the file, its artist and its album again.
class StoredCase {
public:
    explicit StoredCase(Catalogue& catalogue);

    /// The text as lower(column) would hold it. A text whose letters the catalogue lower-cases as
    /// Qt does is lowered here; the catalogue is asked once about each letter beyond ASCII, and
    /// lowers the whole text only where one of its letters differs.
    QString Lower(const QString& text);

private:
    QString EngineLower(const QString& text);

    Query m_lower;
    QHash<char32_t, bool> m_lowersAlike;
};

}  // namespace sw
