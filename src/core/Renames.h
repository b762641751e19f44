#pragma once

#include <QString>

#include "TagRewrite.h"

namespace sw {

class Library;
struct TSong;

/// Writes the song's tags, then its row (on a copy; the caller's record is not changed). Returns
/// the tag writer's result.
bool SaveSongWithTags(Library& library, const TSong& song);

/// Renames the album's row (committed at once) and, when the user agrees, rewrites the tags of its
/// songs. An empty name renames nothing and rewrites without asking. A genre id other than -1 goes
/// into the songs' tags and their rows, each row committed as its file is written. When exactly
/// one other album already has the new name
/// (ignoring letter case), the user may merge this album into it instead: its songs move there and
/// it is deleted (committed at once); `mergedInto` then receives the other album's id (else 0).
/// False only when the user cancels the merge question, which changes nothing.
bool RenameAlbum(Library& library, int albumId, const QString& newName, int genreId,
                 int* mergedInto = nullptr, const RewriteProgress& progress = {});
/// Asks for the new name; a blank one is refused with a message and changes nothing (false).
bool PromptRenameAlbum(Library& library, int albumId, int* mergedInto = nullptr);
/// Renames the artist (committed at once) and, when the user agrees, rewrites the tags of its songs.
/// When another artist already has the new name (ignoring letter case), the user may merge this
/// one into it: its songs and albums move there and its row is deleted; `mergedInto` then
/// receives the other artist's id (else 0). False when the user cancels the merge question, and
/// for artist #0 (no artist), which is refused with a message unless the name is empty.
bool RenameArtist(Library& library, int artistId, const QString& newName, int* mergedInto = nullptr,
                  const RewriteProgress& progress = {});
/// Asks for the new name; a blank one, and any for artist #0, is refused with a message and
/// changes nothing (false).
bool PromptRenameArtist(Library& library, int artistId, int* mergedInto = nullptr);

}  // namespace sw
