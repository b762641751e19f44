#pragma once

namespace sw {

class Catalogue;
class Library;
struct TSong;

/// The three removal actions offered for a song.
enum class RemoveAction { DeleteFile = 1, RemoveSong = 2, DeleteAndRemove = 3 };

/// Removes the song's row and its playlist entries; its play history stays.
bool DeleteSongRows(Catalogue& catalogue, int songNum);
/// Asks, then removes the song from the catalogue; the file stays.
bool ConfirmRemoveSong(Library& library, int songNum);
/// Asks, then deletes the song's file, and either removes the song or marks it missing.
bool DeleteSongFile(Library& library, int songNum, bool alsoRemove);
/// Refused (with its message) on a read-only catalogue.
bool RemoveSongAction(Library& library, int songNum, RemoveAction action);
/// Tells the catalogue that the song's file has appeared or vanished.
void RecheckSongFile(Library& library, TSong& song);
/// Stores a measured duration at once.
void SetSongDuration(Catalogue& catalogue, const TSong& song);
void ShowStaleDetails();

}  // namespace sw
