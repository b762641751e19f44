#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "FfmpegDecoder.h"

namespace sw {

class HeldFile;

/// One open audio file whose decoded audio runs ahead of playback. A worker thread keeps a ring of
/// decoded frames filled; the mixing thread takes frames from the ring without locks, waits or
/// allocations. The file is held in the held-files register while the decoder is open.
///
/// Threads: the owner (any thread but the mixing thread) opens, seeks, starts and destroys; the
/// mixing thread calls Read, Ended and ReleaseSoon; the worker decodes.
class DecodeStream {
public:
    /// Opens and measures the file. Throws AudioFailure.
    explicit DecodeStream(const QString& path);
    ~DecodeStream();
    DecodeStream(const DecodeStream&) = delete;
    DecodeStream& operator=(const DecodeStream&) = delete;

    qint64 LengthFrames() const { return m_length.load(std::memory_order_acquire); }
    /// The frame the next Read delivers; right after a seek, its target.
    qint64 PositionFrames() const;
    /// Continues playback from the frame (clamped to the length). Throws AudioFailure when the
    /// file cannot seek or has been released.
    void SeekToFrame(qint64 frame);
    /// Fills the ring ahead of playback and starts the worker. Later calls do nothing.
    void Start();

    /// Fills frames of interleaved stereo, silence past what is ready, and returns the frames of
    /// audio. Without mayDecode a shortfall before the end is an underrun; with it the reader
    /// decodes the missing frames itself (for outputs that are not real time).
    int Read(float* interleaved, int frames, bool mayDecode);
    /// True once every frame up to the end has been read.
    bool Ended() const;
    /// Asks the worker to close the file; the stream then stays at its end.
    void ReleaseSoon() { m_releaseRequested.store(true, std::memory_order_release); }
    quint64 Underruns() const { return m_underruns.load(std::memory_order_relaxed); }

private:
    static constexpr qint64 kNoEnd = -1;

    void Produce(qint64 maxFrames);
    void FillTo(qint64 frames);
    /// Frames decoded and not yet read, counted from the latest seek. The caller holds
    /// m_decodeMutex.
    qint64 Ahead() const;
    void Publish(qint64 ringIndex, qint64 position);
    void Adopt();
    void RunWorker();
    qint64 FreeFrames() const;

    // Producer side: whoever holds m_decodeMutex.
    std::mutex m_decodeMutex;
    std::unique_ptr<HeldFile> m_held;
    std::unique_ptr<FfmpegDecoder> m_decoder;
    bool m_decoderEnded = false;
    qint64 m_producerStart = 0;  // ring index of the latest published segment

    std::vector<float> m_ring;
    qint64 m_capacity;
    std::atomic<qint64> m_write{0};
    std::atomic<qint64> m_read{0};
    std::atomic<qint64> m_endIndex{kNoEnd};  // ring index where the stream ends, once known
    std::atomic<qint64> m_length{0};

    // Where playback continues after a seek: ring index and stream position, published under a
    // sequence count (odd while being written).
    std::atomic<quint64> m_segmentSerial{0};
    std::atomic<qint64> m_segmentStart{0};
    std::atomic<qint64> m_segmentPosition{0};
    std::atomic<quint64> m_adoptedSerial{0};

    // Consumer side (mixing thread).
    qint64 m_consumerStart = 0;
    qint64 m_consumerPosition = 0;
    std::atomic<qint64> m_position{0};
    std::atomic<quint64> m_underruns{0};

    std::atomic<bool> m_releaseRequested{false};
    std::atomic<bool> m_stopping{false};
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    std::thread m_worker;
    bool m_started = false;
};

}  // namespace sw
