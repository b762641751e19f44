// swtool songs (--album ID|--artist ID|--genre ID|--playlist ID|--singles|--recent|--last-loaded|
//               --day YYYYMMDD|--search TEXT) [--filter F]:
// the list the songs window shows for that request (same query, same order, same filter), one song
// per line with the grid's cells separated by tabs.
#include <QDate>
#include <QTextStream>
#include <functional>
#include <optional>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "foundation/Clock.h"
#include "foundation/Dialogs.h"
#include "windows/songs/SongListController.h"

namespace sw::swtool {

namespace {

bool IsFilterValue(int value) {
    return value == 99 || (value >= -1 && value <= 4);
}

int DayArgument(const QString& text) {
    const int day = IntegerArgument("--day", text);
    const DateRec date = DateFromNumber(day);
    if (text.size() != 8 || !QDate(date.year, date.month, date.day).isValid()) {
        throw std::invalid_argument(("--day needs a date as YYYYMMDD, not \"" + text + "\"").toStdString());
    }
    return day;
}

}  // namespace

int RunSongs(const QStringList& arguments) {
    std::function<void(SongListController&)> request;
    QString what;
    std::optional<int> filter;
    const auto choose = [&](const QString& name, std::function<void(SongListController&)> show) {
        if (request) {
            throw std::invalid_argument("songs takes one list at a time");
        }
        what = name;
        request = std::move(show);
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool valued = i + 1 < arguments.size();
        if (argument == "--singles") {
            choose("the singles", [](SongListController& list) { list.ShowSingles(); });
        } else if (argument == "--recent") {
            choose("the recent additions", [](SongListController& list) { list.ShowRecentSongs(); });
        } else if (argument == "--last-loaded") {
            choose("the last load run", [](SongListController& list) { list.ShowLastLoaded(); });
        } else if (argument == "--search" && valued) {
            const QString text = arguments[++i];
            if (text.isEmpty()) {
                throw std::invalid_argument("--search needs a text");
            }
            choose("the search", [text](SongListController& list) { list.SearchSongs(text); });
        } else if (argument == "--day" && valued) {
            const int day = DayArgument(arguments[++i]);
            choose("Day " + QString::number(day),
                   [day](SongListController& list) { list.ShowHistoryDay(day); });
        } else if ((argument == "--album" || argument == "--artist" || argument == "--genre" ||
                    argument == "--playlist") &&
                   valued) {
            const int id = IntegerArgument(argument, arguments[++i]);
            const QString kind = argument.mid(2);
            choose(kind.left(1).toUpper() + kind.mid(1) + " #" + QString::number(id),
                   [kind, id](SongListController& list) {
                       if (kind == "album") {
                           list.ShowAlbumSongs(id);
                       } else if (kind == "artist") {
                           list.ShowArtistSongs(id);
                       } else if (kind == "genre") {
                           list.ShowGenreSongs(id);
                       } else {
                           list.ShowPlaylistSongs(id);
                       }
                   });
        } else if (argument == "--filter" && valued) {
            filter = IntegerArgument(argument, arguments[++i]);
            if (!IsFilterValue(*filter)) {
                throw std::invalid_argument("--filter must be 4, 3, 2, 1, 0, -1 or 99");
            }
        } else {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        }
    }
    if (!request) {
        throw std::invalid_argument(
            "songs needs one of --album, --artist, --genre, --playlist, --singles, --recent, --last-loaded, "
            "--day, --search");
    }

    auto session = PlaylistSession::Open();
    CoreSession& core = session->Core();
    // The filter applies to this listing only; the stored setting is not rewritten.
    if (filter) {
        core.settings.FILTER = *filter;
    }
    SongListController list(core.library, session->Lists(), RealClock());
    request(list);
    if (!list.QueryOpen()) {
        ShowInfo(what + " not found");
        core.catalogue.CloseCatalogue();
        return 1;
    }
    ShowInfo(list.Caption() + " :" + list.CountLabel());

    QTextStream out(stdout);
    RowSetModel& model = list.Model();
    for (int row = 0; row < model.RowCount(); ++row) {
        QStringList cells = model.RowTexts(row);
        for (QString& cell : cells) {
            cell = OneLine(cell);
        }
        out << cells.join('\t') << '\n';
    }
    out.flush();
    core.catalogue.CloseCatalogue();
    return 0;
}

}  // namespace sw::swtool
