// sonwick3: the jukebox. Wires the layers together in the fixed creation order.
#include <unistd.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "SonwickWindows.h"
#include "core/CoreSession.h"
#include "core/CreationOrder.h"
#include "core/Paths.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadWindow.h"
#include "maintenance/HealthCheckWindow.h"
#include "playback/BackgroundLoudness.h"
#include "playback/PlaybackEngine.h"
#include "playback/QueueKeeper.h"
#include "playback/audio/AudioOutputChoice.h"
#include "windows/days/NotepadWindow.h"
#include "windows/main/GuardedApplication.h"
#include "windows/main/MainWindow.h"
#include "windows/main/ProgramShutdown.h"
#include "windows/main/QtDialogs.h"
#include "windows/main/QuitOnSignal.h"
#include "windows/main/WindowHelpers.h"

namespace {

bool HasOption(int argc, char** argv, const char* name) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '=')) {
            return true;
        }
    }
    return false;
}

bool DisplayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    // Unattended runs and the help text need no display: Qt's offscreen platform serves them.
    if (!DisplayAvailable() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        if (HasOption(argc, argv, "--unattended") || HasOption(argc, argv, "--help") ||
            HasOption(argc, argv, "-h") || HasOption(argc, argv, "--version")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else {
            std::fputs("sonwick3: no display available; use --unattended to run without one\n", stderr);
            return 2;
        }
    }
    sw::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(sw::kApplicationTitle);
    QCoreApplication::setApplicationVersion(QString::number(PROJECT_VERSION_MAJOR) + "." +
                                            QString::number(PROJECT_VERSION_MINOR));
    QGuiApplication::setDesktopFileName("sonwick3");
    QApplication::setWindowIcon(sw::ProgramIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription("Sonwick3, a personal audio jukebox.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption homeOption("home", "Use DIR as the program folder (data in DIR/SW3DATA).",
                                        "DIR");
    const QCommandLineOption unattendedOption(
        "unattended",
        "Print each message, question and flash as one line on standard output instead of showing it. "
        "--unattended=FILE answers the questions from FILE, one answer per line; without FILE (or when it "
        "runs "
        "out) the defaults answer: Yes, OK, the first option, input kept. Runs without a display.");
    const QCommandLineOption quitOption("quit",
                                        "Run the whole start-up, show the main window once, then close it.");
    const QCommandLineOption traceOption("trace", "Show each start-up step.");
    const QCommandLineOption audioOption(
        "audio", "The sound outputs: sdl (the sound cards) or null (no sound card, in real time).", "OUTPUT");
    parser.addOptions({homeOption, unattendedOption, quitOption, traceOption, audioOption});
    parser.addPositionalArgument(
        "FILE", "Songs of the catalogue to put into the now-playing queue at start-up.", "[FILE...]");
    // "--unattended=FILE" carries an optional value, which QCommandLineParser cannot express.
    QStringList arguments = QCoreApplication::arguments();
    QString answersFile;
    bool unattended = false;
    for (QString& argument : arguments) {
        if (argument.startsWith("--unattended=")) {
            answersFile = argument.mid(static_cast<int>(std::strlen("--unattended=")));
            argument = "--unattended";
        }
    }
    parser.process(arguments);
    unattended = parser.isSet(unattendedOption);

    QTextStream out(stdout);
    sw::ScriptedDialogs scripted(&out);
    sw::QtDialogs desktop(sw::kApplicationTitle);
    sw::Dialogs& dialogs = unattended ? static_cast<sw::Dialogs&>(scripted) : desktop;
    sw::InstallDialogs(&dialogs);

    try {
        if (!answersFile.isEmpty()) {
            scripted.QueueAnswersFromFile(answersFile);
        }
        sw::SetProgramFolder(sw::CurrentFolderSources(parser.value(homeOption)));
        sw::ChooseAudioOutput(parser.value(audioOption), qEnvironmentVariable("SONWICK3_AUDIO"));
    } catch (...) {
        sw::ShowCurrentException();
        return 1;
    }

    sw::SetStartupTrace(parser.isSet(traceOption));

    sw::CoreSession session;
    session.paths = sw::Paths();
    sw::SonwickWindows windows(session);

    using sw::StartupWindow;
    sw::CreationSteps steps;
    windows.AddCreationSteps(steps, parser.value(audioOption));
    if (!unattended) {
        steps[StartupWindow::Choice] = [&] { return desktop.CreateChoiceWindow(), true; };
        steps[StartupWindow::Flash] = [&] { return desktop.CreateFlashWindow(), true; };
        steps[StartupWindow::InputText] = [&] { return desktop.CreateInputWindow(), true; };
    }

    if (!sw::RunCreationOrder(steps)) {
        return 0;
    }
    windows.mainWindow->EnableReachableEntries();

    // Songs without a loudness row are measured in the background: those a load run adds, and
    // those still missing at start-up while levelling is on. The load window shows how far it got.
    std::unique_ptr<sw::BackgroundLoudness> loudness;
    if (session.catalogue.IsOpen()) {
        loudness = std::make_unique<sw::BackgroundLoudness>(session.catalogue, session.settings,
                                                            sw::PostToEventLoop);
        if (windows.loadWindow) {
            sw::LoadController* load = &windows.loadWindow->Controller();
            load->SetLoadRunWatcher([&](bool running) { loudness->LoadRunChanged(running); });
            loudness->Worker().SetListener([load](const QString& text) { load->SetBackgroundStatus(text); });
        }
    }
    // Before the catalogue closes, on both ways down; a long file does not hold up the end.
    const auto stopMeasuring = [&] {
        if (loudness) {
            try {
                loudness->Stop();
            } catch (...) {
                sw::ShowCurrentException();
            }
        }
    };

    // The now-playing window, once built, sets session.songPlaying; the close request asks then.
    // Its acceptance alone ends the program, whatever other windows are open.
    sw::ProgramShutdown shutdown(session, windows.placements);
    shutdown.AttachTo(*windows.mainWindow);
    shutdown.SetLeaveEventLoop([] { QCoreApplication::exit(0); });
    shutdown.SetPlayback(windows.engine.get(), windows.preview.get());
    // Asked to stop by the system: the same shutdown, without the questions; a second signal ends
    // the program at once.
    sw::QuitOnSignal quitOnSignal([&] {
        QTextStream err(stderr);
        {
            sw::ScriptedDialogs report(&err);
            sw::ScopedDialogs installed(report);
            stopMeasuring();
        }
        bool notepadSaved = true;
        if (windows.notepadWindow) {
            sw::ScriptedDialogs report(&err);
            sw::ScopedDialogs installed(report);
            notepadSaved = windows.notepadWindow->ProgramEnding();
        }
        const int status = std::max(shutdown.StopRequested(err), notepadSaved ? 0 : 1);
        err.flush();
        // Everything is committed and saved, or reported; the process ends without the engine's detach.
        std::fflush(nullptr);
        ::_exit(status);
    });

    windows.mainWindow->SetFirstShowAction([&] {
        if (session.healthCheckOnShow) {
            session.healthCheckOnShow = false;
            if (windows.healthCheckWindow) {
                windows.healthCheckWindow->OpenHealthCheck();
            } else {
                sw::OpenHealthCheck(session);
            }
            windows.mainWindow->ShowCatalogueVersion();
        }
    });

    // The queue of the last run comes back; the songs named on the command line join it.
    std::unique_ptr<sw::QueueKeeper> queueKeeper;
    if (session.catalogue.IsOpen() && windows.engine) {
        queueKeeper = std::make_unique<sw::QueueKeeper>(windows.queue, session.paths.dataFolder + "QUEUE.TXT",
                                                        sw::RealClock());
        queueKeeper->SetEngine(windows.engine.get());
        queueKeeper->RestoreQueue();
        shutdown.SetQueueKeeper(queueKeeper.get());
    }
    // Songs named on the command line wait in the queue, the cursor on the first.
    if (session.catalogue.IsOpen() && !parser.positionalArguments().isEmpty()) {
        int first = 0;
        for (const QString& file : parser.positionalArguments()) {
            const int number = session.library.songs.SongNumForFile(QFileInfo(file).absoluteFilePath());
            const int row = number > 0 ? windows.queue.AppendToQueue(number) : -1;
            if (row < 0) {
                sw::ShowInfo("Not a song of the catalogue: " + file);
            } else if (first == 0) {
                first = row;
            }
        }
        if (first > 0) {
            windows.queue.SetCursor(first);
        }
    }

    sw::TraceStep("get_ini2");
    // A settings file that could not be read has been reported once already.
    if (!session.settingsUnreadable) {
        try {
            windows.placements.RestorePlacements(session.paths.settingsFile);
        } catch (...) {
            sw::ShowCurrentException();
        }
    }
    sw::TraceStep("run");
    windows.mainWindow->show();
    // The song that was playing is offered once the main window is there; songs named on the
    // command line are what the user asked for instead.
    if (queueKeeper && parser.positionalArguments().isEmpty()) {
        QTimer::singleShot(0, windows.mainWindow.get(), [&] { queueKeeper->OfferResume(); });
    }
    if (loudness) {
        QTimer::singleShot(0, windows.mainWindow.get(), [&] { loudness->QueueAtStart(); });
    }
    if (parser.isSet(quitOption)) {
        QTimer::singleShot(0, windows.mainWindow.get(), &QWidget::close);
    }
    app.exec();
    stopMeasuring();
    const int status = shutdown.EndProgram();
    if (windows.notepadWindow) {
        windows.notepadWindow->ProgramEnding();
    }
    return status;
}
