#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sw {

/// The text encodings an ID3v2 frame names in its first byte. Version 3 knows the first two.
enum Id3v2Encoding : int { kId3v2Latin = 0, kId3v2Utf16 = 1, kId3v2Utf16Be = 2, kId3v2Utf8 = 3 };

/// Where the string starting at `from` ends: just after its terminator (a zero byte, or in UTF-16
/// two zero bytes an even distance from `from`), or at the end of `bytes` when it has none.
qsizetype Id3v2StringEnd(int encoding, const QByteArray& bytes, qsizetype from);
/// One string in the encoding, without terminator. Single-byte text is Windows-1252; UTF-16
/// without byte order mark is little-endian (encoding 1) or big-endian (encoding 2).
QString DecodeId3v2String(int encoding, const QByteArray& bytes);
/// The strings of `bytes`, split at their terminators; an empty string after the last
/// terminator is left out.
QStringList DecodeId3v2Strings(int encoding, const QByteArray& bytes);

}  // namespace sw
