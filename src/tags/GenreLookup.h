#pragma once

#include <QString>
#include <map>

namespace sw {

class Catalogue;

/// Genre names to ids and back, for the tag readers and writers.
class GenreLookup {
public:
    virtual ~GenreLookup() = default;
    /// -1 when no genre has the name (letter case ignored) or the name is empty.
    virtual int GenreIdForName(const QString& name) = 0;
    /// Empty when the id names no genre.
    virtual QString GenreNameById(int genreId) = 0;
};

/// The catalogue's GENRE table.
class CatalogueGenres : public GenreLookup {
public:
    explicit CatalogueGenres(Catalogue& catalogue) : m_catalogue(catalogue) {}
    int GenreIdForName(const QString& name) override;
    QString GenreNameById(int genreId) override;

private:
    Catalogue& m_catalogue;
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
