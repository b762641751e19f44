#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace sw {

class Library;
class RowSet;
struct TSong;

/// Called before each file of a tag rewrite with the files done so far and the total; returning
/// false stops the rewrite there.
using RewriteProgress = std::function<bool(int done, int total)>;
/// Stores in the catalogue what a tag rewrite changed in one song's record.
using RewriteStore = std::function<void(const TSong& song)>;

/// What a tag rewrite did.
struct RewriteSummary {
    int total = 0;
    /// Files whose tags were written.
    int written = 0;
    /// One line per failing file: its path and the reason.
    QStringList failures;
    /// Files not reached because the progress callback stopped the rewrite.
    int notReached = 0;
};

/// Writes the tags of every song of `songs` (rows of the song query) after `change` has adjusted
/// its record, under the busy cursor. A file that fails (the tag writer throws, or reports a
/// failure) does not stop the walk: the messages the tag writer would show one box at a time
/// are gathered, and the failing files are listed in one message at the end. The writer's notice
/// for each file saved gives way to one for the whole walk. Missing files are skipped silently.
/// Without a tag writer no file is written.
/// `store`, when given, runs for every song reached right after its file was written (or failed,
/// or was missing), and is committed at once: a walk cut short leaves the catalogue and the files
/// disagreeing on the one file being written at most.
RewriteSummary RewriteSongTags(Library& library, RowSet& songs, const std::function<void(TSong&)>& change,
                               const RewriteProgress& progress = {}, const RewriteStore& store = {});

/// The one message listing the failures (the first few dozen, then how many more) and the files a
/// stop left out; empty when there is none.
QString RewriteSummaryText(const RewriteSummary& summary);
/// The notice of the files written; empty when none was.
QString RewriteNoticeText(const RewriteSummary& summary);

}  // namespace sw
