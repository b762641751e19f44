#include "CrossfadeMix.h"

#include <stdexcept>
#include <vector>

#include "AudioFormat.h"
#include "AudioLibrary.h"
#include "OfflineOutput.h"
#include "WavWriter.h"

namespace sw {

namespace {

constexpr int kRenderFrames = 4096;

class Mix {
public:
    Mix() {
        auto output = std::make_unique<OfflineOutput>();
        m_output = output.get();
        m_audio = std::make_unique<AudioLibrary>(std::move(output));
    }

    AudioLibrary& Audio() { return *m_audio; }

    // Throws with the operation's name and the library's code when the call failed.
    void Check(bool ok, const char* operation) {
        if (!ok) {
            QString text = QString(operation) + " - BASS error " + QString::number(m_audio->ErrorGetCode());
            if (!m_audio->ErrorGetText().isEmpty()) {
                text += " (" + m_audio->ErrorGetText() + ")";
            }
            throw std::runtime_error(text.toStdString());
        }
    }

    // Renders up to frames and writes what the mixer played before it ended; returns the
    // frames written.
    qint64 Render(WavWriter& wav, AudioHandle mixer, qint64 frames, const bool& ended) {
        qint64 written = 0;
        while (written < frames && !ended) {
            const int block = static_cast<int>(std::min<qint64>(kRenderFrames, frames - written));
            m_output->RenderInto(1, m_buffer.data(), block);
            qint64 keep = block;
            if (ended) {
                // The mixer counts the frames it played up to its end.
                const qint64 mixed =
                    static_cast<qint64>(m_audio->ChannelGetPosition(mixer, BASS_POS_BYTE)) / kBytesPerFrame;
                keep = std::clamp<qint64>(mixed - wav.Frames(), 0, block);
            }
            wav.Append(m_buffer.data(), keep);
            written += keep;
        }
        return written;
    }

private:
    OfflineOutput* m_output = nullptr;
    std::unique_ptr<AudioLibrary> m_audio;
    std::vector<float> m_buffer = std::vector<float>(static_cast<size_t>(kRenderFrames) * kChannels);
};

}  // namespace

CrossfadeMixResult RenderCrossfadeMix(const CrossfadeMixRequest& request) {
    Mix mix;
    AudioLibrary& audio = mix.Audio();
    mix.Check(audio.Init(1, kSampleRate), "BASS_Init master");
    const AudioHandle mixer = audio.MixerStreamCreate(kSampleRate, kChannels, BASS_MIXER_END);
    mix.Check(mixer != 0, "BASS_Mixer_StreamCreate");
    // The notification comes on the mixing thread, which is this one.
    bool ended = false;
    mix.Check(audio.ChannelSetSync(mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                                   [&ended](AudioHandle, AudioHandle) { ended = true; }) != 0,
              "BASS_ChannelSetSync");

    const AudioHandle first = audio.StreamCreateFile(request.first, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    mix.Check(first != 0, "BASS_StreamCreateFile");
    const quint64 firstLength = audio.ChannelGetLength(first, BASS_POS_BYTE);
    mix.Check(firstLength != kAudioAllBits, "BASS_ChannelGetLength");
    const quint64 at = audio.ChannelSeconds2Bytes(first, request.atSeconds);
    mix.Check(at != kAudioAllBits, "BASS_ChannelSeconds2Bytes");
    if (at >= firstLength) {
        throw std::runtime_error(QString("The fade point %1 s is not inside %2, which lasts %3 s")
                                     .arg(request.atSeconds)
                                     .arg(request.first)
                                     .arg(audio.ChannelBytes2Seconds(first, firstLength))
                                     .toStdString());
    }
    mix.Check(audio.MixerStreamAddChannel(mixer, first, BASS_MIXER_NORAMPIN), "BASS_Mixer_StreamAddChannel");
    mix.Check(audio.ChannelPlay(mixer, true), "BASS_ChannelPlay");

    WavWriter wav(request.output);
    CrossfadeMixResult result;
    result.fadeStart = static_cast<qint64>(at) / kBytesPerFrame;
    mix.Render(wav, mixer, result.fadeStart, ended);

    const AudioHandle second = audio.StreamCreateFile(request.second, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    mix.Check(second != 0, "BASS_StreamCreateFile");
    const quint64 secondLength = audio.ChannelGetLength(second, BASS_POS_BYTE);
    mix.Check(secondLength != kAudioAllBits, "BASS_ChannelGetLength");
    float volume = 1.0f;
    mix.Check(audio.ChannelGetAttribute(first, BASS_ATTRIB_VOL, &volume), "BASS_ChannelGetAttribute");
    mix.Check(audio.ChannelSetAttribute(second, BASS_ATTRIB_VOL, 0.0f), "BASS_ChannelSetAttribute");
    mix.Check(audio.MixerStreamAddChannel(mixer, second, BASS_MIXER_NORAMPIN | BASS_STREAM_AUTOFREE),
              "BASS_Mixer_StreamAddChannel");
    mix.Check(audio.ChannelSlideAttribute(second, BASS_ATTRIB_VOL, volume, request.fadeMilliseconds),
              "BASS_ChannelSlideAttribute");
    mix.Check(audio.ChannelSlideAttribute(first, BASS_ATTRIB_VOL, 0.0f, request.fadeMilliseconds),
              "BASS_ChannelSlideAttribute");

    // Both end by then; the margin only guards against a mixer that never reports its end.
    const qint64 longest = static_cast<qint64>(std::max(firstLength, at + secondLength)) / kBytesPerFrame;
    mix.Render(wav, mixer, longest - result.fadeStart + kSampleRate, ended);
    if (!ended) {
        throw std::runtime_error("The mixer did not end");
    }
    wav.Commit();
    result.frames = wav.Frames();
    return result;
}

}  // namespace sw
