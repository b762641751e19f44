#pragma once

#include <QtGlobal>
#include <functional>
#include <mutex>
#include <vector>

#include "PlaybackEngine.h"

namespace sw {

class Clock;

/// Runs an engine without windows (swtool, tests): calls posted from the mixing thread wait until
/// the owner lets events run, and the display timer fires every 100 ms of the engine's clock.
class HeadlessHost : public EngineHost {
public:
    explicit HeadlessHost(PlaybackEngine& engine);
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    void PostToUserInterface(std::function<void()> call) override;
    void ProcessPendingEvents() override;
    void DisplayTimerSwitched(bool on) override;
    void TransportChanged() override {}

    /// Lets the engine's clock run to that time, firing the display timer and running posted calls
    /// on the way.
    void RunUntil(qint64 milliseconds);
    void RunFor(qint64 milliseconds);
    /// Runs until `done` says so (checked every step) or `limit` ms have passed; true when done.
    bool RunUntilDone(const std::function<bool()>& done, qint64 limit);
    /// How many calls the mixing thread has posted so far.
    int PostedCount() const;

private:
    void Step(qint64 until);

    PlaybackEngine& m_engine;
    Clock& m_clock;
    mutable std::mutex m_mutex;
    std::vector<std::function<void()>> m_posted;
    int m_postedCount = 0;
    bool m_timerOn = false;
    qint64 m_nextTick = 0;
};

}  // namespace sw
