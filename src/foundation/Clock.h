#pragma once

#include <QtGlobal>

#include "Dates.h"

namespace sw {

/// Waits and elapsed time go through a clock so that tests can run fades and timers in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds on a monotonic scale.
    virtual qint64 NowMs() const = 0;
    virtual void SleepMs(int milliseconds) = 0;
    /// The local date and time of day, for what is stamped with the moment it happened.
    virtual TDateTime LocalNow() const { return NowDateTime(); }
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
    /// The local time moves with the clock from the value last set (0 until then).
    TDateTime LocalNow() const override { return m_local + (m_now - m_localSetAt) / 86'400'000.0; }
    void SetLocalNow(TDateTime value) {
        m_local = value;
        m_localSetAt = m_now;
    }

private:
    qint64 m_now = 0;
    TDateTime m_local = 0;
    qint64 m_localSetAt = 0;
};

SystemClock& RealClock();

}  // namespace sw
