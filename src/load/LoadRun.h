#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "FileImporter.h"
#include "LoadMessages.h"
#include "core/LoadCache.h"
#include "core/Query.h"
#include "foundation/Clock.h"
#include "foundation/Dates.h"

namespace sw {

class Library;
class TagPolicy;

/// The longest a load run keeps imported files uncommitted: what a killed program can lose. Each
/// commit with forced writes costs a few dozen synchronous page writes (the pages the rows of the
/// interval touched, the transaction inventory page, the header page), so fewer commits mean fewer
/// writes per file.
inline constexpr qint64 kLoadCommitIntervalMs = 1000;

/// What a commit is taken to last until one of the run took longer: a commit of a second's files
/// is a hundred or so synchronous page writes.
inline constexpr qint64 kLoadCommitAllowanceMs = 100;

/// True when a load run must commit now. A kill during a commit loses that commit's files too, so
/// the next file (taken to last as long as the last one) and then a commit (as long as `commitMs`)
/// must both fit in the interval since the last commit began.
bool LoadCommitDue(qint64 sinceCommitBeganMs, qint64 lastFileMs, qint64 commitMs);

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

    /// `clock` times the commits.
    LoadRun(Library& library, TagPolicy& tags, Clock& clock = RealClock());

    /// FLAC and Opus files too when FLACOPUS is on.
    bool IsLoadable(const QString& path) override;
    int SongNumForFile(const QString& path) override;
    void StartLoadRun(bool loadAll) override;
    /// A path whose stored name would not fit the catalogue is left out and named at the end of the
    /// run. A database error undoes the file's changes (no artist or album is left without its
    /// song) and is thrown on; what was imported before stays.
    void ImportFile(const QString& path) override;
    /// Commits when LoadCommitDue says so, with the longest commit of the run so far (at least
    /// kLoadCommitAllowanceMs).
    void CommitIfDue() override;
    /// Commits now.
    void CommitAndContinue();
    void FinishLoadRun() override;
    bool& LoadCancel() override;

    /// A file that will not be catalogued, named in the run's closing message.
    void NoteNotCatalogued(const QString& name, const QString& reason);
    const std::vector<NotCatalogued>& NotCataloguedFiles() const { return m_notCatalogued; }

    /// The time stamp of the run, in whole seconds so that it matches the stored LastLoadedTS.
    TDateTime LoadTimestamp() const { return m_timestamp; }
    const Counts& RunCounts() const { return m_counts; }
    /// Shows the songs of the last run (the songs window); may be empty.
    void SetShowLastRun(std::function<void()> show) { m_showLastRun = std::move(show); }

    /// With `keep` (the default) the run remembers the artists, albums and stored names it has
    /// looked up from one file to the next, so that most files cost only their own insert. It
    /// forgets them whenever anything but the run has used the connection, at each commit (the
    /// next transaction may see other programs' changes) and at the end of the run. Without,
    /// every lookup asks the catalogue. Either way the same rows are stored.
    void KeepCatalogueCache(bool keep) { m_keepCache = keep; }
    const LoadCache& Cache() const { return m_cache; }

private:
    enum class Outcome { Inserted, Copy, Refreshed, Relinked, Skipped };
    /// The import proper; the caller makes it all or nothing. `bytes`: the size of the file as
    /// stored (0 when it is not there).
    Outcome Import(const QString& path, qint64& bytes);

    Library& m_library;
    TagPolicy& m_tags;
    Clock& m_clock;
    TDateTime m_timestamp = 0;
    qint64 m_lastCommitMs = 0;  ///< when the last commit began: what was imported before is durable
    qint64 m_lastCheckMs = 0;   ///< when the last file's import ended
    qint64 m_longestCommitMs = kLoadCommitAllowanceMs;
    Counts m_counts;
    std::vector<NotCatalogued> m_notCatalogued;
    std::function<void()> m_showLastRun;
    bool m_keepCache = true;
    LoadCache m_cache;
    /// Any statement: the connection's mark around the run's own savepoints.
    Query m_markProbe;
};

}  // namespace sw
