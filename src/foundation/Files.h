#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "Dates.h"

namespace sw {

/// Size in bytes; 0 when the file does not exist.
std::int64_t FileSizeBytes(const QString& path);
/// Last-modification time of an existing file. Throws for a missing file.
TDateTime FileModifiedTime(const QString& path);
/// Creation (birth) time where the file system keeps it, else the modification time. Throws for a
/// missing file or a folder.
TDateTime FileCreatedTime(const QString& path);
/// Empty when the file can be opened and its first byte read; otherwise the system's reason
/// ("Permission denied", "Input/output error"), so that a file the user cannot read is named as
/// such instead of passing for one without a tag.
QString ReadFailureOf(const QString& path);
/// True when the file was deleted; otherwise shows "Delete <path>" and "Error <errno> <text>".
bool DeleteFileReporting(const QString& path);
/// Creates a new, empty, hidden temporary file beside `target` (native path) under a name of its
/// own (".<name>~XXXXXX", the longest names shortened without splitting a UTF-8 character), so a
/// leftover of a crash, or a user's own "name~", never stands in the way. The six characters are
/// four random ones and two that check them against the name, so that a temporary file can be
/// told from a user's file of the same shape. The file is held with an exclusive flock() for as
/// long as the descriptor stays open, which tells a save in progress from a leftover of a killed
/// one. Returns the open file descriptor and sets `temporary`; -1 with errno set on failure.
int CreateTemporaryBeside(const QByteArray& target, QByteArray& temporary);
/// The start of the names CreateTemporaryBeside gives the temporary files beside a file of this
/// (bare, native) name: "." + the name, shortened as there, + "~".
QByteArray TemporaryNamePrefix(const QByteArray& fileName);
/// True when the bare, native `name` is one CreateTemporaryBeside makes (its check characters
/// included); says nothing about whether the file is still in use.
bool IsTemporaryName(const QByteArray& name);
/// Replaces the file's content through a temporary file beside it: written, flushed, fsync'ed and
/// renamed over the original, so the file is never half-written. A symbolic link is followed and
/// its target replaced (the temporary file lies beside the target); the file keeps its
/// permissions, and a read-only file is refused. Throws with the system's text; no temporary file
/// is left.
void WriteFileAtomically(const QString& path, const QByteArray& content);

/// Attribute bits of the folder search; a mask of 0 means all entries.
enum EntryAttribute : int {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20
};

/// Starts the program-wide folder search on `folder` + `pattern` ("*" and "?" wildcards; "*.*"
/// matches every name). True when at least one entry matched; the first match is handed out by
/// the first FindNextEntry.
bool FindFirstEntry(const QString& folder, const QString& pattern, int attributeMask);
/// The next entry name; false when there are no more, which also ends the search.
bool FindNextEntry(QString& name);
/// For the entry last found: ' ' for "." and "..", 'D' for a folder, 'F' for anything else.
char EntryKind();

}  // namespace sw
