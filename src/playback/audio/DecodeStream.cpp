#include "DecodeStream.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "AudioError.h"
#include "AudioFormat.h"
#include "tags/HeldFiles.h"

namespace sw {

namespace {

constexpr qint64 kRingFrames = qint64{1} << 16;  // 1.5 s
// The worker keeps 0.74 s ready and leaves the other half of the ring free, so that a seek always
// finds room for fresh audio while the stale audio before it still waits to be skipped.
constexpr qint64 kTargetFill = qint64{1} << 15;
constexpr qint64 kPrefill = qint64{1} << 13;
constexpr qint64 kChunk = 4096;
// The ring still holds 0.37 s when the worker tops it up: a worker kept from a core, or a file
// slow to read, for that long after its wake-up still makes no gap.
constexpr auto kWorkerPoll = std::chrono::milliseconds(50);

}  // namespace

DecodeStream::DecodeStream(const QString& path)
    : m_held(std::make_unique<HeldFile>(path)),
      m_decoder(std::make_unique<FfmpegDecoder>(path)),
      m_ring(static_cast<size_t>(kRingFrames) * kChannels),
      m_capacity(kRingFrames) {
    m_length.store(m_decoder->LengthFrames(), std::memory_order_release);
}

DecodeStream::~DecodeStream() {
    {
        std::lock_guard lock(m_wakeMutex);
        m_stopping.store(true);
    }
    m_wake.notify_all();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

qint64 DecodeStream::PositionFrames() const {
    if (m_segmentSerial.load(std::memory_order_acquire) != m_adoptedSerial.load(std::memory_order_acquire)) {
        // The reader has not come to the latest seek yet.
        return m_segmentPosition.load(std::memory_order_acquire);
    }
    return m_position.load(std::memory_order_acquire);
}

void DecodeStream::SeekToFrame(qint64 frame) {
    {
        std::lock_guard lock(m_decodeMutex);
        if (!m_decoder) {
            throw AudioFailure(AudioError::Handle, "The stream's file has been released");
        }
        m_decoder->SeekToFrame(frame);
        m_decoderEnded = false;
        m_endIndex.store(kNoEnd, std::memory_order_release);
        Publish(m_write.load(std::memory_order_relaxed), m_decoder->PositionFrames());
        if (m_started) {
            FillTo(kPrefill);
        }
    }
    m_wake.notify_all();
}

void DecodeStream::Start() {
    {
        std::lock_guard lock(m_decodeMutex);
        if (m_started) {
            return;
        }
        m_started = true;
        FillTo(kPrefill);
    }
    m_worker = std::thread(&DecodeStream::RunWorker, this);
}

void DecodeStream::Publish(qint64 ringIndex, qint64 position) {
    const quint64 serial = m_segmentSerial.load(std::memory_order_relaxed);
    m_segmentSerial.store(serial + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    m_segmentStart.store(ringIndex, std::memory_order_relaxed);
    m_segmentPosition.store(position, std::memory_order_relaxed);
    m_segmentSerial.store(serial + 2, std::memory_order_release);
    m_producerStart = ringIndex;
}

qint64 DecodeStream::FreeFrames() const {
    return m_capacity - (m_write.load(std::memory_order_relaxed) - m_read.load(std::memory_order_acquire));
}

// Decodes one chunk into the ring. The caller holds m_decodeMutex.
void DecodeStream::Produce(qint64 maxFrames) {
    if (!m_decoder || m_decoderEnded) {
        return;
    }
    const qint64 write = m_write.load(std::memory_order_relaxed);
    const qint64 wanted = std::min({maxFrames, FreeFrames(), kChunk});
    if (wanted <= 0) {
        return;
    }
    const qint64 offset = write & (m_capacity - 1);
    const qint64 first = std::min(wanted, m_capacity - offset);
    qint64 got = 0;
    try {
        got = m_decoder->Read(m_ring.data() + offset * kChannels, static_cast<int>(first));
        if (got == first && wanted > first) {
            got += m_decoder->Read(m_ring.data(), static_cast<int>(wanted - first));
        }
    } catch (const AudioFailure&) {
        // A stream that cannot go on decoding ends where it is.
    }
    m_write.store(write + got, std::memory_order_release);
    m_length.store(m_decoder->LengthFrames(), std::memory_order_release);
    if (got < wanted) {
        m_decoderEnded = true;
        m_endIndex.store(write + got, std::memory_order_release);
    }
}

qint64 DecodeStream::Ahead() const {
    return m_write.load(std::memory_order_relaxed) -
           std::max(m_read.load(std::memory_order_acquire), m_producerStart);
}

void DecodeStream::FillTo(qint64 frames) {
    while (m_decoder && !m_decoderEnded) {
        const qint64 write = m_write.load(std::memory_order_relaxed);
        const qint64 ahead = Ahead();
        if (ahead >= frames) {
            return;
        }
        Produce(frames - ahead);
        if (m_write.load(std::memory_order_relaxed) == write) {
            return;
        }
    }
}

void DecodeStream::RunWorker() {
    while (!m_stopping.load()) {
        {
            std::lock_guard lock(m_decodeMutex);
            if (m_releaseRequested.load(std::memory_order_acquire) && m_decoder) {
                m_decoder.reset();
                m_held.reset();
                if (!m_decoderEnded) {
                    m_decoderEnded = true;
                    m_endIndex.store(m_write.load(std::memory_order_relaxed), std::memory_order_release);
                }
            }
            // Decoding in batches rather than a frame's worth per wake-up keeps the worker cheap.
            if (Ahead() < kTargetFill / 2) {
                FillTo(kTargetFill);
            }
        }
        std::unique_lock lock(m_wakeMutex);
        m_wake.wait_for(lock, kWorkerPoll, [this] { return m_stopping.load(); });
    }
}

void DecodeStream::Adopt() {
    const quint64 serial = m_segmentSerial.load(std::memory_order_acquire);
    if (serial == m_adoptedSerial.load(std::memory_order_relaxed) || (serial & 1) != 0) {
        return;
    }
    const qint64 start = m_segmentStart.load(std::memory_order_relaxed);
    const qint64 position = m_segmentPosition.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (m_segmentSerial.load(std::memory_order_relaxed) != serial) {
        return;
    }
    qint64 read = m_read.load(std::memory_order_relaxed);
    if (read < start) {
        read = start;
        m_read.store(read, std::memory_order_release);
    }
    m_consumerStart = start;
    m_consumerPosition = position;
    m_position.store(position + (read - start), std::memory_order_release);
    m_adoptedSerial.store(serial, std::memory_order_release);
}

int DecodeStream::Read(float* interleaved, int frames, bool mayDecode) {
    Adopt();
    qint64 read = m_read.load(std::memory_order_relaxed);
    int done = 0;
    bool shortfall = false;
    while (done < frames) {
        const qint64 write = m_write.load(std::memory_order_acquire);
        if (write == read) {
            const qint64 end = m_endIndex.load(std::memory_order_acquire);
            if (end != kNoEnd && read >= end) {
                break;
            }
            if (mayDecode) {
                m_read.store(read, std::memory_order_release);
                std::lock_guard lock(m_decodeMutex);
                Produce(frames - done);
                if (m_write.load(std::memory_order_acquire) != write || m_decoderEnded) {
                    continue;
                }
            }
            shortfall = true;
            break;
        }
        const qint64 offset = read & (m_capacity - 1);
        const qint64 count =
            std::min({write - read, static_cast<qint64>(frames - done), m_capacity - offset});
        std::memcpy(interleaved + static_cast<size_t>(done) * kChannels, m_ring.data() + offset * kChannels,
                    static_cast<size_t>(count) * kBytesPerFrame);
        read += count;
        done += static_cast<int>(count);
    }
    m_read.store(read, std::memory_order_release);
    std::memset(interleaved + static_cast<size_t>(done) * kChannels, 0,
                static_cast<size_t>(frames - done) * kBytesPerFrame);
    if (shortfall) {
        m_underruns.fetch_add(1, std::memory_order_relaxed);
    }
    m_position.store(m_consumerPosition + (read - m_consumerStart), std::memory_order_release);
    return done;
}

bool DecodeStream::Ended() const {
    const qint64 end = m_endIndex.load(std::memory_order_acquire);
    return end != kNoEnd && m_read.load(std::memory_order_acquire) >= end;
}

}  // namespace sw
