#pragma once

#include <gtest/gtest.h>

#include <QString>

#include "AlbumsFixture.h"

namespace sw::test {

inline const QString kReadOnly =
    "Cannot make changes, database is read-only\\n( see menu option \"Database\")";

/// The albums fixture with the helpers the controller's tests share: an album's year, and the
/// collapsed list brought to an album's row.
class Albums : public AlbumsFixture {
protected:
    void SetYear(int albumId, const QString& year) {
        m_catalogue.ExecSqlCommit("update album set \"year\" = '" + year +
                                  "' where albumid = " + QString::number(albumId));
    }
    /// The collapsed list of the group's parent level, with the cursor on the row (albums and
    /// groups alike).
    void Reach(int albumId) {
        TAlbum album;
        ASSERT_TRUE(m_library.albums.FindAlbumById(albumId, album));
        m_albums.SetView(AlbumView::Collapsed);
        while (m_albums.InsideGroup()) {
            m_albums.Back();
        }
        if (m_albums.HideUngrouped()) {
            m_albums.ToggleHideUngrouped();
        }
        if (album.GrpId > 0) {
            m_albums.ShowAlbumGroupAt(album.GrpId, albumId);
        } else {
            m_albums.RefreshAlbumList(albumId);
        }
        ASSERT_EQ(m_albums.CurrentAlbumId(), albumId);
    }
};

}  // namespace sw::test
