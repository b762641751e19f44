#pragma once

#include <QChar>
#include <QString>

namespace sw {

QString QuoteSingle(const QString& text);
/// Used when a message names a value.
QString QuoteDouble(const QString& text);
/// Doubles every apostrophe; true if any was found.
bool DoubleApostrophes(QString& text);
/// A text literal for SQL: apostrophes doubled, enclosed in apostrophes.
QString SqlQuote(const QString& text);
/// Every "&" doubled, so a label, caption or menu item shows the character instead of an accelerator.
QString DoubleAmpersands(const QString& text);
/// In-place form; true if any "&" was found.
bool DoubleAmpersandsInPlace(QString& text);

/// -1, 0 or 1, ignoring letter case.
int CompareNoCase(const QString& a, const QString& b);
/// Compares the first length-of-b characters of a with b, ignoring case; never 0 when a is shorter.
int ComparePrefixNoCase(const QString& a, const QString& b);
/// The text without `prefix` when it begins with it (ignoring case); otherwise unchanged.
QString StripPrefixNoCase(const QString& prefix, const QString& text);

/// Removes leading spaces and tabs; returns how many were removed.
int TrimLeadingBlanks(QString& text);
/// Removes trailing spaces, tabs, carriage returns and line feeds; returns how many were removed.
int TrimTrailingBlanks(QString& text);
/// Removes the first n characters when the text has at least n; otherwise leaves it.
void DropFirstChars(QString& text, int n);
/// Removes the last n characters (all of them when n exceeds the length).
void DropLastChars(QString& text, int n);
QString KeepLastChars(const QString& text, int n);
/// The last character, or the null character for an empty text.
QChar LastChar(const QString& text);
/// Appends the path separator "/" unless the path is empty or already ends with one.
void AddTrailingBackslash(QString& path);
/// True for "0" to "9" only.
bool IsDigit(QChar c);

/// The number of characters, counting a character outside the basic plane (a surrogate pair) as one.
int CharCount(const QString& text);
/// The first `count` characters, counting a character outside the basic plane as one, so that a
/// cut never splits a character.
QString LeftChars(const QString& text, int count);

}  // namespace sw
