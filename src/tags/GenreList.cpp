#include "GenreList.h"

#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/IniFile.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {
constexpr int kHighestGenreId = 255;
}

bool LoadGenreList(Catalogue& catalogue, const QString& genreFile) {
    const IniFile file(genreFile);
    int count = 0;
    for (int id = 0; id <= kHighestGenreId; ++id) {
        const QString name = file.ReadString("genres", PadNumber(id, 3), QString());
        if (name.isEmpty()) {
            continue;
        }
        catalogue.ExecSql("update or insert into genre (genreid, gname) values (" + QString::number(id) +
                          "," + SqlQuote(FitToColumn(name, kGenreNameWidth)) + ");");
        ++count;
    }
    const bool loaded = count > 0;
    if (loaded) {
        ShowInfo(QString::number(count) + " genres loaded OK");
    } else {
        ShowInfo("No genres found");
    }
    catalogue.CommitAndContinue();
    return loaded;
}

int GenreIdForName(Catalogue& catalogue, const QString& name) {
    if (name.isEmpty()) {
        return -1;
    }
    const RowSet& rows = catalogue.RunQuery("select g.genreid from genre g where lower(g.gname) = " +
                                            SqlQuote(name.toLower()));
    return rows.RowCount() > 0 ? rows.Int("GENREID") : -1;
}

bool LocateGenre(Catalogue& catalogue, int genreId) {
    if (genreId < 0) {
        return false;
    }
    return catalogue.Select("select g.genreid from genre g where g.genreid = " + QString::number(genreId))
               .RowCount() > 0;
}

bool GenreRecordForId(Catalogue& catalogue, int genreId, TGenre& genre) {
    genre.GenreId = genreId;
    genre.GenreName.clear();
    if (genreId >= 0) {
        const RowSet rows =
            catalogue.Select("select g.gname from genre g where g.genreid = " + QString::number(genreId));
        if (rows.RowCount() > 0) {
            genre.GenreName = rows.Text("GNAME");
        }
    }
    return true;
}

}  // namespace sw
