#pragma once

#include <QString>

#include "LibraryFixture.h"
#include "foundation/Clock.h"
#include "core/History.h"
#include "core/Playlists.h"
#include "core/Ratings.h"
#include "../tags/TagTestSupport.h"

namespace sw::test {

/// A SONG row written as it stands, for lists whose existence flags, ratings and years matter more
/// than real files.
struct SongRow {
    QString title = "Song";
    QString artist{};
    int albumId = 0;
    int track = 0;
    int rating = 0;
    int exi = 1;
    QString year{};
    QString fn{};
};

/// A throw-away catalogue with the data layer, the playlists, the history and the ratings over it,
/// and a test clock.
class PlaybackFixture : public LibraryFixture {
protected:
    /// Inserts the row with the next song number and returns that number.
    int InsertSong(const SongRow& row);
    /// The entries of a playlist as "seq:songnum", in seq order.
    QStringList Entries(int playlistId);
    /// A playlist row with entries at the given seqs (song numbers 100 + seq).
    void MakePlaylist(int id, const QString& name, const QList<int>& seqs);
    int CountRows(const QString& sql);

    ManualClock m_clock;
    SharedPlaylists m_shared;
    Playlists m_playlists{m_catalogue, m_shared, m_clock};
    PlayHistory m_history{m_catalogue, m_clock};
    Ratings m_ratings{m_library};
};

}  // namespace sw::test
