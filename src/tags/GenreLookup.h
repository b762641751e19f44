#pragma once

#include <QString>
#include <map>

#include "core/Query.h"

namespace sw {

class Catalogue;
class LoadCache;

/// Genre names to ids and back, for the tag readers and writers.
class GenreLookup {
public:
    virtual ~GenreLookup() = default;
    /// -1 when no genre has the name (letter case ignored) or the name is empty.
    virtual int GenreIdForName(const QString& name) = 0;
    /// Empty when the id names no genre.
    virtual QString GenreNameById(int genreId) = 0;
    /// Lookups by name answered from `cache` (null: none) where it knows them; a load run sets it
    /// while it imports a file.
    virtual void UseLoadCache(LoadCache* /*cache*/) {}
};

/// The catalogue's GENRE table.
class CatalogueGenres : public GenreLookup {
public:
    explicit CatalogueGenres(Catalogue& catalogue)
        : m_catalogue(catalogue), m_markProbe(catalogue, "select 1 from rdb$database") {}
    int GenreIdForName(const QString& name) override;
    QString GenreNameById(int genreId) override;
    void UseLoadCache(LoadCache* cache) override { m_cache = cache; }

private:
    Catalogue& m_catalogue;
    LoadCache* m_cache = nullptr;
    /// Any statement: the connection's mark for the cache.
    Query m_markProbe;
};

/// A genre list file, for work without a catalogue.
class FileGenres : public GenreLookup {
public:
    explicit FileGenres(const QString& genreFile);
    int GenreIdForName(const QString& name) override;
    QString GenreNameById(int genreId) override;

private:
    std::map<int, QString> m_names;
};

}  // namespace sw
