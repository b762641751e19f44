#pragma once

#include <QStringList>
#include <functional>

#include "core/SongTagWriter.h"
#include "playback/AlbumSummary.h"
#include "../../core/PlaylistTestSupport.h"
#include "windows/songs/SongListController.h"

namespace sw::test {

/// A song as the list tests write it: only what the lists look at.
struct ListedSong {
    QString title = "Song";
    QString artist{};
    int albumId = 0;
    int track = 0;
    int rating = 0;
    int exi = 1;
    int genreId = kNoGenre;
    int duration = 0;
    QString year{};
    QString comment{};
    /// The stored file name; empty for "missing/<n>.mp3". A name starting with "+" names a file
    /// that is made under the music root.
    QString fn{};
};

/// What the controller told its window.
class RecordingDisplay : public SongListDisplay {
public:
    void ShowSongsWindow() override { ++shown; }
    void SaveColumnWidths() override { ++widthsSaved; }
    void ListBuilt() override { ++built; }
    void CurrentRowChanged(int row) override { currentRows << row; }
    void StateChanged() override { ++changes; }

    int shown = 0;
    int widthsSaved = 0;
    int built = 0;
    QList<int> currentRows;
    int changes = 0;
};

/// A tag writer that writes no file: it keeps the title of each song it is given and runs `onSave`
/// (when set) at that moment.
class RecordingTagWriter : public SongTagWriter {
public:
    bool SaveSongTags(TSong& song) override {
        saved << song.Title;
        if (onSave) {
            onSave(song);
        }
        return true;
    }
    void SetReportMissingFiles(bool) override {}

    QStringList saved;
    std::function<void(const TSong&)> onSave;
};

/// A throw-away catalogue with the songs list controller over it, its album check pass, and a test
/// clock set to 2024-05-10 12:00.
class SongListFixture : public PlaybackFixture {
protected:
    SongListFixture();

    int AddSong(const ListedSong& song);
    /// An album by `artist` with the songs (their album ids are filled in); returns its id.
    int AddAlbum(const QString& name, std::vector<ListedSong> songs, const QString& artist = "Ann");
    void AddGenre(int id, const QString& name);
    void AddPlaylist(int id, const QString& name, const QList<int>& songNums);
    void AddHistory(int songNum, const QString& stamp);

    /// The listed rows as their titles (empty for a row without a song).
    QStringList Titles() const;
    /// One column's cells of every row.
    QStringList Column(SongColumn column) const;
    /// The current row's title.
    QString CurrentTitle() const;

    SongListController m_list{m_library, m_playlists, m_clock};
    AlbumSummary m_summary{m_library, m_ratings};
    RecordingDisplay m_display;
};

}  // namespace sw::test
