#include "HeadlessHost.h"

#include <algorithm>

#include "foundation/Clock.h"

namespace sw {

namespace {

constexpr qint64 kTimerIntervalMs = 100;
// Calls posted from another thread wait at most this long.
constexpr qint64 kStepMs = 10;

}  // namespace

HeadlessHost::HeadlessHost(PlaybackEngine& engine) : m_engine(engine), m_clock(engine.EngineClock()) {
    m_engine.SetHost(this);
}

HeadlessHost::~HeadlessHost() {
    m_engine.SetHost(nullptr);
}

void HeadlessHost::PostToUserInterface(std::function<void()> call) {
    std::lock_guard lock(m_mutex);
    m_posted.push_back(std::move(call));
    ++m_postedCount;
}

int HeadlessHost::PostedCount() const {
    std::lock_guard lock(m_mutex);
    return m_postedCount;
}

void HeadlessHost::ProcessPendingEvents() {
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(m_mutex);
        calls.swap(m_posted);
    }
    for (auto& call : calls) {
        call();
    }
}

void HeadlessHost::DisplayTimerSwitched(bool on) {
    if (on && !m_timerOn) {
        m_nextTick = m_clock.NowMs() + kTimerIntervalMs;
    }
    m_timerOn = on;
}

void HeadlessHost::Step(qint64 until) {
    const qint64 now = m_clock.NowMs();
    qint64 next = std::min(until, now + kStepMs);
    if (m_timerOn) {
        next = std::min(next, m_nextTick);
    }
    if (next > now) {
        m_clock.SleepMs(static_cast<int>(next - now));
    }
    ProcessPendingEvents();
    if (m_timerOn && m_clock.NowMs() >= m_nextTick) {
        m_nextTick += kTimerIntervalMs;
        m_engine.DisplayTimerTick();
    }
}

void HeadlessHost::RunUntil(qint64 milliseconds) {
    while (m_clock.NowMs() < milliseconds) {
        Step(milliseconds);
    }
    ProcessPendingEvents();
}

void HeadlessHost::RunFor(qint64 milliseconds) {
    RunUntil(m_clock.NowMs() + milliseconds);
}

bool HeadlessHost::RunUntilDone(const std::function<bool()>& done, qint64 limit) {
    const qint64 end = m_clock.NowMs() + limit;
    while (!done()) {
        if (m_clock.NowMs() >= end) {
            return false;
        }
        Step(end);
    }
    return true;
}

}  // namespace sw
