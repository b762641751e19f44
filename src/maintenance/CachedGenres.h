#pragma once

#include <QHash>
#include <QString>
#include <map>

#include "tags/GenreLookup.h"

namespace sw {

class Catalogue;

/// The catalogue's genre list read once, for a scan that looks a genre name up for every file it
/// reads. Names match without regard to letter case; where two genres share a name, the lower id
/// wins.
class CachedGenres : public GenreLookup {
public:
    /// Reads the list again.
    void Load(Catalogue& catalogue);
    int GenreIdForName(const QString& name) override;
    QString GenreNameById(int genreId) override;

private:
    QHash<QString, int> m_ids;
    std::map<int, QString> m_names;
};

}  // namespace sw
