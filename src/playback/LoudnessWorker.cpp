#include "LoudnessWorker.h"

#include <sys/resource.h>
#include <unistd.h>

#include "LoudnessMeasure.h"

namespace sw {

namespace {

constexpr int kLowestNice = 19;

QString Songs(int count) {
    return QString::number(count) + (count == 1 ? " song" : " songs");
}

/// Linux keeps a nice value per thread, and the threads a decoder starts inherit it; it also sets
/// the thread's share of the disk, so a song that plays keeps both.
void LowerThisThreadsPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kLowestNice);
}

}  // namespace

QString LoudnessProgressText(int done, int queued) {
    return "Measuring loudness: " + QString::number(done) + " of " + Songs(queued);
}

QString LoudnessDoneText(int measured, int unreadable) {
    QString text = "Loudness measured for " + Songs(measured);
    if (unreadable > 0) {
        text += ", " + QString::number(unreadable) + " could not be read";
    }
    return text;
}

LoudnessWorker::LoudnessWorker(Post post, Save save, Measure measure)
    : m_post(std::move(post)), m_save(std::move(save)), m_measure(std::move(measure)) {
    if (!m_measure) {
        m_measure = [](const QString& path, const std::atomic<bool>& stop) {
            return MeasureSongFile(path, PeakMode::True, &stop);
        };
    }
}

LoudnessWorker::~LoudnessWorker() {
    JoinThread();
}

void LoudnessWorker::JoinThread() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

int LoudnessWorker::Enqueue(const std::vector<LoudnessJob>& jobs) {
    if (m_stopped) {
        return 0;
    }
    std::vector<LoudnessJob> added;
    for (const LoudnessJob& job : jobs) {
        if (m_pending.count(job.SongNum) == 0 && m_failed.count({job.SongNum, job.FileName}) == 0) {
            m_pending.insert(job.SongNum);
            added.push_back(job);
        }
    }
    if (added.empty()) {
        return 0;
    }
    // A new batch after the last one was through counts from nothing.
    if (m_pending.size() == added.size()) {
        m_counts = {};
    }
    m_counts.queued += static_cast<int>(added.size());
    {
        std::lock_guard lock(m_mutex);
        m_waiting.insert(m_waiting.end(), added.begin(), added.end());
    }
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { Run(); });
    }
    m_wake.notify_all();
    Report();
    return static_cast<int>(added.size());
}

void LoudnessWorker::Pause() {
    std::lock_guard lock(m_mutex);
    m_paused = true;
}

void LoudnessWorker::Resume() {
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_wake.notify_all();
    Deliver();
}

void LoudnessWorker::Stop() {
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    JoinThread();
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
        m_waiting.clear();
    }
    // The song that was being decoded, and those still waiting, are measured next time.
    try {
        Deliver();
    } catch (...) {
        m_pending.clear();
        throw;
    }
    m_pending.clear();
}

void LoudnessWorker::Deliver() {
    bool any = false;
    while (std::optional<Result> result = TakeResult()) {
        any = true;
        Handle(*result);
    }
    if (any) {
        Report();
    }
}

QString LoudnessWorker::StatusText() const {
    return Busy() ? LoudnessProgressText(m_counts.done, m_counts.queued)
                  : LoudnessDoneText(m_counts.measured, m_counts.unreadable);
}

void LoudnessWorker::Run() {
    LowerThisThreadsPriority();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || (!m_paused && !m_waiting.empty()); });
        if (m_stop) {
            return;
        }
        Result result{std::move(m_waiting.front()), std::nullopt};
        m_waiting.pop_front();
        lock.unlock();
        try {
            result.loudness = m_measure(result.job.Path, m_stop);
        } catch (...) {
            // Unreadable, unless the stop is what ended it; then the result is not kept.
        }
        lock.lock();
        if (m_stop) {
            return;
        }
        m_results.push_back(std::move(result));
        lock.unlock();
        m_post([alive = std::weak_ptr<int>(m_alive), this] {
            if (alive.lock()) {
                Deliver();
            }
        });
        lock.lock();
    }
}

std::optional<LoudnessWorker::Result> LoudnessWorker::TakeResult() {
    std::lock_guard lock(m_mutex);
    if (m_paused || m_results.empty()) {
        return std::nullopt;
    }
    Result result = std::move(m_results.front());
    m_results.pop_front();
    return result;
}

void LoudnessWorker::Handle(Result& result) {
    m_pending.erase(result.job.SongNum);
    ++m_counts.done;
    if (!result.loudness) {
        ++m_counts.unreadable;
        m_failed.insert({result.job.SongNum, result.job.FileName});
        return;
    }
    Saved saved = Saved::Yes;
    try {
        saved = m_save(result.job, *result.loudness);
    } catch (...) {
        // The catalogue could not take it: the rest would fail alike, and is tried next time.
        DropQueue();
        Report();
        throw;
    }
    if (saved == Saved::Yes) {
        ++m_counts.measured;
    } else if (saved == Saved::Refused) {
        DropQueue();
    }
}

void LoudnessWorker::DropQueue() {
    std::vector<int> dropped;
    {
        std::lock_guard lock(m_mutex);
        for (const LoudnessJob& job : m_waiting) {
            dropped.push_back(job.SongNum);
        }
        for (const Result& result : m_results) {
            dropped.push_back(result.job.SongNum);
        }
        m_waiting.clear();
        m_results.clear();
    }
    for (const int songNum : dropped) {
        m_pending.erase(songNum);
    }
    m_counts.queued -= static_cast<int>(dropped.size());
}

void LoudnessWorker::Report() {
    if (m_listener) {
        m_listener(StatusText());
    }
}

}  // namespace sw
