#pragma once

#include "../main/LibraryListFixture.h"
#include "../songs/SongListFixture.h"
#include "core/Catalogue.h"
#include "windows/artists/ArtistsController.h"

namespace sw::test {

/// A throw-away catalogue with the artists window's controller over it and the songs list it
/// hands artists to.
class ArtistsFixture : public SongListFixture {
protected:
    ArtistsFixture() { m_artists.SetDisplay(&m_shown); }
    ~ArtistsFixture() override { m_artists.SetDisplay(nullptr); }

    /// An artist row without songs.
    int AddArtist(const QString& name) {
        const int id = m_library.artists.InsertArtist(name);
        m_catalogue.CommitAndContinue();
        return id;
    }
    /// `count` songs by the artist (created when missing); returns its id.
    int AddArtistWithSongs(const QString& name, int count, int rating = 0) {
        for (int song = 0; song < count; ++song) {
            ListedSong listed;
            listed.title = name + " song " + QString::number(song + 1);
            listed.artist = name;
            listed.rating = rating;
            AddSong(listed);
        }
        return m_library.artists.FindArtistByName(name);
    }
    bool ArtistExists(int id) {
        TArtist artist;
        return m_library.artists.FindArtistById(id, artist);
    }
    /// The listed rows as "name" or, with the song count shown, "name:count".
    QStringList Listed() const {
        QStringList rows;
        const RowSetModel& model = m_artists.Model();
        for (int row = 0; row < model.RowCount(); ++row) {
            rows << model.RowTexts(row).join(':');
        }
        return rows;
    }
    QString CurrentName() const { return m_artists.ArtistNameAt(m_artists.CurrentRow()); }
    int RowOf(const QString& name) const {
        for (int row = 0; row < m_artists.RowCount(); ++row) {
            if (m_artists.ArtistNameAt(row) == name) {
                return row;
            }
        }
        ADD_FAILURE() << "no row " << name.toStdString();
        return -1;
    }

    ArtistsController m_artists{m_library, m_list, m_clock};
    RecordingListDisplay m_shown;
};

}  // namespace sw::test
