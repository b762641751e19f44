// swtool playlists: every playlist with its number of entries, date and name.
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"

namespace sw::swtool {

int RunPlaylists(const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        throw std::invalid_argument(("unexpected argument " + arguments.front()).toStdString());
    }
    auto session = PlaylistSession::Open();
    Catalogue& catalogue = session->Core().catalogue;
    RowSet rows = catalogue.Select(
        "select pl.plid, pl.plname, pl.pldate, (select count(*) from songinpl sp where sp.plid = pl.plid) as "
        "ct "
        "from plist pl order by pl.plid");
    QTextStream out(stdout);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const int date = rows.Int("PLDATE");
        out << rows.Int("PLID") << '\t' << rows.Int("CT") << '\t'
            << (date > 0 ? DateNumberText(date) : QString()) << '\t' << OneLine(rows.Text("PLNAME")) << '\n';
    }
    out.flush();
    catalogue.CloseCatalogue();
    return 0;
}

}  // namespace sw::swtool
