#include "QueueKeeper.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "core/Song.h"
#include "foundation/Clock.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Text.h"
#include "PlaybackEngine.h"
#include "QueueColumns.h"
#include "QueueController.h"

namespace sw {

namespace {

constexpr char kFirstLine[] = "sonwick3 queue 1";
// More rows than any queue holds: a file claiming them is not ours.
constexpr int kMostRows = 1'000'000;
constexpr char kUnplayableWord[] = "unplayable";

// The markers as words, so that the file reads plainly and an empty or blank marker survives.
const std::array<std::pair<const char*, const QString*>, 5> kMarkerWords{{
    {"none", nullptr},
    {"playing", &kMarkerPlaying},
    {"played", &kMarkerPlayed},
    {"skipped", &kMarkerSkipped},
    {"unskipped", &kMarkerUnskipped},
}};

QByteArray MarkerWord(const QString& marker) {
    for (const auto& [word, value] : kMarkerWords) {
        if (value && *value == marker) {
            return word;
        }
    }
    return "none";
}

std::optional<QString> MarkerOfWord(const QByteArray& word) {
    for (const auto& [name, value] : kMarkerWords) {
        if (word == name) {
            return value ? *value : QString();
        }
    }
    return std::nullopt;
}

/// A whole number of at least `least`, or nothing.
std::optional<int> Number(const QByteArray& text, int least) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least ? std::optional<int>(value) : std::nullopt;
}

std::optional<KeptQueue> Damaged(QString* why, const QString& text) {
    if (why) {
        *why = text;
    }
    return std::nullopt;
}

}  // namespace

QByteArray QueueFileText(const KeptQueue& queue) {
    QByteArray text = QByteArray(kFirstLine) + "\n";
    text += "cursor " + QByteArray::number(queue.cursor) + "\n";
    text += "playing " + QByteArray::number(queue.playingRow) + " " + QByteArray::number(queue.playingSeconds) +
            "\n";
    for (const KeptQueueRow& row : queue.rows) {
        text += "row " + QByteArray::number(row.songNum) + " " + MarkerWord(row.marker);
        if (row.unplayable) {
            text += QByteArray(" ") + kUnplayableWord;
        }
        text += "\n";
    }
    text += "end " + QByteArray::number(static_cast<qsizetype>(queue.rows.size())) + "\n";
    return text;
}

std::optional<KeptQueue> ParseQueueFile(const QByteArray& text, QString* why) {
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != kFirstLine) {
        return Damaged(why, "not a queue file");
    }
    KeptQueue queue;
    bool ended = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> words = lines[i].simplified().split(' ');
        const QString where = "line " + QString::number(i + 1);
        if (words.front().isEmpty()) {
            continue;
        }
        if (ended) {
            return Damaged(why, where + ": text after the end");
        }
        const QByteArray& key = words.front();
        if (key == "cursor" && words.size() == 2 && Number(words[1], 0)) {
            queue.cursor = *Number(words[1], 0);
        } else if (key == "playing" && words.size() == 3 && Number(words[1], 0) && Number(words[2], 0)) {
            queue.playingRow = *Number(words[1], 0);
            queue.playingSeconds = *Number(words[2], 0);
        } else if (key == "row" && (words.size() == 3 || (words.size() == 4 && words[3] == kUnplayableWord)) &&
                   Number(words[1], 1) && MarkerOfWord(words[2])) {
            if (static_cast<int>(queue.rows.size()) >= kMostRows) {
                return Damaged(why, where + ": too many rows");
            }
            queue.rows.push_back({*Number(words[1], 1), *MarkerOfWord(words[2]), words.size() == 4});
        } else if (key == "end" && words.size() == 2 &&
                   Number(words[1], 0) == static_cast<int>(queue.rows.size())) {
            ended = true;
        } else {
            return Damaged(why, where + " is not understood");
        }
    }
    if (!ended) {
        return Damaged(why, "the file ends early");
    }
    if (queue.cursor > static_cast<int>(queue.rows.size()) ||
        queue.playingRow > static_cast<int>(queue.rows.size())) {
        return Damaged(why, "its cursor or playing row lies past its rows");
    }
    return queue;
}

QueueKeeper::QueueKeeper(QueueController& queue, QString file, Clock& clock)
    : m_queue(queue), m_file(std::move(file)), m_clock(clock) {
    m_timer.setInterval(kSettleMs / 2);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_queue.SetChangeListener([this] { QueueChanged(); });
}

QueueKeeper::~QueueKeeper() {
    m_queue.SetChangeListener({});
}

void QueueKeeper::QueueChanged() {
    if (!m_restored || m_ended) {
        return;
    }
    if (!m_changed) {
        m_changed = true;
        m_changedAt = m_clock.NowMs();
    }
    if (!m_timer.isActive()) {
        m_timer.start();
    }
}

bool QueueKeeper::SongLoaded() const {
    const PlaybackState state = m_queue.Player() ? m_queue.Player()->State() : PlaybackState::Stopped;
    return state == PlaybackState::Playing || state == PlaybackState::Paused;
}

void QueueKeeper::Tick() {
    if (m_ended) {
        m_timer.stop();
        return;
    }
    const qint64 now = m_clock.NowMs();
    if ((m_changed && now - m_changedAt >= kSettleMs) ||
        (SongLoaded() && now - m_writtenAt >= kPlayingRewriteMs)) {
        SaveQueue();
    }
    if (!m_changed && !SongLoaded()) {
        m_timer.stop();
    }
}

