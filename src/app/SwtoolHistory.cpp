// swtool history [--day YYYYMMDD]: the play history, one row per song start.
#include <QDate>
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "foundation/Numbers.h"

namespace sw::swtool {

int RunHistory(const QStringList& arguments) {
    int day = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--day" && i + 1 < arguments.size()) {
            const QString text = arguments[++i];
            day = IntegerArgument("--day", text);
            const DateRec date = DateFromNumber(day);
            if (text.size() != 8 || !QDate(date.year, date.month, date.day).isValid()) {
                throw std::invalid_argument(
                    ("--day needs a date as YYYYMMDD, not \"" + text + "\"").toStdString());
            }
        } else {
            throw std::invalid_argument(("unexpected argument " + arguments[i]).toStdString());
        }
    }
    auto session = PlaylistSession::Open();
    Catalogue& catalogue = session->Core().catalogue;
    // Rows of songs removed since stay listed, without artist and title.
    RowSet rows = catalogue.Select(
        "SELECT h.songnum, h.pldate, h.pltime, ar.arname, s.title FROM history h\n"
        "LEFT JOIN song s ON s.songnum = h.songnum\n"
        "LEFT JOIN artist ar ON ar.artistid = s.artistid\n" +
        (day > 0 ? "WHERE (h.pldate = " + QString::number(day) + ")\n" : QString()) + "ORDER BY h.ts");
    QTextStream out(stdout);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        out << rows.Int("PLDATE") << ' ' << PadNumber(rows.Int("PLTIME"), 6) << ' ' << rows.Int("SONGNUM")
            << ' ' << OneLine(rows.Text("ARNAME")) << " - " << OneLine(rows.Text("TITLE")) << '\n';
    }
    out.flush();
    catalogue.CloseCatalogue();
    return 0;
}

}  // namespace sw::swtool
