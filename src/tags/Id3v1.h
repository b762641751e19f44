#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "TagState.h"

namespace sw {

struct TSong;

/// The 128-byte ID3v1 trailer of an MP3 file, decoded.
struct TTag {
    QString Header;
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Comment;
    std::uint8_t Track = 0;
    std::uint8_t Genre = 0;
};

inline constexpr int kId3v1Size = 128;

/// Decodes a 128-byte block. A block that does not start with "TAG", or is not 128 bytes long,
/// gives an empty tag.
TTag ParseId3v1(const QByteArray& block);
/// The ID3v1 tag of a song's details, before its texts are cut to their room.
TTag Id3v1TagOf(const TSong& song);
/// The 128-byte block for a tag: text fields cut to their room, zero bytes after them.
QByteArray FormatId3v1(const TTag& tag);

/// Reads the trailer of song.FullPath into the song; true when the file has one. A file of 128
/// bytes or less has none. Throws with the system's text when the file cannot be opened.
bool ReadId3v1(TSong& song, TagState& state = ProcessTagState());

/// Writes the song's details as a trailer, in place: over an existing one, else appended. Only
/// under MP3 tag policies 1, 2 and 4, or when the user chose to save despite policy 0. True when
/// written. False, with the state's Id3v1FileInUse set and nothing written, while the audio
/// engine holds the file. Throws with the system's text when the file cannot be written; the file
/// then keeps its old trailer (or none).
bool WriteId3v1(const TSong& song, int mp3TagPolicy, bool savingDespiteNoTagPolicy = false,
                TagState& state = ProcessTagState());

/// Cuts a trailer off the end of the file; true when one was removed. False, with nothing
/// changed, when the file is missing, cannot be opened or is held by the audio engine.
bool RemoveId3v1(const QString& path);
bool RemoveId3v1(const TSong& song);

}  // namespace sw
