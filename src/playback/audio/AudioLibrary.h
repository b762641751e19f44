#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

#include "AudioError.h"
#include "AudioOutput.h"

namespace sw {

/// A channel: a file stream or a mixer. 0 is never a valid handle.
using AudioHandle = quint32;

/// Flag and mode values of the audio library's calls.
inline constexpr quint32 BASS_SAMPLE_FLOAT = 0x100;
inline constexpr quint32 BASS_STREAM_DECODE = 0x200000;
inline constexpr quint32 BASS_STREAM_AUTOFREE = 0x40000;
inline constexpr quint32 BASS_MIXER_END = 0x10000;
inline constexpr quint32 BASS_MIXER_NORAMPIN = 0x800000;
/// A mixer source that stays silent while another source of its mixer sounds, and follows the
/// last sample of the last one to end in the same block: the next song of a gapless change.
inline constexpr quint32 BASS_MIXER_CHAN_QUEUED = 0x1000000;
inline constexpr quint32 BASS_SYNC_END = 2;
inline constexpr quint32 BASS_SYNC_MIXTIME = 0x40000000;
inline constexpr quint32 BASS_ATTRIB_VOL = 2;
/// A stream's levelling: a fixed factor on its samples besides the volume, which fades; 1 leaves
/// them as decoded. Set at once, never slid.
inline constexpr quint32 kAttribGain = 0x10001;
/// Or'ed into ChannelSlideAttribute's attribute: the volume glides along a quarter sine (rising)
/// or cosine (falling) instead of a straight line (see SlideShape::EqualPower).
inline constexpr quint32 kSlideEqualPower = 0x20000000;
inline constexpr quint32 BASS_POS_BYTE = 0;

/// What ChannelGetLength, ChannelGetPosition and ChannelSeconds2Bytes return on failure.
inline constexpr quint64 kAudioAllBits = ~quint64{0};

struct AudioDeviceInfo {
    QString name;
};

/// Called on the mixing thread when a channel ends. It must be quick and must not free devices;
/// it may call the library's other operations.
using SyncProc = std::function<void(AudioHandle sync, AudioHandle channel)>;

/// The audio library: output devices, file streams decoded to float stereo at 44,100 Hz, mixers
/// that sum streams, volume attributes that glide, and the end-of-channel notification. Calls
/// report failure as 0, false or all bits set, and leave the reason in ErrorGetCode (per thread,
/// as AudioError numbers); a success sets it to 0.
///
/// Byte positions count 8 bytes per frame (two 32-bit float samples). Slides advance with the
/// frames the device that plays the channel renders, so they keep the output's own time: real
/// time on SDL and null outputs, rendered frames on the offline output.
///
/// The owner's thread makes the calls; each device's mixing thread renders. The mixing thread
/// never opens, reads or waits on files (decoding runs ahead on a worker per stream) and only
/// shares a lock with calls that hold it for a few list operations.
class AudioLibrary {
public:
    explicit AudioLibrary(std::unique_ptr<AudioOutput> output);
    /// Frees every device and channel.
    ~AudioLibrary();
    AudioLibrary(const AudioLibrary&) = delete;
    AudioLibrary& operator=(const AudioLibrary&) = delete;

    /// Device 1..N of the output (0 is the silent device "No sound"); false when there is no
    /// such device.
    bool GetDeviceInfo(int device, AudioDeviceInfo* info);
    /// Opens the device for output at 44,100 Hz and makes it current. One open per device
    /// number; several devices may be open at once.
    bool Init(int device, quint32 frequency);
    /// Makes an initialised device current: later creations and Free address it.
    bool SetDevice(int device);
    /// Releases the current device with every channel created on it.
    bool Free();

