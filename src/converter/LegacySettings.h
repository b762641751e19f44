#pragma once

#include <QString>

namespace sw {

/// The settings of the previous edition (section "main" of its SONWICK.INI) that the converter
/// carries over, named as their keys.
struct LegacySettings {
    QString DBName;
    QString Root;
    int DBvn = 101;
    bool MP3ID3V1 = true;
    bool MP3ID3V2 = false;
    bool OGGTAG = true;
    int DBSIZE = 0;
    int FADETIME = 1000;
    bool SHOWALNUM = true;
};

/// The catalogue version of the previous edition that the converter reads.
inline constexpr int kLegacyCatalogueVersion = 300;

/// Reads the previous edition's settings file, a Windows-1252 text; a missing file or key gives the
/// defaults. The music root gets "/" for "\". Throws when the file cannot be read.
LegacySettings ReadLegacySettings(const QString& path);

/// Writes the carried-over keys into section "main" of the jukebox's settings file, keeping the
/// other keys there. `DBvn` is written as -1: the jukebox keeps its catalogue version in the catalogue.
void WriteTargetSettings(const LegacySettings& settings, const QString& path);

/// A relative file name of the previous edition ("Rock\a.mp3") with "/" for "\".
QString LegacyPath(QString path);

}  // namespace sw
