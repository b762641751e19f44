#pragma once

#include <QString>
#include <array>

namespace sw {

/// The items of the queue grid's pop-up menu, in menu order.
enum class PopupItem {
    ViewSongDetails,
    EditSong,
    CopySong,
    AlbumDetails,
    Rating,
    PlayNext,
    PlayNow,
    Preview,
    MoveToEnd,
    MoveToPosition,
    Skip,
    Drop,
    MoreSongs,
    MoreInAlbum,
    MoreByArtist,
    MoreInGenre,
    MoreWithTitle,
    AlreadyInPlaylists,
    AddToPlaylist,
    MoveToPlaylist,
    ViewPlaylist,
    AddToAnotherPlaylist,
    DeleteMusicFile,
    RemoveSong,
    DeleteAndRemove,
};

inline constexpr int kPopupItemCount = static_cast<int>(PopupItem::DeleteAndRemove) + 1;

struct PopupEntry {
    /// As a menu shows it: "&&" stands for one "&".
    QString caption;
    bool enabled = true;
    bool checked = false;
};

/// The pop-up menu as it opens over a row.
struct QueuePopupMenu {
    std::array<PopupEntry, kPopupItemCount> entries;
    PopupEntry& operator[](PopupItem item) { return entries[static_cast<std::size_t>(item)]; }
    const PopupEntry& operator[](PopupItem item) const { return entries[static_cast<std::size_t>(item)]; }
};

/// The captions of the rating submenu, from +4 down to -2, after "Promote" and "Demote".
const std::array<QString, 7>& RatingCaptions();

}  // namespace sw
