#pragma once

#include <QString>

#include "foundation/Dates.h"

namespace sw {

/// What a request asks the songs window to list. The numbers are those the Back stack keeps.
enum class SongListType : int {
    None = 0,
    Album = 2,
    Artist = 3,
    Search = 5,
    Genre = 6,
    Singles = 7,
    Playlist = 8,
    LastLoaded = 9,
    Recent = 10,
    Title = 11,
    HistoryDay = 12,
};

/// The list actually shown; the window starts with the singles.
enum class SongListMode : int {
    Album = 1,
    Artist = 2,
    Genre = 3,
    Stamp = 4,
    Singles = 5,
    Playlist = 6,
    Recent = 7,
    PlayHistory = 8,
};

/// What "Search for" the search window has chosen.
enum class SearchFor { Text, SongNumber, AlbumId, ArtistId };

/// Where a text search looks: one place, or all five.
enum class SearchPlace { Anywhere, AlbumName, ArtistName, Title, FileName, Comment };

/// The search window's options, as the songs window's searches use them.
struct SearchOptions {
    SearchFor searchFor = SearchFor::Text;
    SearchPlace place = SearchPlace::Anywhere;
};

/// One request for a list, copied by value onto the Back stack.
struct SongListRequest {
    SongListType Type = SongListType::None;
    /// The search text or the title (as typed).
    QString Text;
    /// An album, artist, genre or playlist id, or a day as YYYYMMDD.
    int Number = 0;
    /// The song that was current when the window left this list; 0 for none.
    int RememberedSong = 0;
    /// The time stamp of a last-load request.
    TDateTime Stamp = 0;
    /// A search request runs with the options it was made with, also when Back comes to it.
    SearchOptions Options{};
};

}  // namespace sw
