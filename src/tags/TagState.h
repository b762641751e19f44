#pragma once

#include <QString>

namespace sw {

struct TSong;

/// Details of the last tag read that have no place in a song record; the song details window
/// shows them and the rating can hide in them.
struct TLastTagExtras {
    QString Composer;
    QString Encoder;
    QString Copyright;
    QString Language;
    QString Link;
    QString Vendor;
};

/// How far the last ID3v2 rewrite got; the caller chooses its message by it.
enum Id3v2Stage : int {
    kStageDone = 0,
    kStageNoFile = 1,
    kStageAttributes = 2,
    kStageHeader = 3,
    kStageNoTag = 4,
    /// The audio engine holds the file; the tag can be written once it lets the file go.
    kStageRewrite = 5,
    /// The file's ID3v2 tag cannot be read whole (or not without Unicode tags), so it is not
    /// replaced; Id3v2Error says why.
    kStageUnreadableTag = 6,
    /// The new file could not be written (no space, no permission, a read-only file system);
    /// Id3v2Error holds the path and the system's reason.
    kStageWriteFailed = 7,
};

/// What the tag readers and writers leave behind for their callers. The program has one
/// (ProcessTagState); tests hand their own to the readers and writers.
struct TagState {
    TLastTagExtras LastTagExtras;
    /// The last read that found a tag left the song without title, artist and album.
    bool EmptyTagRead = false;
    /// The last ID3v2 read met one of its frames in Unicode.
    bool UnicodeFrameSeen = false;
    int Id3v2WriteStage = kStageDone;
    /// What went wrong, in words, for stages 6 and 7.
    QString Id3v2Error;
    /// The last ID3v1 write was refused because the audio engine holds the file.
    bool Id3v1FileInUse = false;
};

TagState& ProcessTagState();

/// Sets EmptyTagRead after a read that found a tag in the song's file.
void NoteTagRead(TagState& state, const TSong& song);

}  // namespace sw