KeptQueue QueueKeeper::Snapshot() const {
    KeptQueue kept;
    kept.cursor = m_queue.Cursor();
    for (int row = 1; row <= m_queue.RowCount(); ++row) {
        const TSongObj* song = m_queue.SongAt(row);
        if (!song || song->Song().SongNum <= 0) {
            // Only songs of the catalogue can be found again; the cursor and the playing row stay
            // on the rows they were on.
            if (row < m_queue.Cursor()) {
                --kept.cursor;
            }
            continue;
        }
        KeptQueueRow keptRow;
        keptRow.songNum = song->Song().SongNum;
        keptRow.marker = m_queue.Cell(row, QueueColumn::Now);
        keptRow.unplayable = m_queue.Cell(row, QueueColumn::Wng) == kMissingFileMark;
        kept.rows.push_back(keptRow);
        if (row == m_queue.NowPlayingRow() && SongLoaded()) {
            kept.playingRow = static_cast<int>(kept.rows.size());
            kept.playingSeconds = m_engine ? static_cast<int>(std::floor(m_engine->ElapsedSeconds())) : 0;
        }
    }
    return kept;
}

bool QueueKeeper::SaveQueue() {
    if (!m_restored || m_ended) {
        return true;
    }
    m_changed = false;
    m_writtenAt = m_clock.NowMs();
    const QByteArray text = QueueFileText(Snapshot());
    if (text == m_written) {
        return true;
    }
    try {
        WriteFileAtomically(m_file, text);
    } catch (const std::exception& error) {
        // Said once per failure, as a flash: a full disk must not stop the music with a box.
        FlashMessage("The queue could not be kept: " + QString::fromUtf8(error.what()));
        return false;
    }
    m_written = text;
    return true;
}

void QueueKeeper::ProgramEnding() {
    if (m_ended) {
        return;
    }
    SaveQueue();
    m_ended = true;
    m_timer.stop();
}

int QueueKeeper::RestoreQueue() {
    // The rows appended here are what the file holds already: nothing is written meanwhile.
    m_resumeRow = 0;
    QFile file(m_file);
    if (!file.exists()) {
        m_restored = true;
        return 0;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        FlashMessage("The kept queue could not be read: " + file.errorString());
        m_restored = true;
        return 0;
    }
    m_written = file.readAll();
    QString why;
    const std::optional<KeptQueue> kept = ParseQueueFile(m_written, &why);
    if (!kept) {
        FlashMessage("The kept queue in " + QFileInfo(m_file).fileName() + " was left aside: " + why);
        m_restored = true;
        return 0;
    }
    {
        QueueController::Batch batch(m_queue);
        const int before = m_queue.RowCount();
        // The row each kept row became; 0 for a song no longer in the catalogue.
        std::vector<int> rows;
        for (const KeptQueueRow& keptRow : kept->rows) {
            const int row = m_queue.AppendToQueue(keptRow.songNum);
            rows.push_back(std::max(row, 0));
            if (row < 0) {
                continue;
            }
            // A song that was playing when the program ended has been played, at least in part.
            const QString marker = keptRow.marker == kMarkerPlaying ? kMarkerPlayed : keptRow.marker;
            if (marker == kMarkerSkipped || marker == kMarkerUnskipped) {
                m_queue.SetCursor(row);
                m_queue.SetSkipOfCursorRow(marker == kMarkerSkipped);
            } else if (marker == kMarkerPlayed) {
                const int playing = m_queue.NowPlayingRow();
                m_queue.SetNowPlayingRow(row);
                m_queue.MarkPlayed();
                m_queue.SetNowPlayingRow(playing);
            }
            if (keptRow.unplayable) {
                m_queue.MarkUnplayable(row);
            }
        }
        if (kept->playingRow > 0 && rows[static_cast<std::size_t>(kept->playingRow - 1)] > 0) {
            m_resumeRow = rows[static_cast<std::size_t>(kept->playingRow - 1)];
            m_resumeSeconds = kept->playingSeconds;
        }
        // The cursor's row, or the first one kept after it when its song has gone.
        int cursor = 0;
        for (std::size_t i = static_cast<std::size_t>(std::max(kept->cursor, 1) - 1); i < rows.size() && cursor == 0;
             ++i) {
            cursor = rows[i];
        }
        if (m_queue.RowCount() > before) {
            m_queue.SetCursor(m_resumeRow > 0 ? m_resumeRow : cursor > 0 ? cursor : m_queue.RowCount());
        }
        const auto dropped = std::count(rows.begin(), rows.end(), 0);
        if (dropped > 0) {
            FlashMessage(QString::number(dropped) + (dropped == 1 ? " song" : " songs") +
                         " of the kept queue no longer in the catalogue, left out");
        }
    }
    m_queue.ForgetQueueChanged();
    m_restored = true;
    m_changed = false;
    return m_resumeRow;
}

void QueueKeeper::OfferResume() {
    const int row = std::exchange(m_resumeRow, 0);
    const TSongObj* object = m_queue.SongAt(row);
    if (!object) {
        return;
    }
    m_queue.SetCursor(row);
    const TSong& song = object->Song();
    const QString name = song.ArtistName.isEmpty() ? song.Title : song.ArtistName + " - " + song.Title;
    if (!m_engine || !Confirm("Resume " + QuoteDouble(name) + " at " + DurationText(m_resumeSeconds) + " ?")) {
        return;
    }
    m_engine->StartSongAtCursor();
    if (m_engine->State() == PlaybackState::Playing && m_queue.NowPlayingRow() == row) {
        m_engine->TimeBarStep(m_resumeSeconds);
    }
}

}  // namespace sw
