#include "BpmTap.h"

#include <cmath>

#include "foundation/Clock.h"

namespace sw {

void BpmTapper::BpmTap() {
    const qint64 now = m_clock.NowMs();
    if (m_tapped) {
        const qint64 interval = now - m_lastTap;
        // Two taps within the same millisecond tell nothing about the tempo.
        if (interval <= 0) {
            return;
        }
        const double measured = 60000.0 / static_cast<double>(interval);
        m_estimate = m_estimate > 0 ? 0.1 * measured + 0.9 * m_estimate : measured;
    }
    m_result = m_counter <= 0 ? QString::number(m_counter) : QString::number(std::lround(m_estimate));
    m_lastTap = now;
    m_tapped = true;
    ++m_counter;
}

}  // namespace sw
