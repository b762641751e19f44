#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "SongLoudness.h"

namespace sw {

/// A gain as ReplayGain taggers write it ("-6.54 dB", "+1.2dB", "-6.54"); absent for anything
/// else, and for values no tagger would write (beyond ±64 dB).
std::optional<double> ParseReplayGainDb(const QString& text);
/// A peak as a linear value ("0.988553", "1.05"); absent for anything else, negative values and
/// values beyond 100 (no decoder clips that far above full scale).
std::optional<double> ParseReplayGainPeak(const QString& text);
/// An Opus R128 gain: a signed Q7.8 integer in the range of 16 bits, in dB towards -23 LUFS.
/// Returned as a ReplayGain gain (towards -18 LUFS), absent when it does not read.
std::optional<double> ParseR128Gain(const QString& text);

/// The gains of a list of tag fields (name, value), names in any case: REPLAYGAIN_TRACK_GAIN,
/// REPLAYGAIN_TRACK_PEAK, REPLAYGAIN_ALBUM_GAIN, REPLAYGAIN_ALBUM_PEAK, R128_TRACK_GAIN and
/// R128_ALBUM_GAIN. An R128 gain wins over a ReplayGain one of the same kind (Opus players read
/// only R128). A later field of the same name replaces an earlier one.
TagGains GainsFromFields(const std::vector<std::pair<QString, QString>>& fields);

/// The description and value of an ID3v2 TXXX frame's content (encoding byte, description,
/// value); absent when the content is too short or its encoding unknown.
std::optional<std::pair<QString, QString>> ParseTxxxContent(const QByteArray& content);

/// The ReplayGain values in a file's tags: TXXX frames of a leading ID3v2 tag, the Vorbis
/// comments of FLAC, Ogg Vorbis and Ogg Opus. Reads only; empty gains when the file has none or
/// cannot be read.
///
/// An Opus decoder applies the header's output gain itself, and R128 gains are defined on top of
/// that decoded signal, so they need no correction for the audio the engine plays.
TagGains ReadTagGains(const QString& path);

}  // namespace sw
