#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "SongLoudness.h"

namespace sw {

/// One song for the worker: its number, its stored file name and the path that is decoded.
struct LoudnessJob {
    int SongNum = 0;
    QString FileName;
    QString Path;
};

/// What the worker has got through since its queue was last empty.
struct LoudnessCounts {
    int queued = 0;    ///< songs taken into the queue
    int done = 0;      ///< of those, measured, unreadable or no longer wanted
    int measured = 0;  ///< saved
    int unreadable = 0;
};

/// "Measuring loudness: 3 of 40 songs".
QString LoudnessProgressText(int done, int queued);
/// "Loudness measured for 39 songs, 1 could not be read" (the second part only when some could not).
QString LoudnessDoneText(int measured, int unreadable);

/// Measures songs' loudness one file at a time on a thread of its own at the lowest priority, and
/// hands each result back to the thread that owns the worker (the user-interface thread), which
/// saves it. A file that cannot be decoded is counted and not tried again while the worker lives.
///
/// Everything but the measuring runs on the owner's thread: the calls below, the save and the
/// listener. The worker thread reaches that thread only through `Post`, which must run the function
/// it is given there later (a queued call into the event loop, or a test's own queue).
class LoudnessWorker {
public:
    using Post = std::function<void(std::function<void()>)>;
    /// Decodes and measures one file; ends early (throwing) once `stop` is set.
    using Measure = std::function<SongLoudness(const QString& path, const std::atomic<bool>& stop)>;
    enum class Saved {
        Yes,          ///< stored and committed
        SongChanged,  ///< the song is gone or names another file now: the result is dropped
        Refused,      ///< nothing may be written now: the rest of the queue is dropped too
    };
    using Save = std::function<Saved(const LoudnessJob& job, const SongLoudness& loudness)>;
    using Listener = std::function<void(const QString& text)>;

    /// Without `measure`, MeasureSongFile with the true peak.
    LoudnessWorker(Post post, Save save, Measure measure = {});
    /// Stops the thread without saving what it had measured.
    ~LoudnessWorker();
    LoudnessWorker(const LoudnessWorker&) = delete;
    LoudnessWorker& operator=(const LoudnessWorker&) = delete;

    /// Told the progress text after every song and when songs are queued.
    void SetListener(Listener listener) { m_listener = std::move(listener); }

    /// Queues the songs that are not waiting or being measured already and have not failed to
    /// decode here before (same number, same file); starts the thread on first use. Returns how
    /// many were queued; none once stopped.
    int Enqueue(const std::vector<LoudnessJob>& jobs);

    /// While paused no new file is started and nothing measured is saved; the file being measured
    /// is finished and held.
    void Pause();
    /// Saves what was held and goes on.
    void Resume();

    /// Ends the measuring for good: the file being decoded is abandoned at its next chunk, the
    /// thread joined, then what was measured before is saved. Rethrows a save's failure (the
    /// thread is joined by then).
    void Stop();

    /// Saves the results that have come back. Posted by the worker thread; does nothing while paused.
    void Deliver();

    const LoudnessCounts& Counts() const { return m_counts; }
    /// The progress text, or the closing one once nothing is left.
    QString StatusText() const;
    /// True while songs are waiting, being measured or waiting to be saved.
    bool Busy() const { return !m_pending.empty(); }

private:
    struct Result {
        LoudnessJob job;
        std::optional<SongLoudness> loudness;  ///< absent when the file could not be decoded
    };

    void Run();
    /// Raises the stop flag and waits for the thread.
    void JoinThread();
    /// Takes the oldest result that came back, if any.
    std::optional<Result> TakeResult();
    void Handle(Result& result);
    /// Drops every song still waiting or held: nothing is to be written now.
    void DropQueue();
    void Report();

    Post m_post;
    Save m_save;
    Measure m_measure;
    Listener m_listener;
    /// Posted functions hold this; once the worker is gone they find it expired and do nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);

    // Shared with the worker thread, under m_mutex (m_stop is read by the decoder without it).
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<LoudnessJob> m_waiting;
    std::deque<Result> m_results;
    bool m_paused = false;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;

    // The owner's thread only.
    LoudnessCounts m_counts;
    std::set<int> m_pending;                     ///< waiting, being measured, or not yet saved
    std::set<std::pair<int, QString>> m_failed;  ///< number and file name that would not decode
    bool m_stopped = false;
};

}  // namespace sw
