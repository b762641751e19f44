#include "GenresFixture.h"

#include <QFile>

#include "core/Query.h"

namespace sw::test {

GenresFixture::GenresFixture() {
    m_genres.SetDisplay(&m_window);
    m_genres.Details().SetDisplay(&m_detailsDialog);
}

void GenresFixture::AddGenres(const std::vector<GenreRow>& rows) {
    Query insert(m_catalogue, "insert into genre (genreid, gname, dormant) values (:id, :name, :dormant)");
    for (const GenreRow& row : rows) {
        insert.SetInteger("id", row.id).SetText("name", row.name);
        if (row.dormant < 0) {
            insert.SetNull("dormant");
        } else {
            insert.SetInteger("dormant", row.dormant);
        }
        insert.Execute();
    }
    m_catalogue.CommitAndContinue();
}

void GenresFixture::AddNumberedGenres(int first, int last) {
    std::vector<GenreRow> rows;
    for (int id = first; id <= last; ++id) {
        rows.push_back({id, "G" + QString::number(id)});
    }
    AddGenres(rows);
}

void GenresFixture::AddSongOfGenre(int genreId) {
    ListedSong song;
    song.genreId = genreId;
    AddSong(song);
}

QStringList GenresFixture::GenreTable() {
    const RowSet rows = m_catalogue.Select("select genreid, gname, dormant from genre order by genreid");
    QStringList lines;
    for (int row = 0; row < rows.RowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column) {
            const QVariant value = rows.Value(row, column);
            cells << (value.isValid() ? value.toString() : QString("-"));
        }
        lines << cells.join(':');
    }
    return lines;
}

QStringList GenresFixture::ListedRows() {
    const RowSetModel& model = m_genres.Model();
    QStringList lines;
    for (int row = 0; row < model.RowCount(); ++row) {
        QStringList cells(3);
        for (int column = 0; column < model.ColumnCount(); ++column) {
            cells[static_cast<int>(m_genres.FieldAt(column))] = model.CellText(row, column);
        }
        lines << cells.join('|');
    }
    return lines;
}

QStringList GenresFixture::Headings() {
    const RowSetModel& model = m_genres.Model();
    QStringList captions;
    for (int column = 0; column < model.ColumnCount(); ++column) {
        captions << model.Column(column).caption;
    }
    return captions;
}

int GenresFixture::RowOf(int id) {
    for (int row = 0; row < m_genres.RowCount(); ++row) {
        if (m_genres.IdAt(row) == id) {
            return row;
        }
    }
    return -1;
}

void GenresFixture::WriteGenreFile(const QStringList& lines) {
    QFile file(m_genreFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("[genres]\n" + lines.join('\n') + "\n").toUtf8());
}

}  // namespace sw::test
