#pragma once

#include <QString>
#include <QtGlobal>

namespace sw {

class Clock;

/// The beats-per-minute tool: the user taps in time with the music and the estimate follows the
/// intervals, each new one weighing a tenth. The estimate lasts for the whole run; showing the
/// window only restarts the count of taps.
class BpmTapper {
public:
    explicit BpmTapper(Clock& clock) : m_clock(clock) {}

    /// The window is shown: ten taps to go.
    void WindowShown() { m_counter = -10; }
    void BpmTap();
    /// The result line: "nnn bpm" until the first tap, then the count of taps to go (-9 up to 0),
    /// then the estimate in whole beats per minute.
    const QString& ResultText() const { return m_result; }
    double Estimate() const { return m_estimate; }
    int Counter() const { return m_counter; }

private:
    Clock& m_clock;
    bool m_tapped = false;
    qint64 m_lastTap = 0;
    double m_estimate = 0;
    int m_counter = 0;
    QString m_result = "nnn bpm";
};

}  // namespace sw
