#pragma once

#include <QString>

namespace sw {

class Library;
struct TSong;

/// Writes the song's tags, then its row (on a copy; the caller's record is not changed). Returns
/// the tag writer's result.
bool SaveSongWithTags(Library& library, const TSong& song);

/// Renames the album's row and, when the user agrees, rewrites the tags of its songs (a genre id
/// other than -1 goes into their tags too). Missing files are skipped silently.
bool RenameAlbum(Library& library, int albumId, const QString& newName, int genreId);
bool PromptRenameAlbum(Library& library, int albumId);
/// Renames the artist (committed at once) and, when the user agrees, rewrites the tags of its songs.
bool RenameArtist(Library& library, int artistId, const QString& newName);
bool PromptRenameArtist(Library& library, int artistId);

}  // namespace sw
