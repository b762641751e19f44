#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

#include "CachedGenres.h"
#include "foundation/Dates.h"
#include "tags/TagPolicy.h"

namespace sw {

class Catalogue;
class CoreSession;
class Library;
class RowSet;
struct TSong;

/// The check items of the "Options" menu, in menu order. They live while the program runs and are
/// never stored.
enum class HealthOption {
    FileMismatches,   ///< "File absence/presence mismatches"
    GenreMismatches,  ///< "Report Genre name mismatches"
    NoTags,           ///< "- report files with no tags"
    BothTags,         ///< "- report where both v1 && v2 tags present ..."
    Mismatched,       ///< "- - where mismatched"
    Identical,        ///< "- - where identical"
    Truncated,        ///< "- - where v1 truncated"
};
inline constexpr int kHealthOptionCount = 7;

/// The menu caption of an option.
QString HealthOptionCaption(HealthOption option);

/// Where the check reports what its window shows. The scans call PumpEvents once per row, so a
/// click on "Cancel" or the Esc key gets through between two rows.
class HealthCheckDisplay {
public:
    virtual ~HealthCheckDisplay() = default;
    /// Show the window (not modal) and bring it to the front.
    virtual void ShowCheckWindow() = 0;
    virtual void ReportCleared() = 0;
    virtual void LineAdded(const QString& line) = 0;
    virtual void ProgressChanged() = 0;
    /// The caption or the running state (and with it Close and Cancel) changed.
    virtual void StateChanged() = 0;
    virtual void PumpEvents() = 0;
};

/// Counts of the last run, for a summary.
struct HealthCheckTotals {
    int songs = 0;        ///< song rows looked at
    int problems = 0;     ///< counted problem lines
    int repaired = 0;     ///< repairs made
    int outstanding = 0;  ///< items the repair would fix that are still there
    int manual = 0;       ///< items for manual repair
    /// Findings that are no problems but that a repair acts on (unused genres, stale genre counts).
    int information = 0;
    bool aborted = false;
};

/// The "Database check" window without its widgets: the full scan of songs, albums, genres,
/// playlist entries and play history against the audio files and the catalogue's own bookkeeping,
/// its repairs, and the statistics. Questions and messages go through the installed dialogs.
///
/// The files are read under the program's tag settings with a genre list read once per scan; tag
/// writes and removals go through `writer`, the program's tag policy, so that a tag parked during a
/// repair is retried with the others.
class HealthCheck {
public:
    HealthCheck(Library& library, TagPolicy& writer);
    HealthCheck(const HealthCheck&) = delete;
    HealthCheck& operator=(const HealthCheck&) = delete;

    void SetDisplay(HealthCheckDisplay* display) { m_display = display; }

    /// Shows the window. At catalogue version 9 it repairs the play history and raises the
    /// catalogue to version 10; otherwise an empty report gets the instructions.
    void OpenHealthCheck();
    /// "Run ( check )".
    void RunCheck();
    /// "Run ( repair ) ": the read-only guard and the questions, then the scan. False when the
    /// scan did not start.
    bool RunRepair();
    /// The whole scan under the current repair flag.
    void RunHealthCheck();
    /// The history pass on its own, ending the scan.
    void CheckHistoryTimes();
    /// "Statistics": asks whether to measure the files, then counts. False when it was interrupted
    /// (or could not start).
    bool ShowStatistics();
    bool ShowStatistics(bool checkFiles);

    /// "Cancel": the scan stops at its next row.
    void Cancel() { m_abort = true; }
    /// Esc in the report: stops a scan; true when the window is to close (nothing runs).
    bool EscapePressed();
    /// The window is closing: a scan in progress stops at its next row.
    void StopRunning() { m_abort = true; }

    bool Option(HealthOption option) const { return m_options[static_cast<int>(option)]; }
    /// A click on an option. The both-tags item carries the three "- -" items with it.
    void SetOption(HealthOption option, bool on);
    /// The "- -" items are enabled while the both-tags item is ticked.
    bool PairKindsEnabled() const { return Option(HealthOption::BothTags); }

