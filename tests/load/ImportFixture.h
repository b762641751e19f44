#pragma once

// The throw-away catalogue, music folder and load run the import tests share.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadController.h"
#include "load/LoadRun.h"
#include "tags/GenreLookup.h"
#include "tags/Id3v2.h"
#include "tags/TagPolicy.h"

namespace sw::test {

inline QByteArray FixtureBytes(const QString& name) {
    QFile file(QString(SW_SOURCE_DIR) + "/tests/fixtures/" + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

class Import : public ::testing::Test {
protected:
    Import() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = m_music.path() + "/";
        m_settings.MP3TAGREADPREFV1V2 = 2;
        m_library.artists.InitVariousArtist();
        m_catalogue.CommitAndContinue();
    }

    /// An MP3 under the music root with an ID3v2.3 tag of these details.
    QString Tagged(const QString& relative, const QString& title, const QString& artist, const QString& album,
                   int track = 1) {
        const QString path = Put(relative, FixtureBytes("plain.mp3"));
        TID3v2 tag(m_state);
        tag.SetTitle(title);
        tag.SetArtist(artist);
        tag.SetAlbum(album);
        tag.SetTrack(static_cast<std::uint8_t>(track));
        EXPECT_TRUE(tag.Save(path));
        return path;
    }

    QString Put(const QString& relative, const QByteArray& bytes) {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    void LoadFiles(const QStringList& paths, bool loadAll = true) {
        m_run.StartLoadRun(loadAll);
        for (const QString& path : paths) {
            m_run.ImportFile(path);
            m_run.CommitAndContinue();
        }
        m_run.FinishLoadRun();
    }

    int Count(const QString& sql) {
        m_catalogue.RunQuery(sql);
        return m_catalogue.QueryInt("ct");
    }

    /// The count as another program would see it: committed rows only.
    int Committed(const QString& sql) {
        if (!m_other.IsOpen()) {
            m_file.Open(m_other);
        }
        m_other.CommitAndContinue();
        return m_other.Select(sql).Int("CT");
    }

    /// Lists the music folder (with subfolders, all files, each looked up for "Skip if already
    /// loaded") and loads the list.
    void LoadAllThroughTheWindow(LoadController& controller) {
        controller.ListFilesToLoad(m_music.path(), true, true);
        controller.ListFilesToLoad(m_music.path(), true, false);
        m_dialogs.QueueAnswer("Yes");
        controller.LoadAllListed();
    }

    test::TestCatalogue m_file;
    Catalogue m_other;
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_policy{m_library, m_genres, m_state};
    LoadRun m_run{m_library, m_policy};
    QTemporaryDir m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

}  // namespace sw::test
