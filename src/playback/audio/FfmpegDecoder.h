#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace sw {

/// Decodes one audio file (MP3, OGG, WAV, M4A, WMA and whatever else FFmpeg reads) into
/// interleaved float stereo at 44,100 Hz. The only place that talks to FFmpeg.
///
/// Opening measures the exact length: from the container where it counts samples (WAV, Ogg,
/// MP4), otherwise by reading every packet of the file once (which also makes later seeks exact).
/// A file that holds no decodable audio fails to open. Not thread-safe; one user at a time.
class FfmpegDecoder {
public:
    /// Throws AudioFailure (FileOpen, FileForm or Codec) with FFmpeg's text.
    explicit FfmpegDecoder(const QString& path);
    ~FfmpegDecoder();
    FfmpegDecoder(FfmpegDecoder&&) noexcept;
    FfmpegDecoder& operator=(FfmpegDecoder&&) noexcept;

    /// Frames the stream delivers from start to end. May shrink once, when decoding reaches an
    /// end earlier than the container promised (a truncated file).
    qint64 LengthFrames() const;
    /// Frames delivered since the start, counting a seek as delivery up to its target.
    qint64 PositionFrames() const;
    /// Fills up to maxFrames frames; returns how many. 0 means the end of the stream.
    int Read(float* interleaved, int maxFrames);
    /// Continues from the given frame (clamped to the length), exact to the frame wherever the
    /// format's timestamps allow. Throws AudioFailure (Position) when the file cannot seek at all.
    void SeekToFrame(qint64 frame);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

/// The FFmpeg libraries the program runs with, as they report themselves: the release and the
/// versions of libavformat, libavcodec and libswresample.
QString FfmpegVersion();

}  // namespace sw
