#pragma once

#include <QString>
#include <functional>

namespace sw {

class Library;
class Ratings;
class RowSet;

/// The songs window's warning cell for a song: "?" when the file's presence disagrees with the
/// catalogue's EXI = 1, otherwise "!" when the file is missing, otherwise empty.
QString SongWarning(bool fileExists, int exi);

/// What the album summary needs of the songs window's list: its mode, album and filter, and the
/// list's rows (song query A in album mode), which it walks from the first row.
struct AlbumSongList {
    bool albumMode = false;
    int albumId = 0;
    int ratingFilter = 1;
    RowSet* rows = nullptr;
    /// Re-opens the list's query before the walk; may be empty when `rows` is fresh.
    std::function<void()> reopen;
};

/// The album check pass of an unfiltered album list: the derived rating, the album artist
/// ("various" when the songs disagree), the count of existing songs and the year ("vari" when the
/// songs disagree), corrected in the album's row.
class AlbumSummary {
public:
    AlbumSummary(Library& library, Ratings& ratings);

    /// `mode` decides the album artist: 0 tells, 1 asks, 2 updates. Returns 1 when the album row
    /// was rewritten, 0 when only the ratings (if anything) changed, 2 when the pass did not run.
    int RefreshAlbumSummary(const AlbumSongList& list, int mode);
    /// Whether the last pass met a "?" warning.
    bool QuestionWarnings() const { return m_questionWarnings; }

private:
    Library& m_library;
    Ratings& m_ratings;
    bool m_questionWarnings = false;
};

}  // namespace sw
