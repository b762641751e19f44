#pragma once

#include "TagTestSupport.h"
#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongPaths.h"
#include "foundation/ScriptedDialogs.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"

namespace sw::test {

/// The tag policy over a throw-away catalogue with the genres Rock (17) and Jazz (8), the default
/// policy settings, scratch files and scripted dialogs.
class Policy : public ::testing::Test {
protected:
    Policy() {
        m_file.OpenCurrent(m_catalogue);
        m_catalogue.ExecSqlCommit("insert into genre (genreid, gname) values (17, 'Rock')");
        m_catalogue.ExecSqlCommit("insert into genre (genreid, gname) values (8, 'Jazz')");
        m_settings.MP3TAGPOLICY = 2;
        m_settings.MP3TAGREADPREFV1V2 = 2;
        m_settings.OGGTAG = true;
        m_settings.Root = m_scratch.Path("x").chopped(1);
        m_library.artists.InitVariousArtist();
    }

    /// A song record for a copy of a fixture, with details that fit an ID3v1 tag.
    TSong SongFor(const QString& fixture, const QString& name) {
        const QString path = m_scratch.Put(name, test::Fixture(fixture));
        TSong song;
        song.FullPath = path;
        song.FileName = name;
        song.FileType = FileTypeOf(path);
        song.Title = "New Title";
        song.ArtistName = "New Artist";
        song.AlbumName = "New Album";
        song.Year = "2024";
        song.Track = 5;
        song.GenreId = 17;
        song.Comment = "New comment";
        song.Rating = 3;
        return song;
    }

    bool HasV1(const QString& path) {
        const QByteArray bytes = test::ReadBytes(path);
        return bytes.size() > 128 && bytes.right(128).startsWith("TAG");
    }
    bool HasV2(const QString& path) { return test::ReadBytes(path).startsWith("ID3"); }

    test::TestCatalogue m_file;
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_policy{m_library, m_genres, m_state};
    test::ScratchDir m_scratch;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

}  // namespace sw::test
