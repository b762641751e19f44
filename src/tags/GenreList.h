#pragma once

#include <QString>

namespace sw {

class Catalogue;

/// A genre: the number shared by the tags and the GENRE table, and its name.
struct TGenre {
    int GenreId = 0;
    QString GenreName;
};

/// Copies the genre list file (section "genres", keys 000 to 255) into table GENRE, overwriting
/// the rows of the ids it names. Says how many were loaded; false when none was.
bool LoadGenreList(Catalogue& catalogue, const QString& genreFile);
/// The id of the genre of that name (any letter case), -1 when there is none.
int GenreIdForName(Catalogue& catalogue, const QString& name);
/// Whether the genre is in the table (a negative id never is).
bool LocateGenre(Catalogue& catalogue, int genreId);
/// The id and its name (empty when the id is not in the table). Always true.
bool GenreRecordForId(Catalogue& catalogue, int genreId, TGenre& genre);

}  // namespace sw
