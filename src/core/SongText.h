#pragma once

#include <QString>

namespace sw {

/// The play start offset, in hundredths of a second, that a comment such as "from 1:23" or
/// "from 12:34.56 live" begins with; 0 when it has none. A malformed time is reported.
int ParseStartFrom(const QString& comment);

/// The symbols shown for a rating (-2 to 4): smiles, a neutral face, frowns or a bomb. Returns false,
/// leaving `text` alone, for a value outside the scale.
bool RatingSymbol(int rating, QString& text);

}  // namespace sw
