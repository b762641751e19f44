// swtool play: plays a queue through the jukebox's own queue and engine, without a window.
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
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
#include "playback/AudioOutputChoice.h"
#include "playback/HeadlessHost.h"
#include "playback/OfflineOutput.h"
#include "playback/PlaybackEngine.h"
#include "playback/Playlists.h"
#include "playback/QueueController.h"
#include "playback/RandomSelection.h"
#include "playback/RenderClock.h"
#include "playback/WavWriter.h"
#include "tags/TagPolicy.h"

namespace sw::swtool {

namespace {

const char* const kUsage =
    "usage: swtool play [--audio null|sdl|wav:FILE] [--fade-ms N] [--next-at SECONDS]... "
    "(FILE...|--playlist ID|--random)";

// Songs drawn by --random, as many as the jukebox's random command draws.
constexpr int kRandomCount = 20;

volatile std::sig_atomic_t g_interrupted = 0;

[[noreturn]] void Refuse(const QString& text) {
    throw std::invalid_argument((text + "\n" + kUsage).toStdString());
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

}  // namespace

int RunPlay(const QStringList& arguments) {
    const PlayRequest request = ParseRequest(arguments);
    const bool toWav = request.audio.startsWith("wav:");
    if (toWav && request.audio.size() == 4) {
        Refuse("--audio wav: needs a file name");
    }
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
    Clock* clock = &RealClock();
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

    g_interrupted = 0;
    const auto previous = std::signal(SIGINT, [](int) { g_interrupted = 1; });
    QTextStream err(stderr);
    const qint64 start = clock->NowMs();
    qint64 nextLine = start + 1000;
    std::size_t nextPress = 0;
    queue.SetCursor(1);
    engine.PlayCommand();
    while (engine.State() != PlaybackState::Stopped) {
        if (g_interrupted) {
            err << "interrupted" << Qt::endl;
            engine.StopCommand();
            break;
        }
        qint64 until = nextLine;
        if (nextPress < request.nextAtMs.size()) {
            until = std::min(until, start + request.nextAtMs[nextPress]);
        }
        host.RunUntilDone([&] { return engine.State() == PlaybackState::Stopped || g_interrupted; },
                          std::max<qint64>(0, until - clock->NowMs()));
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
    std::signal(SIGINT, previous);
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
    int played = 0;
    for (int row = 1; row <= queue.RowCount(); ++row) {
        played += queue.Cell(row, QueueColumn::Now) == kMarkerPlayed ? 1 : 0;
    }
    out << "played " << played << " of " << queue.RowCount() << " songs in "
        << QString::number(seconds, 'f', 1) << " s" << Qt::endl;
    return g_interrupted ? 130 : tagsWritten ? 0 : 1;
}

}  // namespace sw::swtool
