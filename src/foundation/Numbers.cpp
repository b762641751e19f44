#include "Numbers.h"

#include <algorithm>
#include <limits>

#include "Clock.h"
#include "Dialogs.h"
#include "Text.h"

namespace sw {

namespace {

/// Value of the digits text[from, to), or -1 when it exceeds the integer range.
int DigitRunValue(const QString& text, qsizetype from, qsizetype to) {
    qint64 value = 0;
    for (qsizetype i = from; i < to; ++i) {
        value = value * 10 + text[i].digitValue();
        if (value > std::numeric_limits<int>::max()) {
            return -1;
        }
    }
    return static_cast<int>(value);
}

}  // namespace

bool TryParseInt(const QString& text, int& value) {
    if (text.isEmpty()) {
        value = 0;
        return true;
    }
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) {
        return false;
    }
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) {
            return false;
        }
        magnitude = magnitude * 10 + text[i].digitValue();
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1) {
            return false;
        }
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(result);
    return true;
}

bool ParseIntOrWarn(const QString& text, int& value) {
    if (text.isEmpty()) {
        return false;
    }
    if (!TryParseInt(text, value)) {
        ShowInfo("Invalid integer " + QuoteDouble(text));
        return false;
    }
    return true;
}

int LeadingNumber(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    return end == 0 ? -1 : DigitRunValue(text, 0, end);
}

int TrailingNumber(const QString& text) {
    if (text.isEmpty()) {
        return -1;
    }
    qsizetype start = text.size();
    while (start > 0 && IsDigit(text[start - 1])) {
        --start;
    }
    return start == text.size() ? 0 : DigitRunValue(text, start, text.size());
}

QString PadNumber(int value, int width) {
    return QString::number(value).rightJustified(width, '0');
}

QString FormatThousands(int value) {
    QString text = QString::number(value);
    qsizetype minimum = value < 0 ? 5 : 4;
    for (int groupEnd = 3; groupEnd <= 11; groupEnd += 4, minimum += 4) {
        if (text.size() < minimum) {
            break;
        }
        text.insert(text.size() - groupEnd, ',');
    }
    return text;
}

QString SignedText(int value) {
    return value > 0 ? '+' + QString::number(value) : QString::number(value);
}

QString FormatFixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

void SleepCapped(int milliseconds, Clock& clock) {
    clock.SleepMs(std::min(milliseconds, 10000));
}

}  // namespace sw
