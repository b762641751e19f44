// swtool play: plays a queue through the jukebox's own queue and engine, without a window.
#include <unistd.h>

#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <csignal>
#include <memory>
#include <optional>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "core/InstanceLock.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/Dates.h"
#include "playback/audio/AudioOutputChoice.h"
#include "playback/HeadlessHost.h"
#include "playback/audio/OfflineOutput.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/QueueController.h"
#include "playback/RandomSelection.h"
#include "playback/audio/RenderClock.h"
#include "playback/audio/WavWriter.h"
#include "tags/TagPolicy.h"

namespace sw::swtool {

namespace {

const char* const kUsage =
    "usage: swtool play [--audio null|sdl|wav:FILE] [--fade-ms N] [--next-at SECONDS]... "
    "[--loudness off|track|album] (FILE...|--playlist ID|--random)";

// The values of --loudness, by LOUDNESS value.
constexpr std::array<const char*, 3> kLoudnessNames{"off", "track", "album"};
static_assert(kLoudnessNames.size() == kLoudnessAlbum + 1);

// Songs drawn by --random, as many as the jukebox's random command draws.
constexpr int kRandomCount = 20;

// A stop signal's fade is the user's fade time, but never longer than this: the command has
// ended well within a second of the signal.
constexpr int kStopFadeMs = 500;
// The longest an engine wait goes on unchecked for a stop signal.
constexpr int kWaitSliceMs = 10;

// The signal that asked the command to stop (SIGINT or SIGTERM); 0 while none has.
volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    // Only async-signal-safe work here. Every play is committed as it starts, so a second signal
    // may end the process at once, even in the middle of the stop.
    if (g_stopSignal != 0) {
        constexpr char kNote[] = "Stopped at once by a second signal\n";
        [[maybe_unused]] const ssize_t noted = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
        ::_exit(128 + signal);
    }
    g_stopSignal = signal;
}

// SIGINT and SIGTERM stop the play for as long as the object lives. Installed after the catalogue
// is open, so that they replace the database client's own handlers, which would close the
// catalogue under the engine and let the music play on.
class StopSignals {
public:
    StopSignals() {
        g_stopSignal = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &action, &m_previous[i]);
        }
    }
    ~StopSignals() {
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
        }
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    static constexpr std::array<int, 2> kSignals{SIGINT, SIGTERM};
    std::array<struct sigaction, 2> m_previous{};
};

// The real clock, whose waits end early once a stop signal has come, so that a cross-fade under
// way does not hold the stop up; from BeginStop on, waits (the stop's own fade) run in full.
class StopAwareClock : public Clock {
public:
    qint64 NowMs() const override { return RealClock().NowMs(); }
    void SleepMs(int milliseconds) override {
        const qint64 end = NowMs() + milliseconds;
        for (qint64 now = NowMs(); now < end; now = NowMs()) {
            if (g_stopSignal != 0 && !m_stopping) {
                return;
            }
            RealClock().SleepMs(static_cast<int>(std::min<qint64>(end - now, kWaitSliceMs)));
        }
    }
    TDateTime LocalNow() const override { return RealClock().LocalNow(); }
    void BeginStop() { m_stopping = true; }

private:
    bool m_stopping = false;
};

// A command line the command cannot take: refused before anything is opened, with exit status 2.
class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

[[noreturn]] void Refuse(const QString& text) {
    throw UsageError((text + "\n" + kUsage).toStdString());
}

QString ValueOf(const QStringList& arguments, qsizetype* at) {
    if (*at + 1 >= arguments.size()) {
        Refuse(arguments.at(*at) + " needs a value");
    }
    ++*at;
    return arguments.at(*at);
}

struct PlayRequest {
    QString audio;
    std::optional<int> fadeMs;
    std::vector<qint64> nextAtMs;
    /// LOUDNESS for this run only; the settings file keeps its own.
    std::optional<int> loudness;
    QStringList files;
    int playlist = -1;
    bool random = false;
};

