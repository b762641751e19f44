#pragma once

#include <optional>
#include <vector>

#include "SongLoudness.h"

namespace sw {

class Catalogue;
struct Settings;
struct TSong;

/// How levelling plays one song: the factor on its samples and where its music lies.
struct SongLevel {
    float Factor = 1.0f;
    /// The first sound and the end of the music, in milliseconds; an end of 0 is not known.
    int MusicStartMs = 0;
    int MusicEndMs = 0;
};

/// An album's loudness as a whole: the gain that brings it to the reference level and its
/// highest peak.
struct AlbumGain {
    double GainDb = 0;
    double Peak = 0;
};

/// One measured song of an album: its integrated loudness, peak and length.
struct AlbumSongLoudness {
    double Lufs = 0;
    double Peak = 0;
    double Seconds = 0;
};

/// The strongest boost levelling gives (24 dB), so that a song measured nearly silent is not
/// raised to a roar when clipping protection is off.
inline constexpr float kMaxLevellingFactor = 15.85f;

/// An album's gain from its songs' measurements: their loudness averaged as energy, each song
/// weighed by its length (songs of unknown length count once). Absent without songs.
std::optional<AlbumGain> CombineAlbumLoudness(const std::vector<AlbumSongLoudness>& songs);

/// The factor that levels a song with this stored row: mode kLoudnessTrack takes the track
/// gain, kLoudnessAlbum the album gain of the tags, else `album` (from the album's measured
/// songs), else the track gain. The pre-amp is added; with clipping protection the factor is
/// held down so that the matching peak stays at or below full scale.
float LevellingFactor(const SongLoudness& row, int mode, int preampDb, bool clipGuard,
                      const std::optional<AlbumGain>& album);

/// The song's level under the settings; absent when levelling is off, when the song has no
/// catalogue number or no stored row.
std::optional<SongLevel> ReadSongLevel(Catalogue& catalogue, const TSong& song, const Settings& settings);

}  // namespace sw
