#include "Text.h"

namespace sw {

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

bool IsBlank(QChar c) {
    return c == ' ' || c == '\t';
}

}  // namespace

QString QuoteSingle(const QString& text) {
    return '\'' + text + '\'';
}

QString QuoteDouble(const QString& text) {
    return '"' + text + '"';
}

bool DoubleApostrophes(QString& text) {
    if (!text.contains('\'')) {
        return false;
    }
    text.replace("'", "''");
    return true;
}

QString SqlQuote(const QString& text) {
    QString quoted = text;
    DoubleApostrophes(quoted);
    return QuoteSingle(quoted);
}

QString DoubleAmpersands(const QString& text) {
    QString doubled = text;
    DoubleAmpersandsInPlace(doubled);
    return doubled;
}

bool DoubleAmpersandsInPlace(QString& text) {
    if (!text.contains('&')) {
        return false;
    }
    text.replace("&", "&&");
    return true;
}

int CompareNoCase(const QString& a, const QString& b) {
    return Sign(QString::compare(a, b, Qt::CaseInsensitive));
}

int ComparePrefixNoCase(const QString& a, const QString& b) {
    if (a.size() < b.size()) {
        return CompareNoCase(a, b) < 0 ? -1 : 1;
    }
    return CompareNoCase(a.left(b.size()), b);
}

QString StripPrefixNoCase(const QString& prefix, const QString& text) {
    if (prefix.isEmpty() || text.isEmpty() || !text.startsWith(prefix, Qt::CaseInsensitive)) {
        return text;
    }
    return text.mid(prefix.size());
}

int TrimLeadingBlanks(QString& text) {
    int n = 0;
    while (n < text.size() && IsBlank(text[n])) {
        ++n;
    }
    text.remove(0, n);
    return n;
}

int TrimTrailingBlanks(QString& text) {
    int end = static_cast<int>(text.size());
    while (end > 0 && (IsBlank(text[end - 1]) || text[end - 1] == '\r' || text[end - 1] == '\n')) {
        --end;
    }
    const int removed = static_cast<int>(text.size()) - end;
    text.truncate(end);
    return removed;
}

void DropFirstChars(QString& text, int n) {
    if (n > 0 && text.size() >= n) {
        text.remove(0, n);
    }
}

void DropLastChars(QString& text, int n) {
    if (n > 0) {
        text.chop(n);
    }
}

QString KeepLastChars(const QString& text, int n) {
    return n <= 0 ? QString() : text.right(n);
}

QChar LastChar(const QString& text) {
    return text.isEmpty() ? QChar() : text.back();
}

void AddTrailingBackslash(QString& path) {
    if (!path.isEmpty() && !path.endsWith('/')) {
        path += '/';
    }
}

bool IsDigit(QChar c) {
    return c >= '0' && c <= '9';
}

int CharCount(const QString& text) {
    int chars = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++chars) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        }
    }
    return chars;
}

QString LeftChars(const QString& text, int count) {
    qsizetype units = 0;
    for (int chars = 0; chars < count && units < text.size(); ++chars) {
        units +=
            (text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate())
                ? 2
                : 1;
    }
    return text.left(units);
}

}  // namespace sw
