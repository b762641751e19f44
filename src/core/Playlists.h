#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "PlaylistRefs.h"
#include "ColumnWidths.h"
#include "Song.h"
#include "foundation/Clock.h"

namespace sw {

class Catalogue;
class SongStore;

/// The playlist that the random selection refills.
inline constexpr int kRandomPlaylistId = 0;

/// One entry of a playlist with the song it names; `SongFound` is false when the song is no longer
/// in the catalogue (the record then holds only its number).
struct PlaylistEntry {
    int Seq = 0;
    TSong Song;
    bool SongFound = false;
};

/// A name typed for a new playlist, cut to the column's width, with the id of the playlist that
/// has that name already, if there is one.
struct PlaylistNameAnswer {
    QString name;
    std::optional<int> existingId;
};

/// The catalogue's playlists (PLIST) and their entries (SONGINPL), as the queue, the songs window
/// and the playlists window change them. Statements that do not say otherwise leave the commit to
/// the caller.
class Playlists {
public:
    Playlists(Catalogue& catalogue, SharedPlaylists& shared, const Clock& clock = RealClock());

    SharedPlaylists& Shared() { return m_shared; }
    Tplist& TargetPlaylist() { return m_shared.TargetPlaylist; }

    /// The playlist's id and name into `playlist` when it exists.
    bool LoadPlaylistRecord(int playlistId, Tplist& playlist);
    void InsertPlaylistEntry(const TSong& song, int playlistId, int seq);
    /// The highest seq of the playlist plus 1 (1 for an empty one).
    int NextPlaylistSeq(int playlistId);
    /// Appends the song to the target playlist, asking first when it is there already. True when an
    /// entry was added.
    bool AddSongToTargetPlaylist(const TSong& song);

    /// Makes the playlist of exactly that name the target; false when there is none.
    bool FindPlaylistByName(const QString& name);
    /// The id of the playlist of exactly that name (0 is a playlist too: "Random").
    std::optional<int> FindPlaylistId(const QString& name);
    /// Another playlist than `playlistId` whose name equals `name` without regard to letter case.
    std::optional<Tplist> OtherPlaylistNamed(const QString& name, int playlistId);
    /// Creates the playlist and makes it the target; a playlist of that name becomes the target
    /// instead (after saying so). Names are cut to the column's width. Always true.
    bool CreatePlaylistNamed(const QString& name);
    /// Asks for a name and creates the playlist; false when cancelled.
    bool AskNewPlaylist();
    /// Asks for a new playlist's name as AskNewPlaylist does, but creates nothing and leaves the
    /// target alone, so that the caller decides what a taken name means; nullopt when cancelled.
    std::optional<PlaylistNameAnswer> AskPlaylistName();
    /// Inserts the PLIST row dated today and commits, unless the caller writes the playlist's
    /// entries in the same transaction.
    void InsertPlaylistRow(int playlistId, const QString& name, bool commit = true);
    void ClearPlaylistEntries(int playlistId);
    void DeletePlaylistRow(int playlistId);

    /// Asks, then removes the playlist with its entries and commits; true when done.
    bool DeletePlaylist(int playlistId);
    /// Asks, then removes the playlist's entries and commits; true when done.
    bool ClearPlaylist(int playlistId);
    /// Removes every entry of the playlist with that seq.
    void DeletePlaylistEntry(int playlistId, int seq);
    /// Asks, then removes the entries at that seq; true when done.
    bool DropPlaylistEntry(int playlistId, int seq);

    /// "Add to playlist" / "Select playlist", with "another " once a target is chosen; `kind` is
    /// 'A' or 'S'.
    QString PlaylistMenuCaption(char kind) const;

    /// The playlist's entries in seq order with their songs.
    std::vector<PlaylistEntry> ReadPlaylistEntries(int playlistId, SongStore& songs);

private:
    bool DeleteOrClearPlaylist(int playlistId, char mode);

    Catalogue& m_catalogue;
    SharedPlaylists& m_shared;
    const Clock& m_clock;
};

}  // namespace sw
