// "Statistics": song counts and sizes per rating, and an exact jukebox size.
#include <QFileInfo>
#include <array>

#include "HealthCheck.h"
#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {

constexpr qint64 kMegabyte = 1'000'000;
constexpr int kLowestRating = -2;
constexpr int kRatingBuckets = 7;

struct Bucket {
    qint64 count = 0;
    qint64 bytes = 0;
};

}  // namespace

bool HealthCheck::ShowStatistics() {
    if (m_running) {
        return false;
    }
    return ShowStatistics(Confirm("Check actual filesizes?"));
}

bool HealthCheck::ShowStatistics(bool checkFiles) {
    if (m_running) {
        return false;
    }
    SetCaption("Database statistics");
    m_abort = false;
    SetRunning(true);
    if (m_display) {
        m_display->ShowCheckWindow();
    }
    ClearReport();
    m_totals = {};
    try {
        // Ratings -2 to 4, then the songs whose files are missing.
        std::array<Bucket, kRatingBuckets + 1> buckets{};
        Bucket& missing = buckets[kRatingBuckets];
        RowSet songs = m_catalogue.Select("select songnum, rating, fn, \"size\" from song order by songnum");
        const int count = RecordCount(songs);
        bool wrongSizeReported = false;
        for (songs.First(); !songs.Eof(); songs.Next()) {
            const int songNum = songs.Int("SONGNUM");
            SetProgress(QString(), count - songs.CurrentRow(), "id=" + QString::number(songNum));
            if (Aborted()) {
                m_totals.aborted = true;
                SetProgress(QString(), -1, QString());
                SetRunning(false);
                return false;
            }
            ++m_totals.songs;
            int rating = songs.Int("RATING");
            if (rating < kLowestRating || rating >= kLowestRating + kRatingBuckets) {
                rating = 0;  // as the song record reads it
            }
            Bucket& bucket = buckets[static_cast<std::size_t>(rating - kLowestRating)];
            const qint64 stored = songs.Int64("size");
            if (!checkFiles) {
                ++bucket.count;
                bucket.bytes += stored;
                continue;
            }
            const QFileInfo file(m_library.songs.FullPathOf(songs.Text("FN")));
            if (!file.isFile()) {
                ++missing.count;
                continue;
            }
            ++bucket.count;
            bucket.bytes += file.size();
            const qint64 measured = StoredFileSize(file.size());
            if (!wrongSizeReported && measured != 0 && measured != stored) {
                wrongSizeReported = true;
                AddLine("Song #" + QString::number(songNum) + " file size wrong on DB, run repair");
            }
        }
        SetProgress(QString(), -1, QString());
        AddLine("Rating : Count / actual size ");
        qint64 songCount = 0;
        qint64 bytes = 0;
        for (int i = 0; i < kRatingBuckets; ++i) {
            const Bucket& bucket = buckets[static_cast<std::size_t>(i)];
            AddLine(QString::number(kLowestRating + i) + " : " + QString::number(bucket.count) + " / " +
                    QString::number(bucket.bytes / kMegabyte) + "MB");
            songCount += bucket.count;
            bytes += bucket.bytes;
        }
        m_library.size.SetJukeboxSizeExact(bytes);
        AddLine("Overall " + QString::number(songCount) + " / " + QString::number(m_library.settings.DBSIZE) +
                "MB");
        AddLine("File not found : " + QString::number(missing.count) + " / " +
                QString::number(missing.bytes / kMegabyte) + "MB");
    } catch (...) {
        FailScan();
        throw;
    }
    SetRunning(false);
    return true;
}

}  // namespace sw
