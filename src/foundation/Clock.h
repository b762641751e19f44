#pragma once

#include <QtGlobal>

namespace sw {

/// Waits and elapsed time go through a clock so that tests can run fades and timers in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds on a monotonic scale.
    virtual qint64 NowMs() const = 0;
    virtual void SleepMs(int milliseconds) = 0;
};

class SystemClock : public Clock {
public:
    qint64 NowMs() const override;
    void SleepMs(int milliseconds) override;
};

/// A clock that only moves when told to; sleeping advances it at once.
class ManualClock : public Clock {
public:
    qint64 NowMs() const override { return m_now; }
    void SleepMs(int milliseconds) override { m_now += milliseconds; }
    void Advance(qint64 milliseconds) { m_now += milliseconds; }

private:
    qint64 m_now = 0;
};

SystemClock& RealClock();

}  // namespace sw
