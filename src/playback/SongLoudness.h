#pragma once

#include <optional>

namespace sw {

/// ReplayGain values as tags carry them: gains in dB towards the ReplayGain reference (-18 LUFS),
/// peaks as linear sample values (1.0 full scale). Each is absent when the tags lack it or hold
/// something that does not read as a number.
struct TagGains {
    std::optional<double> TrackGain;
    std::optional<double> TrackPeak;
    std::optional<double> AlbumGain;
    std::optional<double> AlbumPeak;

    bool HasTrackGain() const { return TrackGain.has_value(); }
    bool operator==(const TagGains&) const = default;
};

/// What one pass over a song's audio finds.
struct AudioMeasurement {
    /// EBU R128 integrated loudness in LUFS; absent for audio that is silent throughout.
    std::optional<double> IntegratedLufs;
    /// The highest peak as a linear value (true peak when it was measured so, else sample peak).
    double Peak = 0;
    /// The first and one past the last millisecond above the silence level; both 0 for a song
    /// that never rises above it.
    int MusicStartMs = 0;
    int MusicEndMs = 0;
    /// Length of the audio measured.
    double Seconds = 0;
};

/// Where the stored gains come from.
enum class LoudnessSource { Tag, Measured };

/// One SONGLOUDNESS row.
struct SongLoudness {
    /// Gains for playback: from the tags where they have a track gain, else from the measurement.
    TagGains Gains;
    LoudnessSource Source = LoudnessSource::Measured;
    AudioMeasurement Measured;
};

/// The ReplayGain reference loudness: a track gain brings a song to this level.
inline constexpr double kReplayGainReferenceLufs = -18.0;

/// A stored row from a song's tags and one measurement of its audio.
SongLoudness CombineLoudness(const TagGains& tags, const AudioMeasurement& measured);

}  // namespace sw
