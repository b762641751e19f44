#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "foundation/Text.h"
#include "maintenance/HealthCheck.h"
#include "tags/GenreLookup.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/TagPolicy.h"

/// Readable failure messages for Qt text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace sw::test {

/// Names a parameterised case by its `name` member.
struct ByName {
    template <class Info>
    std::string operator()(const Info& info) const {
        return info.param.name;
    }
};

/// Records what the check shows and lets a test act between two rows.
class RecordingDisplay : public HealthCheckDisplay {
public:
    void ShowCheckWindow() override { ++shown; }
    void ReportCleared() override { lines.clear(); }
    void LineAdded(const QString& line) override { lines << line; }
    void ProgressChanged() override { ++progressChanges; }
    void StateChanged() override {}
    void PumpEvents() override {
        ++pumps;
        if (onPump) {
            onPump(pumps);
        }
    }

    int shown = 0;
    int pumps = 0;
    int progressChanges = 0;
    QStringList lines;
    std::function<void(int)> onPump;
};

/// Tags an MP3 file is given; an empty year with no other text means no tag of that kind.
struct Mp3Tags {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    int genre = 255;
};

/// A current catalogue with two genres, a music root with real files, and a health check over
/// both, reading and writing tags under the settings of the test.
class CheckFixture : public ::testing::Test {
protected:
    CheckFixture() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = m_music.path() + "/";
        m_settings.MP3TAGPOLICY = 2;
        m_settings.MP3TAGREADPREFV1V2 = 2;
        m_library.artists.InitVariousArtist();
        m_catalogue.ExecSql("insert into genre (genreid, gname, dormant) values (17, 'Rock', 0)");
        m_catalogue.ExecSql("insert into genre (genreid, gname, dormant) values (8, 'Jazz', null)");
        m_catalogue.CommitAndContinue();
        m_check.SetDisplay(&m_display);
    }

    static QByteArray Fixture(const QString& name) {
        QFile file(QString(SW_SOURCE_DIR) + "/tests/fixtures/" + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    }

    static QByteArray ReadBytesOf(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }

    /// A file under the music root with these bytes; returns its full path.
    QString Put(const QString& relative, const QByteArray& bytes) {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    /// An MP3 file without tags, then given the ID3v2 and ID3v1 tags asked for.
    QString Mp3(const QString& relative, const Mp3Tags* v2, const Mp3Tags* v1 = nullptr) {
        const QString path = Put(relative, Fixture("plain.mp3"));
        if (v2) {
            TID3v2 tag(m_state);
            tag.SetTitle(v2->title);
            tag.SetArtist(v2->artist);
            tag.SetAlbum(v2->album);
            tag.SetYear(v2->year);
            tag.SetComment(v2->comment);
            tag.SetGenre(m_genres.GenreNameById(v2->genre));
            EXPECT_TRUE(tag.Save(path));
        }
        if (v1) {
            TSong song;
            song.FullPath = path;
            song.FileType = "MP3";
            song.Title = v1->title;
            song.ArtistName = v1->artist;
            song.AlbumName = v1->album;
            song.Year = v1->year;
            song.Comment = v1->comment;
            song.GenreId = static_cast<std::uint8_t>(v1->genre);
            EXPECT_TRUE(WriteId3v1(song, 1));
        }
        return path;
    }

    /// A SONG row exactly as given (no file is looked at); returns its number.
    int AddSong(const QString& fn, const QString& year = QString(), int exi = 1, qint64 size = 0,
                int albumId = 0, int genreId = 255, int rating = 0) {
        const int songNum = m_catalogue.NextSongNum();
        Query insert(
            m_catalogue,
            "insert into song (songnum, fn, \"year\", exi, \"size\", albumid, genreid, rating, title, "
            "createts) values (:songnum, :fn, :year, :exi, :size, :albumid, :genreid, :rating, :title, "
            ":createts)");
        insert.SetInteger("songnum", songNum)
            .SetText("fn", fn)
            .SetText("year", year)
            .SetInteger("exi", exi)
            .SetInteger("size", size)
            .SetInteger("albumid", albumId)
            .SetInteger("genreid", genreId)
            .SetInteger("rating", rating)
            .SetText("title", "Song " + QString::number(songNum))
            .SetTimestamp("createts", DateToDateTime({2024, 5, 6}) + 0.5)
            .Execute();
        m_catalogue.CommitAndContinue();
        return songNum;
    }

    /// A song row for a file under the music root, with its true size.
    int AddSongFor(const QString& path, const QString& year = QString(), int albumId = 0, int genreId = 255) {
        return AddSong(QDir(m_music.path()).relativeFilePath(path), year, 1, QFileInfo(path).size(), albumId,
                       genreId);
    }

    void AddAlbum(int id, const QString& name, int numExi, const char* alOrGrp = "'A'") {
        m_catalogue.ExecSql("insert into album (albumid, alname, numexi, alorgrp) values (" +
                            QString::number(id) + ", " + SqlQuote(name) + ", " + QString::number(numExi) +
                            ", " + alOrGrp + ")");
        m_catalogue.CommitAndContinue();
    }

    int IntOf(const QString& sql) { return m_catalogue.Select(sql).Int("V"); }
    QString TextOf(const QString& sql) { return m_catalogue.Select(sql).Text("V"); }

    /// The problem lines of the last run that contain `part`.
    QStringList LinesWith(const QString& part) const { return m_check.Report().filter(part); }

    /// What the tag reader now finds in the file.
    TSong ReadBack(const QString& path) {
        TSong song;
        m_reader.ReadSongFromFile(path, song, ResolveMode::None);
        return song;
    }

    TestCatalogue m_file;
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_reader{m_library, m_genres, m_state};
    QTemporaryDir m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    RecordingDisplay m_display;
    HealthCheck m_check{m_library, m_reader};
};

}  // namespace sw::test
