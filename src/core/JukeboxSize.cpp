#include "JukeboxSize.h"

#include "Settings.h"
#include "foundation/Numbers.h"

namespace sw {

namespace {
constexpr qint64 kMegabyte = 1'000'000;
}

void JukeboxSize::InitJukeboxSize() {
    m_added = 0;
    m_removed = 0;
    m_exact = false;
    m_total = static_cast<qint64>(m_settings.DBSIZE) * kMegabyte;
    AdjustJukeboxSize(0);
}

void JukeboxSize::AdjustJukeboxSize(qint64 delta) {
    m_total += delta;
    m_settings.DBSIZE = static_cast<int>(m_total / kMegabyte);
    if (delta > 0) {
        m_added += delta;
    } else {
        m_removed += delta;
    }
    if (m_display) {
        m_display();
    }
}

void JukeboxSize::SetJukeboxSizeExact(qint64 total) {
    m_total = total;
    m_exact = true;
    AdjustJukeboxSize(0);
}

QString JukeboxSize::Caption() const {
    return QString("Jukebox size now ") + (m_exact ? "(exact)" : "(approximate)");
}

QString JukeboxSize::Megabytes(qint64 bytes) {
    return FormatThousands(static_cast<int>(bytes / kMegabyte)) + " MB";
}

}  // namespace sw