PlayRequest ParseRequest(const QStringList& arguments) {
    PlayRequest request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        bool ok = false;
        if (argument == "--audio") {
            request.audio = ValueOf(arguments, &i);
        } else if (argument == "--fade-ms") {
            const int fade = ValueOf(arguments, &i).toInt(&ok);
            if (!ok || fade < 0) {
                Refuse("--fade-ms takes whole milliseconds, not " + arguments.at(i));
            }
            request.fadeMs = fade;
        } else if (argument == "--next-at") {
            const double seconds = ValueOf(arguments, &i).toDouble(&ok);
            if (!ok || seconds < 0) {
                Refuse("--next-at takes seconds from 0 up, not " + arguments.at(i));
            }
            request.nextAtMs.push_back(static_cast<qint64>(seconds * 1000 + 0.5));
        } else if (argument == "--loudness") {
            const QString value = ValueOf(arguments, &i);
            const auto* found = std::find(kLoudnessNames.begin(), kLoudnessNames.end(), value);
            if (found == kLoudnessNames.end()) {
                Refuse("--loudness takes off, track or album, not " + value);
            }
            request.loudness = static_cast<int>(found - kLoudnessNames.begin());
        } else if (argument == "--playlist") {
            request.playlist = ValueOf(arguments, &i).toInt(&ok);
            if (!ok || request.playlist < 0) {
                Refuse("--playlist takes a playlist number, not " + arguments.at(i));
            }
        } else if (argument == "--random") {
            request.random = true;
        } else if (argument.startsWith("--")) {
            Refuse("unknown option " + argument);
        } else {
            request.files << argument;
        }
    }
    const int sources =
        (request.files.isEmpty() ? 0 : 1) + (request.playlist >= 0 ? 1 : 0) + (request.random ? 1 : 0);
    if (sources != 1) {
        Refuse("play needs files, --playlist or --random (one of them)");
    }
    std::sort(request.nextAtMs.begin(), request.nextAtMs.end());
    return request;
}

// The songs of the files: the catalogue's records where it has them, else what their tags say.
void QueueFiles(const QStringList& files, DataFolderSession& session, TagPolicy& tags,
                QueueController& queue) {
    for (const QString& file : files) {
        const QString path = QFileInfo(file).absoluteFilePath();
        if (!QFileInfo(path).isFile()) {
            throw std::invalid_argument(("file not found: " + file).toStdString());
        }
        const int number = session.catalogueOpen ? session.core.library.songs.SongNumForFile(path) : 0;
        if (number > 0 && queue.AppendToQueue(number) > 0) {
            continue;
        }
        TSong song;
        tags.ReadSongFromFile(path, song, ResolveMode::None);
        song.FullPath = path;
        song.SongNum = 0;
        song.Exi = true;
        song.FileFound = true;
        if (song.Title.isEmpty()) {
            song.Title = QFileInfo(path).completeBaseName();
        }
        queue.AppendToQueue(song);
    }
}

void QueuePlaylist(int playlist, DataFolderSession& session, QueueController& queue) {
    RowSet entries = session.core.catalogue.Select(
        "select songnum from songinpl where plid = " + QString::number(playlist) + " order by seq");
    for (entries.First(); !entries.Eof(); entries.Next()) {
        queue.AppendToQueue(entries.Int("SONGNUM"));
    }
    if (queue.QueueIsEmpty()) {
        throw std::invalid_argument(
            ("playlist " + QString::number(playlist) + " has no songs").toStdString());
    }
}

// "3/20  Artist - Title  01:12 / 03:45"
QString ProgressLine(QueueController& queue, PlaybackEngine& engine) {
    const int row = queue.NowPlayingRow();
    const TSongObj* song = queue.SongAt(row);
    if (!song || engine.CurrentStream() == 0) {
        return {};
    }
    return QString("%1/%2  %3 - %4  %5 / %6")
        .arg(row)
        .arg(queue.RowCount())
        .arg(song->Song().ArtistName, song->Song().Title,
             DurationText(static_cast<int>(engine.ElapsedSeconds())), engine.Transport().lengthText);
}

