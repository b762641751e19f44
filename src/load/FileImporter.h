#pragma once

#include <QString>

#include "LoadableFile.h"

namespace sw {

/// What the load window and `swtool load` need from the catalogue for a load run: the lookup that
/// decides "already loaded", the run itself and its commits, and the shared load-cancel flag.
class FileImporter {
public:
    virtual ~FileImporter() = default;

    /// True when the walk lists the file: a type the jukebox plays, under the user's settings.
    virtual bool IsLoadable(const QString& path) { return IsLoadableFile(path); }
    /// The number of the catalogued song stored with exactly this file's name (0 when none).
    /// Several songs with the file ask whether to go on; Cancel raises the load-cancel flag.
    virtual int SongNumForFile(const QString& path) = 0;
    /// Starts a run; a load-all run also clears the loaded-without-duration flag.
    virtual void StartLoadRun(bool loadAll) = 0;
    /// Imports one file, all of it or (when it fails) nothing of it; no commit.
    virtual void ImportFile(const QString& path) = 0;
    /// Makes the files imported so far durable before they are a second old, so that a killed run
    /// loses at most its last second of files and is not slowed down by a commit per file.
    virtual void CommitIfDue() = 0;
    /// Ends the run, also a cancelled or failed one: commits every file imported, then shows the
    /// last run's songs, the files that could not be catalogued and any note about ignored tags.
    virtual void FinishLoadRun() = 0;
    /// Raised by Cancel (the window's button or the duplicates question); loops test it before
    /// each entry or file.
    virtual bool& LoadCancel() = 0;
};

}  // namespace sw
