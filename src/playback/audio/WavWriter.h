#pragma once

#include <QSaveFile>
#include <QtGlobal>

namespace sw {

/// Writes interleaved float stereo at 44,100 Hz as a 16-bit PCM WAV file. The file appears
/// complete or not at all: it is written to a temporary copy and renamed over the target by
/// Commit. Throws std::runtime_error with the file system's text.
class WavWriter {
public:
    explicit WavWriter(const QString& path);
    void Append(const float* interleaved, qint64 frames);
    void Commit();
    qint64 Frames() const { return m_frames; }

private:
    void WriteHeader();
    void Check(bool ok);

    QSaveFile m_file;
    qint64 m_frames = 0;
};

}  // namespace sw
