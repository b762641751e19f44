#pragma once

#include <QStringList>

#include "../main/LibraryListFixture.h"
#include "../songs/SongListFixture.h"
#include "windows/albums/AlbumsController.h"

namespace sw::test {

/// A throw-away catalogue with the albums controller over the songs list, and a recording display.
class AlbumsFixture : public SongListFixture {
protected:
    AlbumsFixture();

    /// An album with `songs` songs (their files missing) and NUMEXI set to `present`; -1 for all.
    int AddAlbumWith(const QString& name, int songs, const QString& artist = "Ann", int present = -1);
    int AddGroup(const QString& name, int parentId = 0, const QString& artist = {});
    void PutInGroup(int albumId, int groupId);
    void SetRatingSumm(int albumId, int tenths);
    /// GRPID of the row as another connection sees it: what has been committed.
    int CommittedGroupOf(int albumId);
    /// The number of rows another connection sees for `sql`, a count named "ct".
    int CommittedCount(const QString& sql);

    /// The "Name" cells of the list in order.
    QStringList Names() const;
    QStringList Column(AlbumColumn column) const;
    QStringList Headings() const;
    QString CurrentName() const;
    int RowOf(const QString& name) const;

    AlbumsController m_albums{m_library, m_list};
    RecordingListDisplay m_albumsDisplay;
};

}  // namespace sw::test
