#include "GenreLookup.h"

#include "GenreList.h"
#include "core/IniFile.h"
#include "core/LoadCache.h"
#include "foundation/Numbers.h"

namespace sw {

int CatalogueGenres::GenreIdForName(const QString& name) {
    if (!m_cache || name.isEmpty()) {
        return sw::GenreIdForName(m_catalogue, name);
    }
    m_cache->Sync(m_markProbe.Mark());
    const QString key = LoadCache::Key(name.toLower());
    if (const int* known = m_cache->Genre(key)) {
        return *known;
    }
    const int id = sw::GenreIdForName(m_catalogue, name);
    m_cache->KeepGenre(key, id);
    return id;
}

QString CatalogueGenres::GenreNameById(int genreId) {
    TGenre genre;
    GenreRecordForId(m_catalogue, genreId, genre);
    return genre.GenreName;
}

FileGenres::FileGenres(const QString& genreFile) {
    const IniFile file(genreFile);
    for (int id = 0; id <= 255; ++id) {
        const QString name = file.ReadString("genres", PadNumber(id, 3), QString());
        if (!name.isEmpty()) {
            m_names[id] = name;
        }
    }
}

int FileGenres::GenreIdForName(const QString& name) {
    if (name.isEmpty()) {
        return -1;
    }
    for (const auto& [id, known] : m_names) {
        if (known.compare(name, Qt::CaseInsensitive) == 0) {
            return id;
        }
    }
    return -1;
}

QString FileGenres::GenreNameById(int genreId) {
    const auto found = m_names.find(genreId);
    return found == m_names.end() ? QString() : found->second;
}

}  // namespace sw
