#include "SqlParameters.h"

namespace sw {

namespace {

bool IsNameStart(QChar c) {
    return c.isLetter() || c == '_';
}
bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c == '$';
}

}  // namespace

PositionalSql ToPositional(const QString& sql) {
    PositionalSql result;
    result.text.reserve(sql.size());
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == '\'' || c == '"') {
            // Quoted text or identifier; a doubled quote stays inside.
            const qsizetype start = i++;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            result.text += sql.mid(start, i - start);
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const qsizetype end = sql.indexOf('\n', i);
            const qsizetype stop = end < 0 ? n : end;
            result.text += sql.mid(i, stop - i);
            i = stop;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const qsizetype end = sql.indexOf("*/", i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            result.text += sql.mid(i, stop - i);
            i = stop;
        } else if (c == ':' && i + 1 < n && IsNameStart(sql[i + 1])) {
            qsizetype end = i + 1;
            while (end < n && IsNameChar(sql[end])) {
                ++end;
            }
            result.names << sql.mid(i + 1, end - i - 1).toLower();
            result.text += '?';
            i = end;
        } else {
            result.text += c;
            ++i;
        }
    }
    return result;
}

}  // namespace sw
