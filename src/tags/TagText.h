#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "foundation/Text.h"

namespace sw {

/// ID3 single-byte text as read: Windows-1252, so that its 0x80-0x9F punctuation shows as meant.
/// Every byte gives one character, zero bytes included.
QString DecodeWindows1252(const QByteArray& bytes);
/// ID3 single-byte text as written: Windows-1252 too, so that a read and a save never change a
/// text. One byte per character; a character the code page cannot hold becomes "?".
QByteArray EncodeWindows1252(const QString& text);

/// True when every character of the text has a place in Windows-1252.
bool FitsWindows1252(const QString& text);

/// UTF-16 as ID3v2 frames carry it. A byte order mark chooses the order and is dropped; without
/// one `bigEndian` says. An odd last byte and a surrogate half without its partner (a text cut
/// short) are dropped.
QString DecodeUtf16(const QByteArray& bytes, bool bigEndian);
/// UTF-16 little-endian behind its byte order mark, as ID3v2.3 frames carry Unicode.
QByteArray EncodeUtf16WithBom(const QString& text);

/// UTF-8 as Vorbis comments carry it, up to four bytes a character. Decoding stops at the first
/// malformed or cut-off sequence and keeps what came before it.
QString DecodeUtf8Lenient(const QByteArray& bytes);

/// Removes leading and trailing characters with codes up to 32 (blanks and control characters).
QString TrimTagText(const QString& text);
/// As TrimTagText, on raw bytes.
QByteArray TrimTagBytes(const QByteArray& bytes);

/// A track text such as "7" or "7/12": the number before any "/", 0 when it is not a number.
/// Numbers that do not fit the 8-bit track (negative or above 255) also give 0: a wrong track
/// number would be worse than none.
std::uint8_t TrackFromText(const QString& text);

}  // namespace sw
