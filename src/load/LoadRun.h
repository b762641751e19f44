#pragma once

#include <QString>
#include <functional>

#include "FileImporter.h"
#include "foundation/Dates.h"

namespace sw {

class Library;
class TagPolicy;

/// A load run: files turned into catalogued songs one at a time, each matched against the catalogue
/// by file name, then by album, artist, title and track.
class LoadRun : public FileImporter {
public:
    /// What became of the files of the run.
    struct Counts {
        int inserted = 0;
        int copies = 0;  ///< inserted as a second copy of a song whose file is still there
        int refreshed = 0;
        int relinked = 0;
        int skipped = 0;
    };

    LoadRun(Library& library, TagPolicy& tags);

    /// FLAC and Opus files too when FLACOPUS is on.
    bool IsLoadable(const QString& path) override;
    int SongNumForFile(const QString& path) override;
    void StartLoadRun(bool loadAll) override;
    void ImportFile(const QString& path) override;
    void CommitAndContinue() override;
    void FinishLoadRun() override;
    bool& LoadCancel() override;

    /// The time stamp of the run, in whole seconds so that it matches the stored LastLoadedTS.
    TDateTime LoadTimestamp() const { return m_timestamp; }
    const Counts& RunCounts() const { return m_counts; }
    /// Shows the songs of the last run (the songs window); may be empty.
    void SetShowLastRun(std::function<void()> show) { m_showLastRun = std::move(show); }

private:
    Library& m_library;
    TagPolicy& m_tags;
    TDateTime m_timestamp = 0;
    Counts m_counts;
    std::function<void()> m_showLastRun;
};

}  // namespace sw
