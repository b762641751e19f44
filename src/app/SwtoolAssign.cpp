// swtool assign (--album NAME|--artist NAME|--genre ID|--year Y|--comment TEXT|--track)... SONGNUM...
// gives the same details to the songs, in the catalogue and in their tags, as the assign window
// does; the songs' file type is the first song's. Prints a summary line.
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "tags/TagPolicy.h"
#include "windows/details/AssignController.h"

namespace sw::swtool {

namespace {

/// Fills the dialog from the command line and presses "Assign" once.
class CommandLineAssign : public AssignDisplay {
public:
    explicit CommandLineAssign(AssignController& assign) : m_assign(assign) {}
    bool RunAssignDialog() override { return m_assign.AssignPressed() == EditClose::Ok; }
    void AssignProgress(int, int) override {}

private:
    AssignController& m_assign;
};

}  // namespace

int RunAssign(const QStringList& arguments) {
    struct Text {
        const char* option;
        AssignField field;
    };
    const Text texts[] = {{"--album", AssignField::Album},
                          {"--artist", AssignField::Artist},
                          {"--year", AssignField::Year},
                          {"--comment", AssignField::Comment}};
    std::vector<std::pair<AssignField, QString>> boxes;
    int genre = -1;
    bool track = false;
    std::vector<int> songs;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        bool matched = false;
        for (const Text& text : texts) {
            if (argument == text.option) {
                if (i + 1 >= arguments.size()) {
                    throw std::invalid_argument(std::string(text.option) + " needs a value");
                }
                boxes.emplace_back(text.field, arguments[++i]);
                matched = true;
            }
        }
        if (matched) {
            continue;
        }
        if (argument == "--genre" && i + 1 < arguments.size()) {
            genre = IntegerArgument("--genre", arguments[++i]);
        } else if (argument == "--track") {
            track = true;
        } else if (argument.startsWith("--")) {
            throw std::invalid_argument("unknown option " + argument.toStdString());
        } else {
            songs.push_back(IntegerArgument("the song number", argument));
        }
    }
    if (songs.empty() || (boxes.empty() && genre < 0 && !track)) {
        throw std::invalid_argument("assign needs a detail to give and one or more song numbers");
    }
    auto session = PlaylistSession::Open();
    CoreSession& core = session->Core();
    TagPolicy tags(core.library, *session->Data().genres);
    core.library.tagWriter = &tags;
    AssignController assign(core.library, tags);
    CommandLineAssign display(assign);
    assign.SetDisplay(&display);
    assign.SetAllTicked(false);
    for (const auto& [field, text] : boxes) {
        assign.SetTicked(field, true);
        assign.SetBox(field, text);
    }
    if (genre >= 0) {
        const QString name = session->Data().genres->GenreNameById(genre);
        if (name.isEmpty()) {
            throw std::invalid_argument("no genre has the id " + std::to_string(genre));
        }
        assign.SetGenrePicker([genre, name](int& id, QString& picked) {
            id = genre;
            picked = name;
            return true;
        });
        assign.SetTicked(AssignField::Genre, true);
        assign.PickGenre();
    }
    assign.SetTicked(AssignField::Track, track);
    TSong first;
    core.library.songs.FindSongByNumber(songs.front(), first);
    const AssignOutcome outcome = assign.AssignDetailsToSongs(songs, first.FileType);
    const bool tagsWritten = tags.FinishPendingWrites();
    core.library.tagWriter = nullptr;
    core.catalogue.CloseCatalogue();
    if (!outcome.accepted) {
        return 1;
    }
    const AssignRunResult& run = assign.LastRun();
    QTextStream out(stdout);
    out << "assigned=" << run.saved << " tag_failures=" << run.tagFailures << " missing=" << run.missingSongs
        << " album=" << (outcome.albumTicked ? outcome.albumId : 0) << Qt::endl;
    return run.tagFailures > 0 || run.missingSongs > 0 || !tagsWritten ? 1 : 0;
}

}  // namespace sw::swtool
