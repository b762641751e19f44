#include "FfmpegDecoder.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "AudioError.h"
#include "AudioFormat.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace sw {

namespace {

QString ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct ResamplerFreer {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

// Decoder messages about damaged frames would otherwise go to the terminal of the program.
void QuietenLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

// Containers whose stored duration counts samples exactly (and already leaves out encoder delay
// and padding); for the others the packets are counted.
bool ContainerCountsSamples(const AVFormatContext* format) {
    const char* name = format->iformat->name;
    return std::strcmp(name, "wav") == 0 || std::strcmp(name, "ogg") == 0 ||
           std::strcmp(name, "mov,mp4,m4a,3gp,3g2,mj2") == 0 || std::strcmp(name, "aiff") == 0 ||
           std::strcmp(name, "flac") == 0;
}

bool IsPcm(AVCodecID id) {
    return id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

// Lossy decoders need some audio before a seek target to rebuild their state (overlap, bit
// reservoir); uncompressed audio lands exactly.
constexpr qint64 kSeekPreroll = kSampleRate / 4;
// An Ogg page carries the time of its end. Entered directly, the last page's packets are dated
// too late by the padding trimmed from its end, so a seek near the end starts before that page.
constexpr qint64 kOggTailGuard = 10 * kSampleRate;

// Give up on a file that yields nothing but damaged packets for this long.
constexpr int kMaxConsecutiveErrors = 500;

}  // namespace

struct FfmpegDecoder::Impl {
    FormatPtr format;
    CodecPtr codec;
    ResamplerPtr resampler;
    PacketPtr packet{av_packet_alloc()};
    FramePtr frame{av_frame_alloc()};
    int streamIndex = -1;
    AVRational timeBase{1, 1};

    // What the resampler was configured for; a change mid-stream rebuilds it.
    int resamplerRate = 0;
    int resamplerFormat = -1;
    AVChannelLayout resamplerLayout{};

    qint64 length = 0;
    qint64 position = 0;
    qint64 origin = AV_NOPTS_VALUE;  // timestamp of the first frame, in the stream's time base
    qint64 nextFramePosition = 0;    // where the next decoded frame starts
    bool landing = false;            // the next frame is the first after a container seek

    std::vector<float> pending;  // decoded, not yet delivered
    size_t pendingOffset = 0;    // in frames
    bool flushSent = false;
    bool ended = false;
    int consecutiveErrors = 0;

    ~Impl() { av_channel_layout_uninit(&resamplerLayout); }

    bool IsOgg() const { return std::strcmp(format->iformat->name, "ogg") == 0; }
    size_t PendingFrames() const { return pending.size() / kChannels - pendingOffset; }

    void DropPending() {
        pending.clear();
        pendingOffset = 0;
    }

    void Open(const QString& path);
    void MeasureLength();
    qint64 CountPacketSamples(bool* complete);
    qint64 CountDecodedFrames();
    void SeekContainer(qint64 timestamp);
    void Restart();
    bool DecodeMore();
    bool Convert(const AVFrame* source);
    bool FlushResampler();
    void ConfigureResampler(const AVFrame* source);
    void AppendConverted(const uint8_t** input, int inputFrames);
    qint64 FramePosition(const AVFrame* source) const;
};

void FfmpegDecoder::Impl::Open(const QString& path) {
    QuietenLibrary();
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || !info.isReadable()) {
        throw AudioFailure(AudioError::FileOpen, "Cannot open " + path);
    }
    AVFormatContext* raw = nullptr;
    int result = avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (result < 0) {
        const AudioError code = result == AVERROR(ENOENT) || result == AVERROR(EACCES) ? AudioError::FileOpen
                                                                                       : AudioError::FileForm;
        throw AudioFailure(code, path + ": " + ErrorText(result));
    }
    format.reset(raw);
    result = avformat_find_stream_info(format.get(), nullptr);
    if (result < 0) {
        throw AudioFailure(AudioError::FileForm, path + ": " + ErrorText(result));
    }
    const AVCodec* decoder = nullptr;
    streamIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (streamIndex == AVERROR_DECODER_NOT_FOUND) {
        throw AudioFailure(AudioError::Codec, path + ": no decoder for its audio");
    }
    if (streamIndex < 0) {
        throw AudioFailure(AudioError::FileForm, path + ": no audio in the file");
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex) {
            format->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    AVStream* stream = format->streams[streamIndex];
    timeBase = stream->time_base;
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec || !packet || !frame) {
        throw AudioFailure(AudioError::Unknown, "Out of memory opening " + path);
    }
    result = avcodec_parameters_to_context(codec.get(), stream->codecpar);
    if (result >= 0) {
        codec->pkt_timebase = timeBase;
        result = avcodec_open2(codec.get(), decoder, nullptr);
    }
    if (result < 0) {
        // The decoder exists but refuses the stream's parameters: a damaged or truncated file.
        throw AudioFailure(AudioError::FileForm, path + ": " + ErrorText(result));
    }
    if (codec->sample_rate <= 0) {
        throw AudioFailure(AudioError::FileForm, path + ": no sample rate");
    }

    MeasureLength();
    // The first frame proves the file decodes and fixes the timestamp that position 0 stands for.
    if (!DecodeMore()) {
        throw AudioFailure(AudioError::FileForm, path + ": no decodable audio");
    }
}

void FfmpegDecoder::Impl::MeasureLength() {
    AVStream* stream = format->streams[streamIndex];
    if (ContainerCountsSamples(format.get()) && stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        qint64 duration = stream->duration;
        // An Ogg Opus stream's duration still counts the pre-skip its decoder drops (given at
        // Opus's 48 kHz).
        if (stream->codecpar->codec_id == AV_CODEC_ID_OPUS && stream->codecpar->initial_padding > 0) {
            duration -= av_rescale_q(stream->codecpar->initial_padding, AVRational{1, 48000}, timeBase);
        }
        length = av_rescale_q(std::max<qint64>(0, duration), timeBase, AVRational{1, kSampleRate});
        return;
    }
    // Packet durations count samples only where the time base is as fine as one sample (not in
    // ASF, which dates packets in milliseconds); elsewhere the decoder's output is counted.
    const bool fineTimeBase =
        static_cast<qint64>(timeBase.den) >= static_cast<qint64>(timeBase.num) * codec->sample_rate;
    bool complete = false;
    const qint64 samples = fineTimeBase ? CountPacketSamples(&complete) : 0;
    if (complete) {
        length = av_rescale(samples, kSampleRate, codec->sample_rate);
        Restart();
        return;
    }
    Restart();
    length = CountDecodedFrames();
    Restart();
}

// Reads every packet once. Packet durations minus the samples the decoder is told to drop
// (encoder delay and padding) give the decoded length without decoding.
qint64 FfmpegDecoder::Impl::CountPacketSamples(bool* complete) {
    qint64 duration = 0;
    qint64 skipped = 0;
    *complete = true;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == streamIndex) {
            if (packet->duration <= 0) {
                *complete = false;
            }
            duration += packet->duration;
            size_t size = 0;
            const uint8_t* skip = av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, &size);
            if (skip && size >= 8) {
                skipped += AV_RL32(skip) + AV_RL32(skip + 4);
            }
        }
        av_packet_unref(packet.get());
    }
    if (duration <= 0) {
        *complete = false;
    }
    return std::max<qint64>(0, av_rescale_q(duration, timeBase, AVRational{1, codec->sample_rate}) - skipped);
}

