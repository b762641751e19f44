#pragma once

#include <QString>

#include "foundation/Text.h"

namespace sw {

// The widths, in characters, of the catalogue's text columns, as sql/create-catalogue.sql and the
// version ladder declare them. Every text written to one of these columns goes through
// FitToColumn first: the database refuses a longer text ("string right truncation").
inline constexpr int kSongTitleWidth = 80;
inline constexpr int kSongCommentWidth = 80;
inline constexpr int kSongYearWidth = 4;
/// A file name cannot be cut: a longer one cannot be catalogued.
inline constexpr int kSongFileNameWidth = 255;
inline constexpr int kAlbumNameWidth = 80;
inline constexpr int kAlbumYearWidth = 4;
inline constexpr int kArtistNameWidth = 80;
inline constexpr int kGenreNameWidth = 40;
inline constexpr int kPlaylistNameWidth = 40;
inline constexpr int kDayNoteWidth = 255;
inline constexpr int kCatalogueNameWidth = 80;

/// The text cut to a column's width, counted in characters, never splitting a character.
inline QString FitToColumn(const QString& text, int width) {
    return LeftChars(text, width);
}

/// True when the text fits the column as it is.
inline bool FitsColumn(const QString& text, int width) {
    return CharCount(text) <= width;
}

}  // namespace sw
