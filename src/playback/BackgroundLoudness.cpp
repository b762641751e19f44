#include "BackgroundLoudness.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "LoudnessStore.h"
#include "core/Catalogue.h"
#include "core/Settings.h"
#include "core/SongPaths.h"

namespace sw {

BackgroundLoudness::BackgroundLoudness(Catalogue& catalogue, const Settings& settings,
                                       LoudnessWorker::Post post, LoudnessWorker::Measure measure)
    : m_catalogue(catalogue),
      m_settings(settings),
      m_worker(
          std::move(post),
          [this](const LoudnessJob& job, const SongLoudness& loudness) { return Save(job, loudness); },
          std::move(measure)) {}

int BackgroundLoudness::QueueMissingSongs() {
    if (m_settings.READONLY || !m_catalogue.IsOpen()) {
        return 0;
    }
    std::vector<LoudnessJob> jobs;
    for (const SongToMeasure& song : SongsToMeasure(m_catalogue, true)) {
        jobs.push_back({song.SongNum, song.FileName, MakeFullPath(song.FileName, m_settings.Root)});
    }
    return m_worker.Enqueue(jobs);
}

int BackgroundLoudness::QueueAtStart() {
    return m_settings.LOUDNESS == kLoudnessOff ? 0 : QueueMissingSongs();
}

void BackgroundLoudness::LoadRunChanged(bool running) {
    if (running) {
        m_worker.Pause();
        return;
    }
    m_worker.Resume();
    QueueMissingSongs();
}

LoudnessWorker::Saved BackgroundLoudness::Save(const LoudnessJob& job, const SongLoudness& loudness) {
    if (m_settings.READONLY || !m_catalogue.IsOpen()) {
        return LoudnessWorker::Saved::Refused;
    }
    // The song may have been removed, or linked to another file, while its file was measured; a
    // row for a removed song would be taken for a later song of the same number.
    const RowSet song =
        m_catalogue.Select("select fn from song where songnum = " + QString::number(job.SongNum));
    if (song.RowCount() == 0 || song.Text("FN") != job.FileName) {
        return LoudnessWorker::Saved::SongChanged;
    }
    SaveSongLoudness(m_catalogue, job.SongNum, loudness);
    m_catalogue.CommitAndContinue();
    return LoudnessWorker::Saved::Yes;
}

void PostToEventLoop(std::function<void()> function) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(function), Qt::QueuedConnection);
}

}  // namespace sw