qint64 FfmpegDecoder::Impl::CountDecodedFrames() {
    qint64 frames = 0;
    while (DecodeMore()) {
        frames += static_cast<qint64>(PendingFrames());
        DropPending();
    }
    return frames;
}

void FfmpegDecoder::Impl::SeekContainer(qint64 timestamp) {
    int result = avformat_seek_file(format.get(), streamIndex, INT64_MIN, timestamp, timestamp, 0);
    if (result < 0) {
        result = av_seek_frame(format.get(), streamIndex, timestamp, AVSEEK_FLAG_BACKWARD);
    }
    if (result < 0) {
        // Some files only rewind by byte; a rewind to the start is all that is left.
        result = avio_seek(format->pb, 0, SEEK_SET) < 0 ? -1 : 0;
        if (result >= 0) {
            result = av_seek_frame(format.get(), streamIndex, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD);
        }
    }
    if (result < 0) {
        throw AudioFailure(AudioError::Position, "Cannot seek: " + ErrorText(result));
    }
    avcodec_flush_buffers(codec.get());
    resampler.reset();
    DropPending();
    flushSent = false;
    ended = false;
    landing = true;
    consecutiveErrors = 0;
}

void FfmpegDecoder::Impl::Restart() {
    AVStream* stream = format->streams[streamIndex];
    // Just before the start, so that priming packets dated before it (AAC in MP4) are fed again.
    SeekContainer((stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0) - 1);
    position = 0;
    nextFramePosition = 0;
}

