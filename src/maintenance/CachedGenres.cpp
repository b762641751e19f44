#include "CachedGenres.h"

#include "core/Catalogue.h"

namespace sw {

void CachedGenres::Load(Catalogue& catalogue) {
    m_ids.clear();
    m_names.clear();
    const RowSet rows = catalogue.Select("select genreid, gname from genre order by genreid");
    for (int row = 0; row < rows.RowCount(); ++row) {
        const int id = rows.Value(row, 0).toInt();
        const QString name = rows.Value(row, 1).toString();
        m_names[id] = name;
        if (!name.isEmpty() && !m_ids.contains(name.toLower())) {
            m_ids.insert(name.toLower(), id);
        }
    }
}

int CachedGenres::GenreIdForName(const QString& name) {
    return name.isEmpty() ? -1 : m_ids.value(name.toLower(), -1);
}

QString CachedGenres::GenreNameById(int genreId) {
    const auto found = m_names.find(genreId);
    return found == m_names.end() ? QString() : found->second;
}

}  // namespace sw
