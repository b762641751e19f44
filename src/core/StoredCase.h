#pragma once

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

    /// The text as lower(column) would hold it; a text of ASCII only is lowered here, alike.
    QString Lower(const QString& text);

private:
    Query m_lower;
};

}  // namespace sw
