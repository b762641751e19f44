#pragma once

#include <QString>

#include "foundation/Dates.h"

namespace sw {

class IniFile;

/// The program settings of section "main", named as their keys. The starting values below only
/// matter when the settings are never read; reading gives each key's own default.
struct Settings {
    int Flashinterval = 1500;
    TDateTime LastLoadedTS = 0;
    QString LoadPath;
    QString Root;
    int MP3TAGPOLICY = 2;
    int MP3TAGREADPREFV1V2 = 0;
    bool OGGTAG = false;
    int DBSIZE = 0;
    int FADETIME = 0;
    bool SHOWALNUM = false;
    bool SQUEEZERATING = false;
    bool FILTERALBUMS = false;
    int PREVIEWSOUNDCARD = 0;
    int DAYSRECENT = 0;
    bool READONLY = false;
    bool PROMPTTOREMOVE = false;
    int FILTER = 0;
    bool FADEONPAUSE = false;
    bool FADEONNEXT = false;
    bool ConfirmDevicesAtStartup = false;
    bool DoubleClickToEdit = false;
    /// The desktop's media controls reach the player over the session bus.
    bool DesktopMediaControl = false;
    /// Read Unicode ID3v2 frames and ID3v2.4 tags, and write UTF-16 frames where a text needs it.
    bool UNICODETAGS = false;
    /// The folder walk lists FLAC and Opus files too.
    bool FLACOPUS = false;
    /// The main window's volume slider, 0 to 100 per cent of the full level.
    int VOLUME = 100;
    /// The main window's mute button: silent, the slider keeping its place.
    bool MUTE = false;
    /// Loudness levelling of playback: 0 off, 1 each song to the reference level (track gain), 2
    /// each album as a whole (album gain, the track gain where a song has none).
    int LOUDNESS = 0;
    /// Added to every levelled song's gain, in dB (-15 to +15).
    int PREAMP = 0;
    /// A levelled song's gain is held down so that its stored peak stays at or below full scale.
    bool CLIPGUARD = true;
};

/// The values of LOUDNESS.
inline constexpr int kLoudnessOff = 0;
inline constexpr int kLoudnessTrack = 1;
inline constexpr int kLoudnessAlbum = 2;

inline constexpr char kSettingsSection[] = "main";

/// Reads ('G') or writes ('S') every key of section "main" in one fixed order. Either way the
/// obsolete single key "LastLoadedTS" is deleted from `file` (in memory); returns true when it was
/// there.
bool TransferSettings(char mode, Settings& settings, IniFile& file);

/// Reads the settings file at `path` ('G'; never writes) or rewrites it with the settings ('S').
/// Throws with the system's text, naming the file, when it cannot be read or written.
void TransferSettingsFile(char mode, Settings& settings, const QString& path);

/// Every setting at its key's default, as read from an empty file.
Settings DefaultSettings();

/// The settings a program folder made new starts with: the defaults, with Unicode tags read and
/// FLAC and Opus files listed. A folder whose settings file lacks those keys (an older one, or
/// one the converter made) keeps them off.
Settings NewFolderSettings();

/// Writes NewFolderSettings to `path` unless a settings file is there already; true when it
/// wrote. Throws with the system's text when it cannot.
bool WriteNewFolderSettings(const QString& path);

}  // namespace sw
