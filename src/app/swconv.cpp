// swconv: copies the previous edition's catalogue into the jukebox's catalogue, with its settings
// and notepad text. Unattended, it runs one whole conversion without a window.
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "converter/ConverterController.h"
#include "converter/ConverterDialogs.h"
#include "converter/ConverterWindow.h"
#include "converter/FolderMap.h"
#include "converter/StopSignals.h"
#include "core/CreationOrder.h"
#include "core/InstanceLock.h"
#include "core/Paths.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/main/GuardedApplication.h"

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

/// Unattended runs print each log line as it is written.
class PrintedLog : public sw::ConverterDisplay {
public:
    explicit PrintedLog(QTextStream& out) : m_out(out) {}
    void LabelsChanged() override {}
    void LineLogged(const QString& line) override { m_out << line << Qt::endl; }
    void StatusChanged() override {}
    void PumpEvents() override {}
    void EndProgram() override {}

private:
    QTextStream& m_out;
};

/// The whole conversion of `legacyFolder` without a window; the exit status is 0 when it finished.
int RunUnattended(sw::ConverterController& controller, const QString& legacyFolder) {
    int status = 1;
    try {
        status = controller.AcceptLegacyFolder(legacyFolder) && controller.Convert() ? 0 : 1;
    } catch (...) {
        sw::ShowCurrentException();
    }
    controller.CloseRequest();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread starts, so that a stop signal reaches none but the one that takes it.
    sw::CatchStopSignals();
    if (!DisplayAvailable() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        if (HasOption(argc, argv, "--unattended") || HasOption(argc, argv, "--help") ||
            HasOption(argc, argv, "-h") || HasOption(argc, argv, "--version")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else {
            std::fputs("swconv: no display available; use --unattended to run without one\n", stderr);
            return 2;
        }
    }
    sw::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName("swconv");
    QCoreApplication::setApplicationVersion("4");

    QCommandLineParser parser;
    parser.setApplicationDescription("Converts the catalogue of the previous Sonwick edition for Sonwick3.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption homeOption("home", "Use DIR as the program folder (data in DIR/SW3DATA).",
                                        "DIR");
    const QCommandLineOption legacyOption(
        "legacy", "The previous edition's folder (the one holding sonwick.exe), chosen at start.", "DIR");
    const QCommandLineOption unattendedOption(
        "unattended",
        "Run the whole conversion of the --legacy folder without a window, printing the log lines and each "
        "message and question as one line. --unattended=FILE answers the questions from FILE, one answer "
        "per line; without FILE (or when it runs out) every question is answered Yes.");
    const QCommandLineOption mapOption(
        "map",
        "Where an old folder lives now, as OLD=NEW (for example 'D:/Music=/home/me/Music'); repeatable. "
        "Given, it replaces the question for the old music folder's new place.",
        "OLD=NEW");
    const QCommandLineOption skipOption(
        "skip-bad-rows",
        "Unattended: leave out and report a row the new catalogue refuses, instead of stopping the "
        "conversion (the window asks).");
    parser.addOptions({homeOption, legacyOption, unattendedOption, mapOption, skipOption});
    QStringList arguments = QCoreApplication::arguments();
    QString answersFile;
    for (QString& argument : arguments) {
        if (argument.startsWith("--unattended=")) {
            answersFile = argument.mid(static_cast<int>(std::strlen("--unattended=")));
            argument = "--unattended";
        }
    }
    parser.process(arguments);
    const bool unattended = parser.isSet(unattendedOption);
    const QString legacyFolder = parser.value(legacyOption);

    QTextStream out(stdout);
    sw::ScriptedDialogs scripted(&out);
    sw::ConverterDialogs desktop;
    sw::InstallDialogs(unattended ? static_cast<sw::Dialogs*>(&scripted) : &desktop);
    try {
        if (!answersFile.isEmpty()) {
            scripted.QueueAnswersFromFile(answersFile);
        }
        sw::SetProgramFolder(sw::ChooseProgramFolder(sw::CurrentFolderSources(parser.value(homeOption))));
        // Refilling the catalogue under a running jukebox would pull it from under its feet.
        sw::LockProgramFolder();
    } catch (...) {
        sw::ShowCurrentException();
        return 1;
    }

    sw::ConverterController controller(sw::ProgramFolder());
    // Ctrl+C and SIGTERM stop a conversion by undoing it, in the window and unattended.
    controller.CatchStopSignals();
    if (parser.isSet(mapOption)) {
        sw::FolderMap folders;
        try {
            for (const QString& pair : parser.values(mapOption)) {
                folders.AddPair(pair);
            }
        } catch (const std::exception& error) {
            std::fprintf(stderr, "swconv: --map: %s\n", error.what());
            return 2;
        }
        controller.SetFolderMap(std::move(folders));
    }
    if (unattended) {
        controller.SetBadRows(parser.isSet(skipOption) ? sw::BadRows::Skip : sw::BadRows::Stop);
        if (legacyFolder.isEmpty()) {
            std::fputs("swconv: --unattended needs --legacy DIR\n", stderr);
            return 2;
        }
        PrintedLog log(out);
        controller.SetDisplay(&log);
        const int status = RunUnattended(controller, legacyFolder);
        controller.SetDisplay(nullptr);
        return status;
    }

    sw::ConverterWindow window(controller);
    window.ConvertAction()->setEnabled(false);
    window.show();
    // The start-up creates the other windows meanwhile; the strip says so, then empties.
    controller.ShowStatus("Starting");
    desktop.CreateChoiceWindow();
    desktop.CreateFlashWindow();
    desktop.CreateInputWindow();
    controller.ShowStatus(QString());
    if (!legacyFolder.isEmpty()) {
        QTimer::singleShot(0, &window, [&] {
            try {
                controller.AcceptLegacyFolder(legacyFolder);
            } catch (...) {
                sw::ShowCurrentException();
            }
        });
    }
    return app.exec();
}
