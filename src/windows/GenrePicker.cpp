#include "GenrePicker.h"

#include <QInputDialog>
#include <QStringList>
#include <vector>

#include "core/Catalogue.h"
#include "core/RowSet.h"

namespace sw {

bool PickGenreFromList(Catalogue& catalogue, QWidget* parent, int& genreId, QString& genreName) {
    RowSet& rows = catalogue.RunQuery("select genreid, gname from genre order by gname");
    QStringList names;
    std::vector<int> ids;
    int current = 0;
    for (int row = 0; row < rows.RowCount(); ++row) {
        ids.push_back(rows.Value(row, 0).toInt());
        names << rows.Value(row, 1).toString();
        if (ids.back() == genreId) {
            current = row;
        }
    }
    if (names.isEmpty()) {
        return false;
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, "Select genre", "Genre", names, current, false, &ok);
    const auto index = static_cast<std::size_t>(names.indexOf(chosen));
    if (!ok || index >= ids.size()) {
        return false;
    }
    genreId = ids[index];
    genreName = chosen;
    return true;
}

}  // namespace sw