    /// A mixer on the current device. With BASS_MIXER_END it ends, and stops, when no source is
    /// left that has not ended; otherwise it plays silence without sources.
    AudioHandle MixerStreamCreate(quint32 frequency, quint32 channels, quint32 flags);
    /// Plugs a decoding stream into a mixer. BASS_MIXER_NORAMPIN starts it at full level instead
    /// of fading it in over a few milliseconds; BASS_STREAM_AUTOFREE takes it out of the mixer
    /// and closes its file when it ends (its handle stays valid until StreamFree);
    /// BASS_MIXER_CHAN_QUEUED holds it back until the mixer's other sources have ended.
    bool MixerStreamAddChannel(AudioHandle mixer, AudioHandle stream, quint32 flags);

    /// Opens a file on the current device. With BASS_STREAM_DECODE it can only feed a mixer
    /// (or be measured); without, it plays by itself with ChannelPlay, and with
    /// BASS_STREAM_AUTOFREE its file closes when it ends. Output is always float.
    AudioHandle StreamCreateFile(const QString& path, quint32 flags);
    /// Stops the stream and releases it with its file; it leaves its mixer. Freeing a mixer
    /// leaves its sources unplugged.
    bool StreamFree(AudioHandle stream);

    /// Calls proc when the channel ends (BASS_SYNC_END, optionally with BASS_SYNC_MIXTIME: the
    /// call always comes from the mixing thread). Returns the sync's handle.
    AudioHandle ChannelSetSync(AudioHandle channel, quint32 type, SyncProc proc);

    quint64 ChannelSeconds2Bytes(AudioHandle channel, double seconds);
    /// Negative on failure.
    double ChannelBytes2Seconds(AudioHandle channel, quint64 bytes);

    /// A stream continues from the byte position (rounded down to a frame); a mixer's position
    /// count is set (0 resets it).
    bool ChannelSetPosition(AudioHandle channel, quint64 position, quint32 mode);
    /// A stream's bytes decoded so far (what the mixer has taken, not what the worker has
    /// decoded ahead); a mixer's bytes mixed since it was started or reset.
    quint64 ChannelGetPosition(AudioHandle channel, quint32 mode);
    /// A stream's exact decoded length in bytes; all bits set for a mixer or on failure.
    quint64 ChannelGetLength(AudioHandle channel, quint32 mode);

    /// Plays a mixer or a stream that is not a decoding stream. Restart starts a mixer's
    /// position count again and a stream from its beginning; an ended stream restarts anyway.
    bool ChannelPlay(AudioHandle channel, bool restart);
    /// Halts playback; the position is kept.
    bool ChannelPause(AudioHandle channel);
    bool ChannelStop(AudioHandle channel);

    /// Makes a stream end at the byte position (rounded down to a frame) as if its file ended
    /// there: a mixer source ends, hands over to a queued source and notifies its end at that
    /// frame. All bits set ends it at the file's end again.
    bool StreamSetEnd(AudioHandle stream, quint64 position);
    /// The byte position StreamSetEnd gave the stream; all bits set when it ends with its file (or
    /// on failure).
    quint64 StreamGetEnd(AudioHandle stream);

    /// The volume (BASS_ATTRIB_VOL): 0 silent, 1 full; mid-slide, the value reached so far.
    /// kAttribGain: the stream's levelling factor.
    bool ChannelGetAttribute(AudioHandle channel, quint32 attribute, float* value);
    /// Sets the volume at once, ending any slide.
    bool ChannelSetAttribute(AudioHandle channel, quint32 attribute, float value);
    /// Glides the volume to the value over the milliseconds and returns at once.
    bool ChannelSlideAttribute(AudioHandle channel, quint32 attribute, float value, quint32 milliseconds);

    /// The calling thread's last error, as an AudioError number.
    int ErrorGetCode() const;
    /// The underlying text of the calling thread's last error (FFmpeg, SDL), empty after success.
    QString ErrorGetText() const;
    /// Underruns of every device opened so far: Render calls of a real-time output that found a
    /// playing stream with less decoded audio than they needed (the rest played as silence),
    /// and the times an output's device ran dry waiting for its mixing thread (outputs that can
    /// tell, see OutputDevice::Underruns). An offline output never underruns.
    quint64 UnderrunCount() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace sw
