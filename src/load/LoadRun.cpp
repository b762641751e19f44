#include "LoadRun.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/RowSet.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Text.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "tags/TagSwitches.h"

namespace sw {

bool LoadCommitDue(qint64 sinceCommitBeganMs, qint64 lastFileMs, qint64 commitMs) {
    return sinceCommitBeganMs + lastFileMs + commitMs >= kLoadCommitIntervalMs;
}

namespace {

/// The stores answer from the cache while one file is imported, and only then: between files
/// other windows use them as they are.
class CacheInUse {
public:
    CacheInUse(SongStore& songs, GenreLookup& genres, LoadCache* cache) : m_songs(songs), m_genres(genres) {
        m_songs.UseLoadCache(cache);
        m_genres.UseLoadCache(cache);
    }
    ~CacheInUse() {
        m_songs.UseLoadCache(nullptr);
        m_genres.UseLoadCache(nullptr);
    }
    CacheInUse(const CacheInUse&) = delete;
    CacheInUse& operator=(const CacheInUse&) = delete;

private:
    SongStore& m_songs;
    GenreLookup& m_genres;
};

}  // namespace

LoadRun::LoadRun(Library& library, TagPolicy& tags, Clock& clock)
    : m_library(library),
      m_tags(tags),
      m_clock(clock),
      m_markProbe(library.catalogue, "select 1 from rdb$database") {}

bool LoadRun::IsLoadable(const QString& path) {
    return IsLoadableFile(path, m_library.settings.FLACOPUS);
}

int LoadRun::SongNumForFile(const QString& path) {
    return m_library.songs.SongNumForExactFile(path);
}

bool& LoadRun::LoadCancel() {
    return m_library.songs.loadCancel;
}

void LoadRun::StartLoadRun(bool loadAll) {
    m_tags.unicodeTagsIgnored = false;
    m_timestamp = StampToDateTime(NowStamp());
    m_library.settings.LastLoadedTS = m_timestamp;
    m_counts = {};
    m_notCatalogued.clear();
    m_lastCommitMs = m_clock.NowMs();
    m_lastCheckMs = m_lastCommitMs;
    m_longestCommitMs = kLoadCommitAllowanceMs;
    // What an earlier run learnt may have been changed since by anyone.
    m_cache.Clear();
    if (loadAll) {
        m_library.songs.loadedWithoutDuration = false;
    }
    BusyBegin();
}

void LoadRun::ImportFile(const QString& path) {
    if (!FitsColumn(m_library.songs.RelativePathOf(path), kSongFileNameWidth)) {
        NoteNotCatalogued(path, "path too long");
        ++m_counts.skipped;
        return;
    }
    Catalogue& catalogue = m_library.catalogue;
    LoadCache* cache = m_keepCache ? &m_cache : nullptr;
    const CacheInUse inUse(m_library.songs, m_tags.Genres(), cache);
    RunOwn(cache, m_markProbe, [&] { catalogue.SetSavepoint(); });
    Outcome outcome = Outcome::Skipped;
    qint64 bytes = 0;
    try {
        outcome = Import(path, bytes);
        RunOwn(cache, m_markProbe, [&] { catalogue.ReleaseSavepoint(); });
    } catch (...) {
        // The rows it knew of may be undone.
        m_cache.Clear();
        try {
            catalogue.RollbackToSavepoint();
        } catch (...) {
            // The import's own error is the one to report.
        }
        throw;
    }
    switch (outcome) {
        case Outcome::Inserted:
            ++m_counts.inserted;
            break;
        case Outcome::Copy:
            ++m_counts.copies;
            break;
        case Outcome::Refreshed:
            ++m_counts.refreshed;
            return;
        case Outcome::Relinked:
            ++m_counts.relinked;
            break;
        case Outcome::Skipped:
            ++m_counts.skipped;
            return;
    }
    m_library.size.AdjustJukeboxSize(bytes);
}

LoadRun::Outcome LoadRun::Import(const QString& path, qint64& bytes) {
    SongStore& songs = m_library.songs;
    TSong song;
    if (songs.FindSongByFileName(path, song) > 0) {
        song.SearchTs = m_timestamp;
        // A song found under another letter case takes the file's real spelling.
        song.FullPath = path;
        song.FileName = songs.RelativePathOf(path);
        songs.SaveSong(song);
        return Outcome::Refreshed;
    }

    // A file the user may not read would otherwise pass for one without a tag.
    if (QFileInfo(path).isFile()) {
        const QString failure = ReadFailureOf(path);
        if (!failure.isEmpty()) {
            NoteNotCatalogued(path, "cannot be read (" + failure + ")");
            return Outcome::Skipped;
        }
    }
    bool readable = false;
    try {
        readable = m_tags.ReadSongFromFile(path, song, ResolveMode::Create);
    } catch (const DatabaseError&) {
        throw;
    } catch (const std::exception& error) {
        NoteNotCatalogued(path, "cannot be read (" + QString::fromUtf8(error.what()) + ")");
        return Outcome::Skipped;
    }
    if (!readable) {
        if (song.TagSource == kTagNoFile) {
            // Gone since the folder was listed.
            NoteNotCatalogued(path, "no longer there");
        }
        return Outcome::Skipped;
    }
    // The details are matched as they will be stored.
    FitSongToColumns(song);

    const bool found = songs.FindSongByDetails(song);
    if (found) {
        // Only a catalogued song has a stored flag to bring up to date; a new one is present.
        songs.RefreshExi(song);
    }
    Outcome outcome = Outcome::Inserted;
    if (found && song.Exi) {
        song.SongNum = 0;
        outcome = Outcome::Copy;
    } else if (found) {
        outcome = Outcome::Relinked;
    }
    song.SearchTs = m_timestamp;
    song.FullPath = path;
    song.FileName = songs.RelativePathOf(path);
    song.Exi = true;
    songs.SaveSong(song);
    // The stored size is the file's own, unless it is the largest the column holds.
    if (!song.Exi) {
        bytes = 0;
    } else if (song.Size < std::numeric_limits<qint32>::max()) {
        bytes = song.Size;
    } else {
        bytes = FileSizeBytes(path);
    }
    return outcome;
}

void LoadRun::CommitIfDue() {
    const qint64 now = m_clock.NowMs();
    // Waiting for the interval itself to pass would let the file after it, and the commit, carry
    // the oldest uncommitted files past the interval.
    if (LoadCommitDue(now - m_lastCommitMs, now - m_lastCheckMs, m_longestCommitMs)) {
        CommitAndContinue();
    }
    m_lastCheckMs = m_clock.NowMs();
}

void LoadRun::CommitAndContinue() {
    const qint64 start = m_clock.NowMs();
    // The next transaction may see other programs' commits: the cache starts again with it.
    m_library.catalogue.CommitAndContinue();
    m_lastCommitMs = start;
    m_longestCommitMs = std::max(m_longestCommitMs, m_clock.NowMs() - start);
}

void LoadRun::NoteNotCatalogued(const QString& name, const QString& reason) {
    m_notCatalogued.push_back({name, reason});
}

void LoadRun::FinishLoadRun() {
    try {
        CommitAndContinue();
    } catch (...) {
        m_cache.Clear();
        BusyEnd();
        throw;
    }
    m_cache.Clear();
    BusyEnd();
    if (m_showLastRun) {
        m_showLastRun();
    }
    if (!m_notCatalogued.empty()) {
        ShowInfo(NotCataloguedText(m_notCatalogued));
    }
    if (m_tags.unicodeTagsIgnored) {
        // Names the Tags menu entry that reads them.
        ShowInfo("ID3v2 tags containing Unicode were ignored in some files loaded\r\n(switch on " +
                 QuoteDouble(TagSwitchFor(&Settings::UNICODETAGS).Caption) +
                 " in the Tags menu to read them)");
    }
}

}  // namespace sw
