#include "WavWriter.h"

#include <QtEndian>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "AudioFormat.h"
#include "Gain.h"

namespace sw {

namespace {

constexpr int kHeaderBytes = 44;
constexpr int kPcmBytesPerFrame = kChannels * 2;

void Put32(char* at, quint32 value) {
    qToLittleEndian(value, at);
}
void Put16(char* at, quint16 value) {
    qToLittleEndian(value, at);
}

}  // namespace

WavWriter::WavWriter(const QString& path) : m_file(path) {
    Check(m_file.open(QIODevice::WriteOnly));
    WriteHeader();
}

void WavWriter::Check(bool ok) {
    if (!ok) {
        throw std::runtime_error(
            ("Cannot write " + m_file.fileName() + ": " + m_file.errorString()).toStdString());
    }
}

void WavWriter::WriteHeader() {
    const quint64 data = static_cast<quint64>(m_frames) * kPcmBytesPerFrame;
    if (data > 0xFFFFFFFFull - 36) {
        throw std::runtime_error("A WAV file holds at most 4 GB");
    }
    char header[kHeaderBytes];
    std::memcpy(header, "RIFF", 4);
    Put32(header + 4, static_cast<quint32>(36 + data));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, 1);  // PCM
    Put16(header + 22, kChannels);
    Put32(header + 24, kSampleRate);
    Put32(header + 28, kSampleRate * kPcmBytesPerFrame);
    Put16(header + 32, kPcmBytesPerFrame);
    Put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, static_cast<quint32>(data));
    Check(m_file.seek(0));
    Check(m_file.write(header, kHeaderBytes) == kHeaderBytes);
}

void WavWriter::Append(const float* interleaved, qint64 frames) {
    std::vector<char> bytes(static_cast<size_t>(frames) * kPcmBytesPerFrame);
    for (qint64 i = 0; i < frames * kChannels; ++i) {
        qToLittleEndian(ToPcm16(interleaved[i]), bytes.data() + i * 2);
    }
    Check(m_file.seek(kHeaderBytes + m_frames * kPcmBytesPerFrame));
    Check(m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()));
    m_frames += frames;
}

void WavWriter::Commit() {
    WriteHeader();
    Check(m_file.commit());
}

}  // namespace sw
