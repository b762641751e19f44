#include "LoudnessTags.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdint>

#include "tags/FileReader.h"
#include "tags/FlacLayout.h"
#include "tags/Id3v2Frames.h"
#include "tags/Id3v2Text.h"
#include "tags/OggLayout.h"
#include "tags/OggPages.h"
#include "tags/VorbisComments.h"

namespace sw {

namespace {

constexpr double kLargestGainDb = 64.0;
constexpr double kLargestPeak = 100.0;
// R128 gains are towards -23 LUFS, ReplayGain gains towards -18 LUFS.
constexpr double kR128ToReplayGainDb = 5.0;
// Longer than any number a tagger writes; the rest of a longer value is not read.
constexpr std::uint32_t kLongestValue = 256;

std::optional<double> ParseNumber(QString text) {
    text = text.trimmed();
    text.replace(',', '.');
    static const QRegularExpression number(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)");
    if (!number.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

enum class Field { TrackGain, TrackPeak, AlbumGain, AlbumPeak, R128Track, R128Album, Other };

Field FieldOf(const QString& name) {
    const QString upper = name.trimmed().toUpper();
    if (upper == "REPLAYGAIN_TRACK_GAIN")
        return Field::TrackGain;
    if (upper == "REPLAYGAIN_TRACK_PEAK")
        return Field::TrackPeak;
    if (upper == "REPLAYGAIN_ALBUM_GAIN")
        return Field::AlbumGain;
    if (upper == "REPLAYGAIN_ALBUM_PEAK")
        return Field::AlbumPeak;
    if (upper == "R128_TRACK_GAIN")
        return Field::R128Track;
    if (upper == "R128_ALBUM_GAIN")
        return Field::R128Album;
    return Field::Other;
}

void AddId3v2Fields(const FileReader& file, std::vector<std::pair<QString, QString>>& fields) {
    const Id3v2Layout layout = ReadId3v2Layout(file);
    if (!layout.Exists) {
        return;
    }
    for (const Id3v2Frame& frame : layout.Frames) {
        if (frame.Id != "TXXX") {
            continue;
        }
        if (const auto content = Id3v2FrameContent(frame.Data, frame.FormatFlags, layout.Version, false)) {
            if (auto field = ParseTxxxContent(*content)) {
                fields.push_back(std::move(*field));
            }
        }
    }
}

void AddCommentFields(const FileReader& file, const OggPacketPlace& place, const VorbisCommentBlock& block,
                      std::vector<std::pair<QString, QString>>& fields) {
    for (const VorbisComment& comment : block.Comments) {
        const QByteArray text =
            ReadPacketBytes(file, place, comment.Place.Offset, std::min(comment.Place.Length, kLongestValue));
        const qsizetype equals = text.indexOf('=');
        if (equals > 0) {
            fields.emplace_back(QString::fromUtf8(text.left(equals)),
                                QString::fromUtf8(text.mid(equals + 1)));
        }
    }
}

bool AddFlacFields(const FileReader& file, std::vector<std::pair<QString, QString>>& fields) {
    FlacLayout layout;
    if (!LocateFlacMetadata(file, layout)) {
        return false;
    }
    if (layout.CommentBlock >= 0) {
        const FlacBlock& block = layout.Blocks[static_cast<std::size_t>(layout.CommentBlock)];
        OggPacketPlace place;
        place.Spans.push_back({block.DataOffset(), block.Length});
        place.Size = block.Length;
        place.Complete = true;
        AddCommentFields(file, place, layout.Comments, fields);
    }
    return true;
}

bool AddOggFields(const FileReader& file, std::vector<std::pair<QString, QString>>& fields) {
    for (const OggCodec codec : {OggCodec::Vorbis, OggCodec::Opus}) {
        OggLayout layout;
        if (!LocateOggHeaders(file, layout, codec)) {
            continue;
        }
        if (layout.HasCommentHeader && layout.Walk.Packets.size() >= 2) {
            AddCommentFields(file, layout.Walk.Packets[1], layout.Comments, fields);
        }
        return true;
    }
    return false;
}

}  // namespace

std::optional<double> ParseReplayGainDb(const QString& text) {
    QString number = text.trimmed();
    if (number.endsWith("db", Qt::CaseInsensitive)) {
        number.chop(2);
    }
    const std::optional<double> value = ParseNumber(number);
    if (!value || std::fabs(*value) > kLargestGainDb) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseReplayGainPeak(const QString& text) {
    const std::optional<double> value = ParseNumber(text);
    if (!value || *value < 0 || *value > kLargestPeak) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseR128Gain(const QString& text) {
    static const QRegularExpression integer(R"(^[+-]?\d{1,6}$)");
    const QString trimmed = text.trimmed();
    if (!integer.match(trimmed).hasMatch()) {
        return std::nullopt;
    }
    const int q78 = trimmed.toInt();
    if (q78 < INT16_MIN || q78 > INT16_MAX) {
        return std::nullopt;
    }
    return q78 / 256.0 + kR128ToReplayGainDb;
}

TagGains GainsFromFields(const std::vector<std::pair<QString, QString>>& fields) {
    TagGains gains;
    std::optional<double> r128Track;
    std::optional<double> r128Album;
    for (const auto& [name, value] : fields) {
        switch (FieldOf(name)) {
            case Field::TrackGain:
                gains.TrackGain = ParseReplayGainDb(value);
                break;
            case Field::TrackPeak:
                gains.TrackPeak = ParseReplayGainPeak(value);
                break;
            case Field::AlbumGain:
                gains.AlbumGain = ParseReplayGainDb(value);
                break;
            case Field::AlbumPeak:
                gains.AlbumPeak = ParseReplayGainPeak(value);
                break;
            case Field::R128Track:
                r128Track = ParseR128Gain(value);
                break;
            case Field::R128Album:
                r128Album = ParseR128Gain(value);
                break;
            case Field::Other:
                break;
        }
    }
    if (r128Track) {
        gains.TrackGain = r128Track;
    }
    if (r128Album) {
        gains.AlbumGain = r128Album;
    }
    return gains;
}

std::optional<std::pair<QString, QString>> ParseTxxxContent(const QByteArray& content) {
    if (content.size() < 2) {
        return std::nullopt;
    }
    const int encoding = static_cast<unsigned char>(content[0]);
    if (encoding > kId3v2Utf8) {
        return std::nullopt;
    }
    const qsizetype end = Id3v2StringEnd(encoding, content, 1);
    const qsizetype terminator = (encoding == kId3v2Utf16 || encoding == kId3v2Utf16Be) ? 2 : 1;
    if (end - 1 < terminator || content.mid(end - terminator, terminator) != QByteArray(terminator, '\0')) {
        // A description without a terminator has no value.
        return std::nullopt;
    }
    QString description = DecodeId3v2String(encoding, content.mid(1, end - 1 - terminator));
    QString value = DecodeId3v2String(encoding, content.mid(end));
    // A value may carry its own terminator.
    while (value.endsWith(QChar(0))) {
        value.chop(1);
    }
    return std::make_pair(description, value);
}

TagGains ReadTagGains(const QString& path) {
    FileReader file;
    if (!file.Open(path)) {
        return {};
    }
    std::vector<std::pair<QString, QString>> fields;
    AddId3v2Fields(file, fields);
    if (!AddFlacFields(file, fields)) {
        AddOggFields(file, fields);
    }
    return GainsFromFields(fields);
}

}  // namespace sw
