#pragma once

#include <QString>

namespace sw {

/// A reference to a playlist: its PLID (0 = none) and name.
struct Tplist {
    int Id = 0;
    QString Name;
};

/// Id 0, empty name.
inline void ForgetPlaylist(Tplist& playlist) {
    playlist = Tplist{};
}

/// The two playlist references that the queue, the songs window and the playlists window share.
/// One object lives for the whole run; whoever wires the windows together owns it and hands it to
/// each of them.
struct SharedPlaylists {
    /// The playlist the "Add to" items act on: chosen in the playlists window, shown in the songs
    /// window, or just created or named.
    Tplist TargetPlaylist;
    /// The playlist the queue was filled from for editing.
    Tplist QueueSourcePlaylist;
};

}  // namespace sw
