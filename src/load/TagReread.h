#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace sw {

class FileImporter;
class Library;
class TagPolicy;
struct TSong;

/// What a re-read looks for: the songs whose Unicode ID3v2 tags were ignored when they were
/// loaded, and the FLAC and Opus files that a load did not list then.
struct TagRereadRequest {
    bool unicodeTags = false;
    bool flacOpus = false;
};

/// What became of a re-read.
struct TagRereadCounts {
    /// Catalogued songs whose files were looked at.
    int examined = 0;
    /// Songs whose details now come from the tags that had been ignored.
    int reread = 0;
    /// FLAC and Opus files that became songs.
    int added = 0;
    /// Files that could not be read; the run went on without them.
    int failed = 0;
    bool cancelled = false;
};

/// Told after each file with how many of how many are done; false cancels the run (what was
/// done so far stays).
using TagRereadProgress = std::function<bool(int done, int total)>;

/// After a tag switch has been turned on: the catalogue catches up with what the files' tags
/// say under it. A song's number, rating, play history and playlist entries stay as they are;
/// only the details its tags carry (title, artist, album, year, track, genre, comment) change,
/// through the normal song write.
class TagReread {
public:
    /// `importer` loads the FLAC and Opus files (a load run, with its closing messages).
    TagReread(Library& library, TagPolicy& tags, FileImporter& importer);

    /// The catalogued songs whose files exist, by number, with their full paths.
    std::vector<std::pair<int, QString>> CataloguedFiles();
    /// True when the song's stored details are what a read that ignores Unicode ID3v2 tags gives
    /// and the file does hold such a tag: the song was loaded with its tag ignored. A song edited
    /// since is left alone. Throws with the system's text when the file cannot be read.
    bool TagWasIgnored(const TSong& stored);
    /// Reads the song's file again with Unicode tags and stores what its tags say; true when a
    /// detail changed.
    bool RereadSong(int songNum);
    /// The FLAC and Opus files in the folders that hold catalogued songs, not catalogued
    /// themselves, in the order of their paths.
    QStringList UnlistedFlacOpusFiles();

    /// Both searches as asked, the re-reads committed as they go.
    TagRereadCounts Run(const TagRereadRequest& request, const TagRereadProgress& progress = {});

private:
    /// The song's file read as the tag settings stand, artist and album found or made.
    bool ReadDetails(const TSong& stored, TSong& fresh);

    Library& m_library;
    TagPolicy& m_tags;
    FileImporter& m_importer;
};

/// The closing message of a re-read: how many songs were re-read and files added, and how many
/// could not be read.
QString TagRereadSummary(const TagRereadCounts& counts);

}  // namespace sw
