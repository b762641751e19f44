// swtool random [--count N] [--filter F]: refills the "Random" playlist and lists it.
#include <QTextStream>
#include <optional>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "playback/RandomSelection.h"

namespace sw::swtool {

namespace {

constexpr int kDefaultCount = 20;
constexpr int kMostDraws = 100000;

bool IsFilterValue(int value) {
    return value == 99 || (value >= -1 && value <= 4);
}

}  // namespace

int RunRandom(const QStringList& arguments) {
    int count = kDefaultCount;
    std::optional<int> filter;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if ((argument == "--count" || argument == "--filter") && i + 1 < arguments.size()) {
            const int value = IntegerArgument(argument, arguments[++i]);
            if (argument == "--count") {
                count = value;
            } else {
                filter = value;
            }
        } else {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        }
    }
    if (count < 1 || count > kMostDraws) {
        throw std::invalid_argument(
            ("--count must be from 1 to " + QString::number(kMostDraws)).toStdString());
    }
    if (filter && !IsFilterValue(*filter)) {
        throw std::invalid_argument("--filter must be 4, 3, 2, 1, 0, -1 or 99");
    }
    auto session = PlaylistSession::Open();
    CoreSession& core = session->Core();
    RandomSelection random(core.catalogue, core.library.songs, session->Lists());
    random.PickRandomSongs(count, filter.value_or(core.settings.FILTER));
    core.catalogue.CommitAndContinue();

    QTextStream out(stdout);
    for (const PlaylistEntry& entry :
         session->Lists().ReadPlaylistEntries(kRandomPlaylistId, core.library.songs)) {
        out << EntryLine(entry) << '\n';
    }
    out.flush();
    core.catalogue.CloseCatalogue();
    return 0;
}

}  // namespace sw::swtool
