#include "AlbumsFixture.h"

#include "core/Catalogue.h"

namespace sw::test {

AlbumsFixture::AlbumsFixture() {
    m_albums.SetDisplay(&m_albumsDisplay);
}

int AlbumsFixture::AddAlbumWith(const QString& name, int songs, const QString& artist, int present) {
    std::vector<ListedSong> listed(static_cast<std::size_t>(songs));
    const int id = AddAlbum(name, listed, artist);
    if (present >= 0) {
        m_catalogue.ExecSqlCommit("update album set numexi = " + QString::number(present) +
                                  " where albumid = " + QString::number(id));
    }
    return id;
}

int AlbumsFixture::AddGroup(const QString& name, int parentId, const QString& artist) {
    TAlbum group;
    ClearAlbum(group);
    group.AlbumName = name;
    group.ArtistName = artist;
    group.AlOrGrp = 'G';
    group.GrpId = parentId;
    m_library.albums.WriteAlbum(group);
    m_catalogue.CommitAndContinue();
    return group.AlbumId;
}

void AlbumsFixture::PutInGroup(int albumId, int groupId) {
    m_catalogue.ExecSqlCommit("update album set grpid = " + QString::number(groupId) +
                              " where albumid = " + QString::number(albumId));
}

void AlbumsFixture::SetRatingSumm(int albumId, int tenths) {
    m_catalogue.ExecSqlCommit("update album set ratingsumm = " + QString::number(tenths) +
                              " where albumid = " + QString::number(albumId));
}

int AlbumsFixture::CommittedCount(const QString& sql) {
    Catalogue other;
    m_file.Open(other);
    other.RunQuery(sql);
    const int count = other.QueryInt("ct");
    other.CloseCatalogue();
    return count;
}

int AlbumsFixture::CommittedGroupOf(int albumId) {
    Catalogue other;
    m_file.Open(other);
    other.RunQuery("select grpid from album where albumid = " + QString::number(albumId));
    const int group = other.QueryInt("grpid");
    other.CloseCatalogue();
    return group;
}

QStringList AlbumsFixture::Column(AlbumColumn column) const {
    QStringList cells;
    for (int row = 0; row < m_albums.RowCount(); ++row) {
        cells << m_albums.CellText(row, column);
    }
    return cells;
}

QStringList AlbumsFixture::Names() const {
    return Column(AlbumColumn::Name);
}

QStringList AlbumsFixture::Headings() const {
    QStringList headings;
    const RowSetModel& model = m_albums.Model();
    for (int column = 0; column < model.ColumnCount(); ++column) {
        headings << model.Column(column).caption;
    }
    return headings;
}

QString AlbumsFixture::CurrentName() const {
    return m_albums.CellText(m_albums.CurrentRow(), AlbumColumn::Name);
}

int AlbumsFixture::RowOf(const QString& name) const {
    return static_cast<int>(Names().indexOf(name));
}

}  // namespace sw::test
