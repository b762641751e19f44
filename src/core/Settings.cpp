#include "Settings.h"

#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

#include "IniFile.h"
#include "foundation/Text.h"

namespace sw {

namespace {

/// One pass over the keys: each call reads or writes one setting, depending on the mode.
class Transfer {
public:
    Transfer(char mode, IniFile& file) : m_reading(mode == 'G'), m_file(file) {}

    void Integer(const char* key, int& value, int defaultValue) {
        if (m_reading) {
            value = m_file.ReadInteger(kSettingsSection, key, defaultValue);
        } else {
            m_file.WriteInteger(kSettingsSection, key, value);
        }
    }

    void Boolean(const char* key, bool& value, bool defaultValue) {
        if (m_reading) {
            value = m_file.ReadInteger(kSettingsSection, key, defaultValue ? 1 : 0) != 0;
        } else {
            m_file.WriteString(kSettingsSection, key, value ? "1" : "0");
        }
    }

    void Text(const char* key, QString& value) {
        if (m_reading) {
            value = m_file.ReadString(kSettingsSection, key, QString());
        } else {
            m_file.WriteString(kSettingsSection, key, value);
        }
    }

    /// Kept as two integer keys: name-date (yyyymmdd, 0 for no moment) and name-time (hhmmss).
    void DateTime(const char* key, TDateTime& value) {
        const QString dateKey = QString(key) + "-date";
        const QString timeKey = QString(key) + "-time";
        if (m_reading) {
            const int date = m_file.ReadInteger(kSettingsSection, dateKey, 0);
            const int time = m_file.ReadInteger(kSettingsSection, timeKey, 0);
            value = 0;
            if (date != 0) {
                try {
                    value = StampToDateTime({DateFromNumber(date), TimeFromNumber(time)});
                } catch (const std::invalid_argument&) {
                    // An impossible stored date reads as no moment.
                }
            }
        } else {
            const DateTimeNumbers numbers = DateTimeToNumbers(value);
            m_file.WriteInteger(kSettingsSection, dateKey, numbers.date);
            m_file.WriteInteger(kSettingsSection, timeKey, numbers.time);
        }
    }

    void Delete(const char* key) {
        if (m_file.HasKey(kSettingsSection, key)) {
            m_file.DeleteKey(kSettingsSection, key);
            m_deleted = true;
        }
    }

    bool DeletedAny() const { return m_deleted; }

private:
    bool m_reading;
    IniFile& m_file;
    bool m_deleted = false;
};

}  // namespace

bool TransferSettings(char mode, Settings& s, IniFile& file) {
    Transfer t(mode, file);
    t.Integer("Flashinterval", s.Flashinterval, 800);
    t.DateTime("LastLoadedTS", s.LastLoadedTS);
    // The single-key form of an earlier layout.
    t.Delete("LastLoadedTS");
    t.Text("LoadPath", s.LoadPath);
    t.Text("Root", s.Root);
    // Stored file names are appended to the root, which is therefore a folder ending with "/".
    if (mode == 'G') {
        AddTrailingBackslash(s.Root);
    }
    t.Integer("MP3TAGPOLICY", s.MP3TAGPOLICY, 2);
    t.Integer("MP3TAGREADPREFV1V2", s.MP3TAGREADPREFV1V2, 2);
    if (s.MP3TAGREADPREFV1V2 != 1 && s.MP3TAGREADPREFV1V2 != 2) {
        s.MP3TAGREADPREFV1V2 = 1;
    }
    t.Boolean("OGGTAG", s.OGGTAG, true);
    t.Integer("DBSIZE", s.DBSIZE, 0);
    t.Integer("FADETIME", s.FADETIME, 1000);
    t.Boolean("SHOWALNUM", s.SHOWALNUM, true);
    t.Boolean("SQUEEZERATING", s.SQUEEZERATING, false);
    t.Boolean("FILTERALBUMS", s.FILTERALBUMS, false);
    t.Integer("PREVIEWSOUNDCARD", s.PREVIEWSOUNDCARD, -1);
    t.Integer("DAYSRECENT", s.DAYSRECENT, 10);
    t.Boolean("READONLY", s.READONLY, false);
    t.Boolean("PROMPTTOREMOVE", s.PROMPTTOREMOVE, true);
    t.Integer("FILTER", s.FILTER, 1);
    t.Boolean("FADEONPAUSE", s.FADEONPAUSE, false);
    t.Boolean("FADEONNEXT", s.FADEONNEXT, true);
    t.Boolean("ConfirmDevicesAtStartup", s.ConfirmDevicesAtStartup, true);
    t.Boolean("DoubleClickToEdit", s.DoubleClickToEdit, false);
    t.Boolean("DesktopMediaControl", s.DesktopMediaControl, true);
    t.Boolean("UNICODETAGS", s.UNICODETAGS, false);
    t.Boolean("FLACOPUS", s.FLACOPUS, false);
    t.Integer("VOLUME", s.VOLUME, 100);
    s.VOLUME = std::clamp(s.VOLUME, 0, 100);
    t.Boolean("MUTE", s.MUTE, false);
    t.Integer("LOUDNESS", s.LOUDNESS, kLoudnessOff);
    s.LOUDNESS = std::clamp(s.LOUDNESS, kLoudnessOff, kLoudnessAlbum);
    t.Integer("PREAMP", s.PREAMP, 0);
    s.PREAMP = std::clamp(s.PREAMP, -15, 15);
    t.Boolean("CLIPGUARD", s.CLIPGUARD, true);
    return t.DeletedAny();
}

void TransferSettingsFile(char mode, Settings& settings, const QString& path) {
    IniFile file(path);
    TransferSettings(mode, settings, file);
    // Reading never writes: the obsolete key leaves the file at the next save.
    if (mode == 'S') {
        file.Save();
    }
}

Settings DefaultSettings() {
    Settings settings;
    IniFile empty{QString()};
    TransferSettings('G', settings, empty);
    return settings;
}

Settings NewFolderSettings() {
    Settings settings = DefaultSettings();
    settings.UNICODETAGS = true;
    settings.FLACOPUS = true;
    settings.LOUDNESS = kLoudnessTrack;
    return settings;
}

bool WriteNewFolderSettings(const QString& path) {
    // A link to a missing file counts as a settings file too: nothing replaces what is there.
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        return false;
    }
    Settings settings = NewFolderSettings();
    TransferSettingsFile('S', settings, path);
    return true;
}

}  // namespace sw
