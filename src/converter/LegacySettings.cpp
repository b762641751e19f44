#include "LegacySettings.h"

#include <QFile>
#include <QTemporaryFile>
#include <stdexcept>

#include "core/IniFile.h"
#include "tags/TagText.h"

namespace sw {

namespace {

constexpr char kSection[] = "main";

bool ReadFlag(const IniFile& ini, const QString& key, bool defaultValue) {
    return ini.ReadInteger(kSection, key, defaultValue ? 1 : 0) != 0;
}

}  // namespace

QString LegacyPath(QString path) {
    return path.replace('\\', '/');
}

LegacySettings ReadLegacySettings(const QString& path) {
    LegacySettings settings;
    QFile file(path);
    if (!file.exists()) {
        return settings;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(("Cannot read " + path + ": " + file.errorString()).toStdString());
    }
    // The settings reader takes UTF-8; the previous edition wrote the system's 8-bit code page.
    QTemporaryFile utf8;
    if (!utf8.open() || utf8.write(DecodeWindows1252(file.readAll()).toUtf8()) < 0 || !utf8.flush()) {
        throw std::runtime_error(("Cannot read " + path + ": " + utf8.errorString()).toStdString());
    }
    const IniFile ini(utf8.fileName());
    settings.DBName = ini.ReadString(kSection, "DBName", QString());
    settings.Root = LegacyPath(ini.ReadString(kSection, "Root", QString()));
    settings.DBvn = ini.ReadInteger(kSection, "DBvn", 101);
    settings.MP3ID3V1 = ReadFlag(ini, "MP3ID3V1", true);
    settings.MP3ID3V2 = ReadFlag(ini, "MP3ID3V2", false);
    settings.OGGTAG = ReadFlag(ini, "OGGTAG", true);
    settings.DBSIZE = ini.ReadInteger(kSection, "DBSIZE", 0);
    settings.FADETIME = ini.ReadInteger(kSection, "FADETIME", 1000);
    settings.SHOWALNUM = ReadFlag(ini, "SHOWALNUM", true);
    return settings;
}

void WriteTargetSettings(const LegacySettings& settings, const QString& path) {
    IniFile ini(path);
    ini.WriteString(kSection, "DBName", settings.DBName);
    ini.WriteString(kSection, "Root", settings.Root);
    ini.WriteInteger(kSection, "DBvn", -1);
    ini.WriteInteger(kSection, "MP3ID3V1", settings.MP3ID3V1 ? 1 : 0);
    ini.WriteInteger(kSection, "MP3ID3V2", settings.MP3ID3V2 ? 1 : 0);
    ini.WriteInteger(kSection, "OGGTAG", settings.OGGTAG ? 1 : 0);
    ini.WriteInteger(kSection, "DBSIZE", settings.DBSIZE);
    ini.WriteInteger(kSection, "FADETIME", settings.FADETIME);
    ini.WriteInteger(kSection, "SHOWALNUM", settings.SHOWALNUM ? 1 : 0);
    // A converted catalogue reads tags as the previous edition did, whatever a new program
    // folder would start with.
    ini.WriteString(kSection, "UNICODETAGS", "0");
    ini.WriteString(kSection, "FLACOPUS", "0");
    // Nor is its playback levelled until the user asks for it.
    ini.WriteString(kSection, "LOUDNESS", "0");
    ini.Save();
}

}  // namespace sw
