#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

namespace sw {

class Clock;
class PlaybackEngine;
class QueueController;

/// One row of the queue as it is kept between runs.
struct KeptQueueRow {
    int songNum = 0;
    /// The "Now" marker: empty, ">>", "P", "S" or " ".
    QString marker;
    /// The row was marked "!": its file could not be played.
    bool unplayable = false;
};

/// The queue as it is kept between runs: its rows, the cursor, and the song that was playing (or
/// paused) with how far it had played.
struct KeptQueue {
    std::vector<KeptQueueRow> rows;
    int cursor = 0;
    /// The row that was playing or paused; 0 for none.
    int playingRow = 0;
    int playingSeconds = 0;
};

/// The text of the queue file.
QByteArray QueueFileText(const KeptQueue& queue);
/// The queue a file holds; nothing (and `why` says what is wrong) for a file that is damaged or
/// not a queue file at all.
std::optional<KeptQueue> ParseQueueFile(const QByteArray& text, QString* why);

/// Keeps the now-playing queue across runs in a file of the data folder: the file is written
/// (atomically) a moment after the queue changes, now and then while a song plays so that its
/// place is near at hand after a crash, and at the end of the program; it is read back at start,
/// and the song that was playing is then offered to resume where it was.
class QueueKeeper {
public:
    /// Nothing is written before RestoreQueue has run, so that the kept queue is never replaced by
    /// the empty one of a start.
    QueueKeeper(QueueController& queue, QString file, Clock& clock);
    ~QueueKeeper();
    QueueKeeper(const QueueKeeper&) = delete;
    QueueKeeper& operator=(const QueueKeeper&) = delete;

    /// Where the playing song's place is read and the resume starts; none without sound.
    void SetEngine(PlaybackEngine* engine) { m_engine = engine; }

    /// Appends the kept rows to the queue with their markers and puts the cursor where it was.
    /// A file that cannot be read, and songs no longer in the catalogue, are named in a flash
    /// message and left out. Returns the row that was playing (0 for none).
    int RestoreQueue();
    /// Asks whether the song that was playing resumes where it was: Yes starts it there, No leaves
    /// the cursor on it. Asks nothing when no song was playing.
    void OfferResume();

    /// The queue as it stands now.
    KeptQueue Snapshot() const;
    /// Writes the file now unless it already holds this queue; false (after saying why) when it
    /// could not be written.
    bool SaveQueue();
    /// The program is ending: the queue is written once more, and never again after.
    void ProgramEnding();
    /// What the timer does: writes the file when the queue changed a moment ago, or when a song has
    /// been playing for a while since the last write.
    void Tick();

    /// A change waits this long for others before the file is written.
    static constexpr int kSettleMs = 2000;
    /// While a song plays, its place is written this often.
    static constexpr int kPlayingRewriteMs = 30000;

private:
    void QueueChanged();
    bool SongLoaded() const;

    QueueController& m_queue;
    QString m_file;
    Clock& m_clock;
    PlaybackEngine* m_engine = nullptr;
    QTimer m_timer;
    bool m_restored = false;
    bool m_ended = false;
    bool m_changed = false;
    qint64 m_changedAt = 0;
    qint64 m_writtenAt = 0;
    QByteArray m_written;
    int m_resumeRow = 0;
    int m_resumeSeconds = 0;
};

}  // namespace sw
