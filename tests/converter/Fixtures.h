#pragma once

#include <QString>

#include "ParadoxWriter.h"

namespace sw::test {

/// The committed fixtures: tests/fixtures/paradox (tables for the reader) and tests/fixtures/legacy
/// (a previous edition's folder for the converter). make_paradox_fixtures writes them from here.
QString FixturesFolder();

/// Tables of every version and field type the reader handles, each written to `folder`.
struct ReaderFixture {
    const char* file;
    TableLayout layout;
};
std::vector<ReaderFixture> ReaderFixtures();

/// A previous edition's folder: "SonWick.EXE", "Data/" with SONWICK.INI and the five tables, and a
/// Windows-1252 "NPAD.TXT". Its songs have artists differing only in case and an empty artist; an
/// album artist no song carries; an apostrophe and an accent in the catalogue name.
void WriteLegacyFolder(const QString& folder);

/// The legacy tables with `songs` generated songs (and as many playlist entries as `entries`), for
/// the benchmark. Artists, albums and playlists are one for every ten songs.
void WriteGeneratedLegacyFolder(const QString& folder, int songs, int entries);

}  // namespace sw::test
