#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include "playback/LoudnessWorker.h"

namespace sw::test {

/// A measuring of files that are not decoded: each waits for the test's go-ahead (unless told to
/// go on by itself) and gives LUFS -20; a stop ends the wait as the decoder's would.
class FakeMeasure {
public:
    explicit FakeMeasure(bool waitForGoAhead = false) : m_gated(waitForGoAhead) {}

    LoudnessWorker::Measure Measure() {
        return [this](const QString& path, const std::atomic<bool>& stop) {
            std::unique_lock lock(m_mutex);
            m_started << path;
            m_changed.notify_all();
            while (m_gated && m_permits == 0) {
                if (stop) {
                    throw std::runtime_error("stopped");
                }
                m_changed.wait_for(lock, std::chrono::milliseconds(10));
            }
            if (m_gated) {
                --m_permits;
            }
            SongLoudness loudness;
            loudness.Measured.IntegratedLufs = -20.0;
            loudness.Gains.TrackGain = 2.0;
            return loudness;
        };
    }

    /// Lets `count` more files finish.
    void Allow(int count) {
        std::lock_guard lock(m_mutex);
        m_permits += count;
        m_changed.notify_all();
    }
    /// Waits (up to a minute) until `count` files have been started in all.
    bool WaitForStarted(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::minutes(1), [&] { return m_started.size() >= count; });
    }
    QStringList Started() {
        std::lock_guard lock(m_mutex);
        return m_started;
    }

private:
    const bool m_gated;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_started;
    int m_permits = 0;
};

}  // namespace sw::test
