#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "../main/LibraryListFixture.h"
#include "../songs/SongListFixture.h"
#include "windows/genres/GenresController.h"

namespace sw::test {

/// The "Genre details" dialog as a test drives it: each showing hands the controller to `user`,
/// who fills the boxes and presses "Save" as often as wanted; the showing ends with OK when `user`
/// returns true. What the dialog showed when it opened is kept.
class DrivenGenreDetails : public GenreDetailsDisplay {
public:
    explicit DrivenGenreDetails(GenreDetailsController& details) : m_details(details) {}

    bool RunGenreDetails() override {
        ++showings;
        shownId = m_details.IdText();
        shownName = m_details.Name();
        shownDormant = m_details.Dormant();
        return user ? user(m_details) : false;
    }

    std::function<bool(GenreDetailsController&)> user;
    int showings = 0;
    QString shownId;
    QString shownName;
    bool shownDormant = false;

private:
    GenreDetailsController& m_details;
};

/// A genre row as a test writes it; a null name or DORMANT is written as null.
struct GenreRow {
    int id = 0;
    QString name{};
    int dormant = -1;  ///< -1 for null
};

/// A throw-away catalogue with the genres controller over the songs list, a fake window and a
/// driven details dialog; the genre list file lives in a folder of its own.
class GenresFixture : public SongListFixture {
protected:
    GenresFixture();

    void AddGenres(const std::vector<GenreRow>& rows);
    /// Genres id..last named "G<id>".
    void AddNumberedGenres(int first, int last);
    /// A song with that genre id.
    void AddSongOfGenre(int genreId);
    /// The GENRE table as "id:name:dormant" lines in id order (null shown as "-").
    QStringList GenreTable();
    /// The listed rows as "id|name|dormant" cells, whatever the column order on screen.
    QStringList ListedRows();
    QStringList Headings();
    /// The row of that genre id in the list; -1 when it is not listed.
    int RowOf(int id);
    void WriteGenreFile(const QStringList& lines);

    QTemporaryDir m_data;
    QString m_genreFile = m_data.filePath("GENRES.INI");
    GenresController m_genres{m_library, m_list, m_genreFile};
    RecordingListDisplay m_window;
    DrivenGenreDetails m_detailsDialog{m_genres.Details()};
};

}  // namespace sw::test
