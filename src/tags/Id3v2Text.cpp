#include "Id3v2Text.h"

#include "TagText.h"

namespace sw {

namespace {

bool IsUtf16(int encoding) {
    return encoding == kId3v2Utf16 || encoding == kId3v2Utf16Be;
}

qsizetype TerminatorSize(int encoding) {
    return IsUtf16(encoding) ? 2 : 1;
}

/// Where the terminator of the string starting at `from` lies; -1 when it has none.
qsizetype FindTerminator(int encoding, const QByteArray& bytes, qsizetype from) {
    if (!IsUtf16(encoding)) {
        return bytes.indexOf('\0', from);
    }
    for (qsizetype i = from; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == '\0' && bytes[i + 1] == '\0') {
            return i;
        }
    }
    return -1;
}

}  // namespace

qsizetype Id3v2StringEnd(int encoding, const QByteArray& bytes, qsizetype from) {
    const qsizetype terminator = FindTerminator(encoding, bytes, from);
    return terminator < 0 ? bytes.size() : terminator + TerminatorSize(encoding);
}

QString DecodeId3v2String(int encoding, const QByteArray& bytes) {
    switch (encoding) {
        case kId3v2Utf16:
            return DecodeUtf16(bytes, false);
        case kId3v2Utf16Be:
            return DecodeUtf16(bytes, true);
        case kId3v2Utf8:
            // Some writers put a byte order mark in front of UTF-8 too.
            return DecodeUtf8Lenient(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
        default:
            return DecodeWindows1252(bytes);
    }
}

QStringList DecodeId3v2Strings(int encoding, const QByteArray& bytes) {
    QStringList strings;
    qsizetype from = 0;
    while (from < bytes.size()) {
        const qsizetype terminator = FindTerminator(encoding, bytes, from);
        const qsizetype end = terminator < 0 ? bytes.size() : terminator;
        strings << DecodeId3v2String(encoding, bytes.mid(from, end - from));
        from = terminator < 0 ? bytes.size() : terminator + TerminatorSize(encoding);
    }
    return strings;
}

}  // namespace sw
