#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include <memory>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/Playlists.h"
#include "playback/QueueController.h"

namespace sw::test {

/// A stand-in for the audio output engine: it keeps the state and the queue's playing row the way
/// the engine does, without sound, and counts what the queue asked of it.
class FakePlayer : public QueuePlayer {
public:
    explicit FakePlayer(QueueController& queue) : m_queue(queue) { queue.SetPlayer(this); }

    PlaybackState State() const override { return state; }
    void StartSongAtCursor() override {
        ++starts;
        m_queue.SetNowPlayingRow(m_queue.Cursor());
        if (m_queue.SongAt(m_queue.Cursor())) {
            m_queue.MarkNowPlaying();
            state = PlaybackState::Playing;
        }
    }
    void StopPlayback() override {
        ++stops;
        m_queue.MarkPlayed();
        m_queue.SetNowPlayingRow(-1);
        state = PlaybackState::Stopped;
    }
    void PlayCommand() override {
        StopPlayback();
        StartSongAtCursor();
    }
    void SuspendTimer() override { ++suspends; }
    void ResumeTimer() override { ++resumes; }

    /// Plays the row as if the user had started it.
    void Play(int row) {
        m_queue.SetCursor(row);
        StartSongAtCursor();
    }

    PlaybackState state = PlaybackState::Stopped;
    int starts = 0;
    int stops = 0;
    int suspends = 0;
    int resumes = 0;

private:
    QueueController& m_queue;
};

/// A queue with songs whose files exist or not. Without a catalogue (the default) the catalogue is
/// never opened, which is enough for everything but the refresh; with one, songs are stored in a
/// throw-away catalogue when they are made.
struct QueueRig {
    explicit QueueRig(bool withCatalogue = false) {
        settings.PROMPTTOREMOVE = true;
        if (withCatalogue) {
            file = std::make_unique<TestCatalogue>();
            file->OpenCurrent(catalogue);
        }
    }

    /// A song numbered `number` whose file exists (or not), titled "Song <number>". With a
    /// catalogue it is stored there (numbers are given in order from 1).
    TSong Song(int number, bool exists = true) {
        TSong song;
        song.SongNum = number;
        song.Title = "Song " + QString::number(number);
        song.ArtistName = "Artist";
        song.ArtistId = 0;
        song.AlbumId = 0;
        song.Duration = 187;
        song.FileName = song.FullPath =
            SongFiles().filePath(QString("song%1%2.mp3").arg(number).arg(exists ? "" : "-gone"));
        if (exists && !QFile::exists(song.FullPath)) {
            QFile made(song.FullPath);
            made.open(QIODevice::WriteOnly);
        }
        song.Exi = exists;
        song.FileFound = exists;
        if (file) {
            library.songs.SaveSong(song);
            catalogue.CommitAndContinue();
            library.songs.FindSongByNumber(song.SongNum, song);
        }
        return song;
    }
    /// Appends songs 1..count.
    void Fill(int count) {
        for (int i = 1; i <= count; ++i) {
            queue.AppendToQueue(Song(i));
        }
    }
    /// The song numbers from the top of the queue.
    std::vector<int> Order() const {
        std::vector<int> numbers;
        for (int row = 1; row <= queue.RowCount(); ++row) {
            numbers.push_back(queue.SongAt(row)->Song().SongNum);
        }
        return numbers;
    }
    QStringList Column(QueueColumn column) const {
        QStringList cells;
        for (int row = 1; row <= queue.RowCount(); ++row) {
            cells << queue.Cell(row, column);
        }
        return cells;
    }
    /// Where the songs' files are made, shared by every rig of the test run.
    static QTemporaryDir& SongFiles() {
        static QTemporaryDir dir;
        return dir;
    }

    std::unique_ptr<TestCatalogue> file;
    Catalogue catalogue;
    Settings settings;
    Library library{catalogue, settings};
    SharedPlaylists shared;
    Playlists playlists{catalogue, shared};
    QueueController queue{library, playlists};
    FakePlayer player{queue};
};

}  // namespace sw::test