    bool Running() const { return m_running; }
    bool CloseEnabled() const { return !m_running; }
    bool CancelEnabled() const { return m_running; }
    /// The repair flag keeps its value until a run command sets it.
    void SetRepair(bool repair) { m_repair = repair; }
    const QString& Caption() const { return m_caption; }
    const QStringList& Report() const { return m_report; }
    /// The lines that were counted as problems, in order.
    const QStringList& ProblemLines() const { return m_problemLines; }
    const QString& ProgressText() const { return m_progressText; }
    /// False: neutral colour; true: light blue.
    bool ProgressActive() const { return m_progressActive; }
    const HealthCheckTotals& Totals() const { return m_totals; }
    /// The start of the last scan, in whole seconds, later than the scan before it.
    TDateTime ScanStamp() const { return m_scanStamp; }

private:
    struct SongScan;

    /// What the song pass saw, for the passes after it. Kept in memory: a check must not write.
    struct SeenInScan {
        /// Song numbers in ascending order; a number shared by two rows is there twice.
        std::vector<int> songNums;
        /// Songs whose files are present, by album (albums that exist only).
        std::map<int, int> albumFiles;
        /// Songs whose files are present, by genre; every genre a song has is a key.
        std::map<int, int> genreFiles;
    };

    // The report helpers.
    void AddLine(const QString& line);
    void ReportProblem(const QString& text);
    void ReportManual(const QString& text);
    /// " (can auto-repair)" when checking; " (repaired)" when repairing, or " (not repaired)" with
    /// the reason when the repair could not be made.
    void ReportRepairable(const QString& text, bool repaired = true, const QString& why = {});
    void ReportProblemCount();
    void StartTableScan(const QString& label, int rowCount);
    void EndTableScan();
    void EndScan();
    /// A negative count clears the bar.
    void SetProgress(const QString& name, int count, const QString& extra);

    void ClearReport();
    void SetCaption(const QString& caption);
    void SetRunning(bool running);
    /// Lets events run; true when the scan is to stop.
    bool Aborted();
    void Pump();
    void NewScanStamp();
    /// Ends a scan that an error stopped, so that the window can be closed again.
    void FailScan();
    /// Writes a song's tags for a repair; false (with the reason) when they were not written.
    bool WriteRepairTags(TSong& song, QString& why);
    void CheckSong(const RowSet& songs, SongScan& scan, SeenInScan& seen);
    /// The checks of a readable file's tags against its song row. A row whose number another row
    /// shares gets no catalogue repair.
    void CheckTags(const RowSet& songs, SongScan& scan, const QString& prefix, const QString& path,
                   bool numberShared);
    /// The both-tags check of an MP3 file; true when the repair removed a tag.
    bool CheckTagPair(const QString& prefix, const QString& path);
    /// Adds a line that is no problem and counts `items` findings a repair acts on.
    void ReportInformation(const QString& text, int items);

    // The passes; each returns false when the scan ended inside it. Without the repair flag none
    // of them writes to the catalogue or to a file.
    bool SongPass(SeenInScan& seen);
    bool AlbumPass(const SeenInScan& seen);
    bool GenrePass(const SeenInScan& seen);
    bool PlaylistPass(const SeenInScan& seen);
    bool HistoryPass();

    Library& m_library;
    Catalogue& m_catalogue;
    CachedGenres m_genres;
    TagState m_readState;
    TagPolicy m_reader;
    TagPolicy& m_writer;
    HealthCheckDisplay* m_display = nullptr;

    bool m_options[kHealthOptionCount] = {true, false, false, false, false, false, false};
    bool m_abort = false;
    bool m_repair = false;
    bool m_running = false;
    int m_problemCounter = 0;
    TDateTime m_scanStamp = 0;
    bool m_busy = false;
    /// Which MP3 tag a repair deletes where both are present and mismatched: 0 none, 1 the ID3v1
    /// tag, 2 the ID3v2 tag.
    int m_whichTag = 0;
    qint64 m_totalBytes = 0;
    QString m_tableText;
    bool m_rootStripReported = false;
    QString m_caption = "Database check";
    QStringList m_report;
    QStringList m_problemLines;
    QString m_progressText = " ";
    bool m_progressActive = false;
    HealthCheckTotals m_totals;
};

/// The history pass without a window: every HISTORY row whose PLDATE and PLTIME do not match its
/// TS (split into yyyymmdd and hhmmss, rounded to the second) is reported, and fixed when `repair`
/// is set. Returns the problem lines. Changes are committed at the end.
QStringList CheckHistoryTimes(Catalogue& catalogue, bool repair);

/// Opening the database check without a window. At catalogue version 9 it repairs the play
/// history and raises the catalogue to version 10.
void OpenHealthCheck(CoreSession& session);

}  // namespace sw
