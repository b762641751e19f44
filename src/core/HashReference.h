#pragma once

#include <QString>
#include <functional>

namespace sw {

/// A typed "#12" standing for catalogue row 12 of some kind ("artist", "album"). `lookup` gives the
/// stored name of a row, false when there is none. Asks whether the reference is meant; -1: the
/// caller abandons its save; 0: the text is used as a name; otherwise the row's id, and `typed`
/// then holds the stored name.
int ExpandHashReference(QString& typed, const QString& kind,
                        const std::function<bool(int, QString&)>& lookup);

}  // namespace sw
