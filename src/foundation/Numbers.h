#pragma once

#include <QString>

namespace sw {

class Clock;

/// An empty text gives 0 and true; otherwise a decimal integer with an optional sign.
/// False, without a message, when the text is not a valid 32-bit integer.
bool TryParseInt(const QString& text, int& value);
/// As TryParseInt, but an empty text gives false, and an invalid one shows "Invalid integer "text"".
bool ParseIntOrWarn(const QString& text, int& value);
/// The run of digits at the start; -1 when there is none or it does not fit an integer.
int LeadingNumber(const QString& text);
/// The run of digits at the end; 0 when a non-empty text ends otherwise; -1 when the text is empty
/// or the digits do not fit an integer.
int TrailingNumber(const QString& text);
/// Decimal text with leading zeros up to `width` characters.
QString PadNumber(int value, int width);
/// Decimal text with "," between groups of three digits (1,234,567).
QString FormatThousands(int value);
/// Decimal text with "+" in front of a positive number.
QString SignedText(int value);
QString FormatFixed(double value, int decimals);
inline bool InRange(int value, int low, int high) {
    return low <= value && value <= high;
}
/// Subtracts 1 only when the value is at least 1.
inline void DecrementToZero(int& value) {
    if (value >= 1) {
        --value;
    }
}
/// Waits that long on `clock`, but never more than 10 seconds.
void SleepCapped(int milliseconds, Clock& clock);

}  // namespace sw
