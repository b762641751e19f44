#include "LoudnessMeasure.h"

#include <stdexcept>
#include <vector>

#include "playback/audio/FfmpegDecoder.h"
#include "LoudnessTags.h"

namespace sw {

namespace {

constexpr int kChannels = 2;
constexpr int kSampleRate = 44100;
constexpr int kChunkFrames = 8192;

}  // namespace

SongLoudness CombineLoudness(const TagGains& tags, const AudioMeasurement& measured) {
    SongLoudness row;
    row.Measured = measured;
    if (tags.HasTrackGain()) {
        row.Source = LoudnessSource::Tag;
        row.Gains = tags;
        return row;
    }
    // Album values in tags without a track gain are kept; the track's come from the measurement.
    row.Source = LoudnessSource::Measured;
    row.Gains.AlbumGain = tags.AlbumGain;
    row.Gains.AlbumPeak = tags.AlbumPeak;
    if (measured.IntegratedLufs) {
        row.Gains.TrackGain = kReplayGainReferenceLufs - *measured.IntegratedLufs;
    }
    row.Gains.TrackPeak = measured.Peak;
    return row;
}

SongLoudness MeasureSongFile(const QString& path, PeakMode peakMode, const std::atomic<bool>* stop) {
    FfmpegDecoder decoder(path);
    LoudnessMeter meter(kChannels, kSampleRate, peakMode);
    std::vector<float> buffer(static_cast<std::size_t>(kChunkFrames) * kChannels);
    while (const int frames = decoder.Read(buffer.data(), kChunkFrames)) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            throw std::runtime_error("loudness: measuring stopped");
        }
        meter.Add(buffer.data(), frames);
    }
    return CombineLoudness(ReadTagGains(path), meter.Result());
}

}  // namespace sw
