// swtool: batch work on the same data folder as sonwick3, one command per run.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <exception>

#include "SwtoolCommands.h"
#include "core/Paths.h"
#include "foundation/ScriptedDialogs.h"

namespace sw::swtool {

int RunMix(const QStringList& arguments);      // SwtoolMix.cpp
int RunTags(const QStringList& arguments);     // SwtoolTags.cpp
int RunLoad(const QStringList& arguments);     // SwtoolLoad.cpp
int RunPlay(const QStringList& arguments);     // SwtoolPlay.cpp
int RunParadox(const QStringList& arguments);  // SwtoolParadox.cpp

int RunCheck(const QStringList& arguments);      // SwtoolCheck.cpp
int RunStats(const QStringList& arguments);      // SwtoolStats.cpp
int RunRandom(const QStringList& arguments);     // SwtoolRandom.cpp
int RunPlaylists(const QStringList& arguments);  // SwtoolPlaylists.cpp
int RunPlaylist(const QStringList& arguments);   // SwtoolPlaylist.cpp
int RunRate(const QStringList& arguments);       // SwtoolRate.cpp
int RunHistory(const QStringList& arguments);    // SwtoolHistory.cpp
int RunGenerate(const QStringList& arguments);   // SwtoolGenerate.cpp
int RunSongs(const QStringList& arguments);      // SwtoolSongs.cpp
int RunAssign(const QStringList& arguments);     // SwtoolAssign.cpp
int RunLoudness(const QStringList& arguments);   // SwtoolLoudness.cpp

// Each command lives in its own file; add a line to kCommands for a new one.
const CommandEntry kCommands[] = {
    {"tags", "tags [--unicode] FILE...   (one JSON line per file: what the tag reader makes of it)", RunTags},
    {"load", "load [--subfolders] [--all|--skip-loaded] FOLDER | load --reread   (a load run without a window; --reread "
     "reads again the tags of songs whose tags were ignored)", RunLoad},
    {"mix", "mix OUT.wav --fade-ms N --at SECONDS A B", RunMix, false},
    {"play",
     "play [--audio null|sdl|wav:FILE] [--fade-ms N] [--next-at SECONDS]... [--loudness off|track|album] "
     "(FILE...|--playlist ID|--random)",
     RunPlay},
    {"check", "check [--repair] [--option [no-]NAME]... [--which-tag v1|v2]   (database check)", RunCheck},
    {"stats", "stats [--catalogue-sizes]   (counts and sizes per rating, exact jukebox size)", RunStats},
    {"random", "random [--count N] [--filter F]   (refills the \"Random\" playlist and lists it)", RunRandom},
    {"playlists", "playlists   (id, songs, date and name of every playlist)", RunPlaylists},
    {"playlist", "playlist ID [--m3u]   (the entries of a playlist, or an extended M3U)", RunPlaylist},
    {"rate", "rate SONGNUM VALUE   (sets a song's rating, -2 to 4)", RunRate},
    {"history", "history [--day YYYYMMDD]   (the play history)", RunHistory},
    {"generate", "generate --songs N [--seed S]   (a synthetic collection in a catalogue without songs)",
     RunGenerate},
    {"songs",
     "songs (--album ID|--artist ID|--genre ID|--playlist ID|--singles|--recent|--last-loaded|--day YYYYMMDD|"
     "--search TEXT) [--filter F]   (a list as the songs window shows it)",
     RunSongs},
    {"assign",
     "assign (--album NAME|--artist NAME|--genre ID|--year Y|--comment TEXT|--track)... SONGNUM...   (the "
     "same "
     "details to many songs, tags included)",
     RunAssign},
    {"paradox", "paradox FILE.DB [--limit N] [--code-page N]   (header facts, then one JSON line per row)",
     RunParadox, false},
    {"loudness",
     "loudness [--missing] [--sample-peak]   (measures and stores every song's loudness, true peak and "
     "where its music starts and ends; --missing: only songs not measured yet)",
     RunLoudness},
    {"remap", "remap OLD NEW   (moves the stored paths in folder OLD, and the music root, to NEW)", RunRemap},
    {"", "", nullptr},
};

}  // namespace sw::swtool

namespace {

void PrintUsage(QTextStream& err) {
    err << "usage: swtool [--home DIR] COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const auto& entry : sw::swtool::kCommands) {
        if (entry.run) {
            err << "  " << entry.usage << "\n";
        }
    }
    err.flush();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("swtool");
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments().mid(1);

    QString home;
    if (arguments.size() >= 2 && arguments.front() == "--home") {
        home = arguments.at(1);
        arguments = arguments.mid(2);
    }
    if (arguments.isEmpty() || arguments.front() == "--help" || arguments.front() == "-h") {
        PrintUsage(err);
        return arguments.isEmpty() ? 2 : 0;
    }

    // Questions are answered by the unattended defaults; messages go to standard error so that
    // standard output carries only the command's own results.
    QTextStream messages(stderr);
    sw::ScriptedDialogs dialogs(&messages);
    sw::InstallDialogs(&dialogs);

    const QString name = arguments.takeFirst();
    for (const auto& entry : sw::swtool::kCommands) {
        if (entry.run && name == entry.name) {
            try {
                if (entry.usesProgramFolder) {
                    sw::SetProgramFolder(sw::CurrentFolderSources(home));
                }
                return entry.run(arguments);
            } catch (const std::exception& error) {
                err << "swtool: " << QString::fromUtf8(error.what()) << Qt::endl;
                return 1;
            }
        }
    }
    err << "swtool: unknown command " << name << "\n";
    PrintUsage(err);
    return 2;
}
