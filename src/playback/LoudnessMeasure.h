#pragma once

#include <QString>
#include <atomic>

#include "LoudnessMeter.h"
#include "SongLoudness.h"

namespace sw {

/// Decodes the file as the engine does (float stereo, 44,100 Hz) and measures it in one pass,
/// then takes the gains of its tags where they have a track gain. Reads the file only. Throws
/// AudioFailure with the decoder's text when it cannot be decoded; a set `stop` ends the decoding
/// early with std::runtime_error.
SongLoudness MeasureSongFile(const QString& path, PeakMode peakMode = PeakMode::True,
                             const std::atomic<bool>* stop = nullptr);

}  // namespace sw
