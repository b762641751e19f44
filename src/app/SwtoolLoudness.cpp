// swtool loudness [--missing] [--sample-peak]: measures the songs' loudness and where their music
// starts and ends, and stores it. The audio files are only read.
#include <QElapsedTimer>
#include <QTextStream>
#include <exception>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "core/InstanceLock.h"
#include "core/SongPaths.h"
#include "playback/LoudnessMeasure.h"
#include "playback/LoudnessStore.h"

namespace sw::swtool {

int RunLoudness(const QStringList& arguments) {
    bool missingOnly = false;
    // The true peak makes a run about three times as long, and it still runs several times faster
    // than the 40 times real time a measurement needs (scripts/bench-loudness).
    PeakMode peakMode = PeakMode::True;
    for (const QString& argument : arguments) {
        if (argument == "--missing") {
            missingOnly = true;
        } else if (argument == "--sample-peak") {
            peakMode = PeakMode::Sample;
        } else {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        }
    }
    LockProgramFolder();
    auto session = OpenDataFolder(true);
    CoreSession& core = session->core;
    if (RefuseIfReadOnly(core.settings.READONLY)) {
        return 1;
    }
    const std::vector<SongToMeasure> songs = SongsToMeasure(core.catalogue, missingOnly);
    const int total = static_cast<int>(songs.size());
    QTextStream err(stderr);
    QElapsedTimer timer;
    timer.start();
    int measured = 0;
    int fromTags = 0;
    int failed = 0;
    double audioSeconds = 0;
    int lastTenth = 0;
    for (int done = 0; done < total; ++done) {
        const SongToMeasure& song = songs[static_cast<std::size_t>(done)];
        const QString path = MakeFullPath(song.FileName, core.settings.Root);
        try {
            const SongLoudness loudness = MeasureSongFile(path, peakMode);
            SaveSongLoudness(core.catalogue, song.SongNum, loudness);
            // One song at a time is durable: a run that is killed loses at most the song it was on.
            core.catalogue.CommitAndContinue();
            ++measured;
            fromTags += loudness.Source == LoudnessSource::Tag ? 1 : 0;
            audioSeconds += loudness.Measured.Seconds;
        } catch (const std::exception& failure) {
            ++failed;
            // The decoder's text names the file already.
            const QString reason = QString::fromUtf8(failure.what());
            err << "loudness: skipped song " << song.SongNum << ": "
                << (reason.contains(path) ? reason : path + ": " + reason) << Qt::endl;
        }
        const int tenth = (done + 1) * 10 / total;
        if (tenth != lastTenth) {
            err << "loudness: " << done + 1 << " of " << total << " songs" << Qt::endl;
            lastTenth = tenth;
        }
    }
    if (total == 0) {
        err << "loudness: 0 of 0 songs" << Qt::endl;
    }
    core.catalogue.CloseCatalogue();

    const double seconds = timer.nsecsElapsed() / 1e9;
    QTextStream(stdout) << "songs=" << total << " measured=" << measured << " from_tags=" << fromTags
                        << " failed=" << failed << " audio_seconds=" << QString::number(audioSeconds, 'f', 1)
                        << " seconds=" << QString::number(seconds, 'f', 3)
                        << " x_realtime=" << QString::number(seconds > 0 ? audioSeconds / seconds : 0, 'f', 1)
                        << Qt::endl;
    return failed == 0 ? 0 : 1;
}

}  // namespace sw::swtool