// Decodes until at least one more frame is pending. False at the end of the stream.
bool FfmpegDecoder::Impl::DecodeMore() {
    while (!ended) {
        int result = avcodec_receive_frame(codec.get(), frame.get());
        if (result == 0) {
            consecutiveErrors = 0;
            const bool produced = Convert(frame.get());
            av_frame_unref(frame.get());
            if (produced) {
                return true;
            }
            continue;
        }
        if (result == AVERROR_EOF) {
            if (FlushResampler()) {
                return true;
            }
            ended = true;
            break;
        }
        if (result != AVERROR(EAGAIN)) {
            if (++consecutiveErrors > kMaxConsecutiveErrors) {
                ended = true;
            }
            continue;
        }
        if (flushSent) {
            ended = true;
            break;
        }
        result = av_read_frame(format.get(), packet.get());
        if (result < 0) {
            avcodec_send_packet(codec.get(), nullptr);
            flushSent = true;
            continue;
        }
        if (packet->stream_index == streamIndex) {
            // A damaged packet is skipped; the decoder resynchronises on the next one.
            if (avcodec_send_packet(codec.get(), packet.get()) < 0 &&
                ++consecutiveErrors > kMaxConsecutiveErrors) {
                avcodec_send_packet(codec.get(), nullptr);
                flushSent = true;
            }
        }
        av_packet_unref(packet.get());
    }
    return false;
}

qint64 FfmpegDecoder::Impl::FramePosition(const AVFrame* source) const {
    const qint64 stamp = source->best_effort_timestamp;
    if (stamp == AV_NOPTS_VALUE || origin == AV_NOPTS_VALUE) {
        return nextFramePosition;
    }
    return av_rescale_q(stamp - origin, timeBase, AVRational{1, kSampleRate});
}

bool FfmpegDecoder::Impl::Convert(const AVFrame* source) {
    if (source->nb_samples <= 0) {
        return false;
    }
    if (origin == AV_NOPTS_VALUE && source->best_effort_timestamp != AV_NOPTS_VALUE) {
        origin = source->best_effort_timestamp;
    }
    if (!resampler || source->sample_rate != resamplerRate || source->format != resamplerFormat ||
        av_channel_layout_compare(&source->ch_layout, &resamplerLayout) != 0) {
        ConfigureResampler(source);
    }
    const size_t before = PendingFrames();
    // Only the first frame after a seek takes its place from its timestamp; later frames follow on
    // by count, as in a straight decode, so that a resampler's delay shifts both alike.
    if (landing) {
        nextFramePosition = FramePosition(source);
        landing = false;
    }
    AppendConverted(const_cast<const uint8_t**>(source->extended_data), source->nb_samples);
    nextFramePosition += static_cast<qint64>(PendingFrames() - before);
    return PendingFrames() > before;
}

bool FfmpegDecoder::Impl::FlushResampler() {
    if (!resampler) {
        return false;
    }
    const size_t before = PendingFrames();
    AppendConverted(nullptr, 0);
    nextFramePosition += static_cast<qint64>(PendingFrames() - before);
    return PendingFrames() > before;
}

void FfmpegDecoder::Impl::ConfigureResampler(const AVFrame* source) {
    AVChannelLayout input{};
    if (source->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || source->ch_layout.nb_channels <= 0) {
        av_channel_layout_default(&input, std::max(1, source->ch_layout.nb_channels));
    } else {
        av_channel_layout_copy(&input, &source->ch_layout);
    }
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* raw = nullptr;
    int result =
        swr_alloc_set_opts2(&raw, &stereo, AV_SAMPLE_FMT_FLT, kSampleRate, &input,
                            static_cast<AVSampleFormat>(source->format), source->sample_rate, 0, nullptr);
    ResamplerPtr fresh(raw);
    if (result >= 0 && input.nb_channels == 1) {
        // A mono recording plays at full level on both sides, not at the -3 dB of a centre speaker.
        const double matrix[2] = {1.0, 1.0};
        result = swr_set_matrix(fresh.get(), matrix, 1);
    }
    if (result >= 0) {
        result = swr_init(fresh.get());
    }
    av_channel_layout_uninit(&input);
    if (result < 0) {
        throw AudioFailure(AudioError::Format, "Cannot convert the audio: " + ErrorText(result));
    }
    resampler = std::move(fresh);
    resamplerRate = source->sample_rate;
    resamplerFormat = source->format;
    av_channel_layout_uninit(&resamplerLayout);
    av_channel_layout_copy(&resamplerLayout, &source->ch_layout);
}

