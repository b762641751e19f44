#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace sw {

struct Settings;

/// The running total size of the catalogued audio files, with what was added and removed since the
/// program started. DBSIZE (megabytes of 1,000,000 bytes) follows every change.
class JukeboxSize {
public:
    explicit JukeboxSize(Settings& settings) : m_settings(settings) {}

    /// Called after every change, so the main window can show the new values.
    void SetDisplay(std::function<void()> display) { m_display = std::move(display); }

    /// Starts from the stored DBSIZE; the total is approximate until counted.
    void InitJukeboxSize();
    void AdjustJukeboxSize(qint64 delta);
    /// A total from an exact count of the files.
    void SetJukeboxSizeExact(qint64 total);

    qint64 Total() const { return m_total; }
    qint64 Added() const { return m_added; }
    qint64 Removed() const { return m_removed; }
    bool Exact() const { return m_exact; }

    /// "Jukebox size now " with "(exact)" or "(approximate)".
    QString Caption() const;
    /// Whole megabytes with thousands separators and " MB".
    static QString Megabytes(qint64 bytes);

private:
    Settings& m_settings;
    std::function<void()> m_display;
    qint64 m_total = 0;
    qint64 m_added = 0;
    qint64 m_removed = 0;
    bool m_exact = false;
};

}  // namespace sw
