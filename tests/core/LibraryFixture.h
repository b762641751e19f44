#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"

namespace sw::test {

/// A current catalogue, a music root with real files, and the data layer over both.
class LibraryFixture : public ::testing::Test {
protected:
    LibraryFixture() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = m_music.path() + "/";
        m_library.artists.InitVariousArtist();
        m_catalogue.CommitAndContinue();
    }

    /// A file of `bytes` bytes under the music root; returns its full path.
    QString MakeFile(const QString& relative, int bytes = 100) {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
        return path;
    }

    /// A song record for a file under the root, ready for SaveSong.
    TSong NewSong(const QString& relative, const QString& title, const QString& artist,
                  const QString& album) {
        TSong song;
        song.FileName = relative;
        song.FullPath = m_settings.Root + relative;
        song.Title = title;
        song.ArtistName = artist;
        song.ArtistId = m_library.artists.FindOrCreateArtist(artist);
        song.AlbumName = album;
        return song;
    }

    int Count(const QString& sql) {
        m_catalogue.RunQuery(sql);
        return m_catalogue.QueryInt("ct");
    }

    TestCatalogue m_file;
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    QTemporaryDir m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

}  // namespace sw::test