void FfmpegDecoder::Impl::AppendConverted(const uint8_t** input, int inputFrames) {
    if (pendingOffset > 0) {
        pending.erase(pending.begin(),
                      pending.begin() + static_cast<std::ptrdiff_t>(pendingOffset * kChannels));
        pendingOffset = 0;
    }
    const int room = swr_get_out_samples(resampler.get(), inputFrames);
    if (room <= 0) {
        return;
    }
    const size_t used = pending.size();
    pending.resize(used + static_cast<size_t>(room) * kChannels);
    uint8_t* output = reinterpret_cast<uint8_t*>(pending.data() + used);
    const int converted = swr_convert(resampler.get(), &output, room, input, inputFrames);
    pending.resize(used + static_cast<size_t>(std::max(0, converted)) * kChannels);
}

FfmpegDecoder::FfmpegDecoder(const QString& path) : m_impl(std::make_unique<Impl>()) {
    m_impl->Open(path);
}

FfmpegDecoder::~FfmpegDecoder() = default;
FfmpegDecoder::FfmpegDecoder(FfmpegDecoder&&) noexcept = default;
FfmpegDecoder& FfmpegDecoder::operator=(FfmpegDecoder&&) noexcept = default;

qint64 FfmpegDecoder::LengthFrames() const {
    return m_impl->length;
}

qint64 FfmpegDecoder::PositionFrames() const {
    return m_impl->position;
}

int FfmpegDecoder::Read(float* interleaved, int maxFrames) {
    Impl& d = *m_impl;
    int done = 0;
    while (done < maxFrames && d.position < d.length) {
        if (d.PendingFrames() == 0 && !d.DecodeMore()) {
            // The container promised more than the file holds.
            d.length = d.position;
            break;
        }
        const qint64 wanted = std::min<qint64>(maxFrames - done, d.length - d.position);
        const int count = static_cast<int>(std::min<qint64>(wanted, static_cast<qint64>(d.PendingFrames())));
        std::memcpy(interleaved + static_cast<size_t>(done) * kChannels,
                    d.pending.data() + d.pendingOffset * kChannels,
                    static_cast<size_t>(count) * kBytesPerFrame);
        d.pendingOffset += static_cast<size_t>(count);
        done += count;
        d.position += count;
    }
    return done;
}

void FfmpegDecoder::SeekToFrame(qint64 target) {
    Impl& d = *m_impl;
    target = std::clamp<qint64>(target, 0, d.length);
    if (target == d.length) {
        d.DropPending();
        d.position = target;
        return;
    }
    qint64 from = IsPcm(d.codec->codec_id) ? target : target - kSeekPreroll;
    if (d.IsOgg()) {
        from = std::min(from, d.length - kOggTailGuard);
    }
    if (from <= 0) {
        d.Restart();
    } else {
        const qint64 origin = d.origin == AV_NOPTS_VALUE ? 0 : d.origin;
        d.SeekContainer(origin + av_rescale_q(from, AVRational{1, kSampleRate}, d.timeBase));
        d.nextFramePosition = from;
    }
    d.position = target;
    // Decode forward, dropping what lies before the target.
    while (d.DecodeMore()) {
        const qint64 end = d.nextFramePosition;
        const qint64 start = end - static_cast<qint64>(d.PendingFrames());
        if (end <= target) {
            d.DropPending();
            continue;
        }
        if (start < target) {
            d.pendingOffset += static_cast<size_t>(target - start);
        }
        break;
    }
}

QString FfmpegVersion() {
    auto version = [](unsigned number) {
        return QString("%1.%2.%3")
            .arg(AV_VERSION_MAJOR(number))
            .arg(AV_VERSION_MINOR(number))
            .arg(AV_VERSION_MICRO(number));
    };
    return QString("FFmpeg %1 (libavformat %2, libavcodec %3, libswresample %4)")
        .arg(QString::fromUtf8(av_version_info()), version(avformat_version()), version(avcodec_version()),
             version(swresample_version()));
}

}  // namespace sw