// "2/3  Artist - Title": the song that has just started.
QString StartLine(QueueController& queue) {
    const int row = queue.NowPlayingRow();
    const TSongObj* song = queue.SongAt(row);
    if (!song) {
        return {};
    }
    return QString("%1/%2  %3 - %4")
        .arg(row)
        .arg(queue.RowCount())
        .arg(song->Song().ArtistName, song->Song().Title);
}

// The end asked for by a signal: the music fades out over the fade time (at most kStopFadeMs)
// and stops; a paused song just stops.
void FadeAndStop(PlaybackEngine& engine, Clock& clock, int fadeMs) {
    if (engine.State() == PlaybackState::Playing) {
        const int fade = std::min(fadeMs, kStopFadeMs);
        if (fade > 0 && engine.Audio().ChannelSlideAttribute(engine.MixerStream(), BASS_ATTRIB_VOL, 0.0f,
                                                             static_cast<quint32>(fade))) {
            // The clock alone, not the host: a song ending meanwhile must not start the next.
            clock.SleepMs(fade);
        }
        engine.StopPlayback();
    } else {
        engine.StopCommand();
    }
}

}  // namespace

int RunPlay(const QStringList& arguments) {
    PlayRequest request;
    try {
        request = ParseRequest(arguments);
        if (request.audio == "wav:") {
            Refuse("--audio wav: needs a file name");
        }
    } catch (const UsageError& refusal) {
        QTextStream(stderr) << "swtool: " << QString::fromUtf8(refusal.what()) << Qt::endl;
        return 2;
    }
    const bool toWav = request.audio.startsWith("wav:");
    // Checked before anything is opened: an unknown output is a usage error.
    const AudioOutputKind kind =
        toWav ? AudioOutputKind::Null
              : ChooseAudioOutput(request.audio, qEnvironmentVariable("SONWICK3_AUDIO"));

    // The jukebox and this command must not write the same catalogue at once.
    LockProgramFolder();
    // Files play without a catalogue; a playlist needs one.
    auto session = OpenDataFolder(request.files.isEmpty());
    CoreSession& core = session->core;
    Settings& settings = core.settings;
    if (!core.settingsRead) {
        TransferSettingsFile('G', settings, core.paths.settingsFile);
    }
    if (request.fadeMs) {
        settings.FADETIME = *request.fadeMs;
        settings.FADEONNEXT = *request.fadeMs > 0;
    }
    if (request.loudness) {
        settings.LOUDNESS = *request.loudness;
    }
    TagPolicy tags(core.library, *session->genres);
    core.library.tagWriter = &tags;

    SharedPlaylists shared;
    Playlists playlists(core.catalogue, shared);
    QueueController queue(core.library, playlists);
    if (!request.files.isEmpty()) {
        QueueFiles(request.files, *session, tags, queue);
    } else if (request.playlist >= 0) {
        QueuePlaylist(request.playlist, *session, queue);
    } else {
        // As the main window's random command: playlist 0 refilled under the rating filter.
        RandomSelection(core.catalogue, core.library.songs, playlists)
            .PickRandomSongs(kRandomCount, settings.FILTER);
        core.catalogue.CommitAndContinue();
        QueuePlaylist(kRandomPlaylistId, *session, queue);
    }

    // The output, and the clock the engine waits on: real time, or the audio rendered so far.
    std::unique_ptr<WavWriter> wav;
    std::unique_ptr<AudioLibrary> audio;
    std::unique_ptr<RenderClock> renderClock;
    StopAwareClock realTime;
    Clock* clock = &realTime;
    if (toWav) {
        wav = std::make_unique<WavWriter>(request.audio.mid(4));
        auto output = std::make_unique<OfflineOutput>(1);
        OfflineOutput& offline = *output;
        audio = std::make_unique<AudioLibrary>(std::move(output));
        renderClock = std::make_unique<RenderClock>(
            offline, 1, [&wav](const float* block, int frames) { wav->Append(block, frames); });
        clock = renderClock.get();
    } else {
        audio = std::make_unique<AudioLibrary>(MakeAudioOutput(kind));
    }
    PlaybackEngine engine(*audio, queue, settings, *clock);
    if (session->catalogueOpen) {
        engine.SetCatalogue(&core.catalogue);
    }
    engine.SetTagPolicy(&tags);
    HeadlessHost host(engine);
    engine.InitAudio(true);
    if (renderClock) {
        renderClock->SetDevice(engine.MasterDevice());
    }

    const StopSignals stopSignals;
    QTextStream err(stderr);
    err << "loudness levelling: " << kLoudnessNames.at(static_cast<std::size_t>(settings.LOUDNESS))
        << Qt::endl;
    // Each start and each file that could not be played is told as it happens.
    int startsTold = 0;
    qsizetype failuresTold = 0;
    auto tellNews = [&] {
        const QStringList& failed = engine.FailedStarts();
        for (; failuresTold < failed.size(); ++failuresTold) {
            err << "cannot play " << failed.at(failuresTold) << Qt::endl;
        }
        if (engine.SongsSounded() != startsTold) {
            startsTold = engine.SongsSounded();
            err << "playing " << StartLine(queue) << Qt::endl;
        }
    };
    auto newsOrEnd = [&] {
        return engine.State() == PlaybackState::Stopped || g_stopSignal != 0 ||
               engine.SongsSounded() != startsTold || engine.FailedStarts().size() != failuresTold;
    };
    const qint64 start = clock->NowMs();
    qint64 nextLine = start + 1000;
    std::size_t nextPress = 0;
    queue.SetCursor(1);
    engine.PlayCommand();
    while (engine.State() != PlaybackState::Stopped) {
        tellNews();
        if (g_stopSignal != 0) {
            err << (g_stopSignal == SIGINT ? "interrupted" : "terminated") << Qt::endl;
            realTime.BeginStop();
            FadeAndStop(engine, *clock, settings.FADETIME);
            break;
        }
        qint64 until = nextLine;
        if (nextPress < request.nextAtMs.size()) {
            until = std::min(until, start + request.nextAtMs[nextPress]);
        }
        host.RunUntilDone(newsOrEnd, std::max<qint64>(0, until - clock->NowMs()));
        while (nextPress < request.nextAtMs.size() && clock->NowMs() >= start + request.nextAtMs[nextPress]) {
            ++nextPress;
            engine.NextCommand();
        }
        // A cross-fade has let the clock run on: the line shows the moment after it.
        const qint64 now = clock->NowMs();
        if (now >= nextLine) {
            const QString line = ProgressLine(queue, engine);
            if (!line.isEmpty()) {
                err << line << Qt::endl;
            }
            // Seconds spent inside a fade are not made up for with lines of the same moment.
            while (nextLine <= now) {
                nextLine += 1000;
            }
        }
    }
    tellNews();
    // Tags parked while their songs played are written now that the engine has let them go.
    const bool tagsWritten = !session->catalogueOpen || tags.FinishPendingWrites();
    if (session->catalogueOpen) {
        core.catalogue.CommitAndContinue();
        core.catalogue.CloseCatalogue();
    }
    QTextStream out(stdout);
    const double seconds = (clock->NowMs() - start) / 1000.0;
    if (wav) {
        wav->Commit();
        out << request.audio.mid(4) << ": " << wav->Frames() << " frames ("
            << QString::number(wav->Frames() / 44100.0, 'f', 3) << " s)" << Qt::endl;
    }
    // Played are the songs that sounded, however briefly; a file that could not be opened was not.
    out << "played " << engine.SongsSounded() << " of " << queue.RowCount() << " songs in "
        << QString::number(seconds, 'f', 1) << " s" << Qt::endl;
    if (g_stopSignal != 0) {
        return 128 + g_stopSignal;
    }
    return tagsWritten && engine.FailedStarts().isEmpty() ? 0 : 1;
}

}  // namespace sw::swtool
