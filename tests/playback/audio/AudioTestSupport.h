#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "playback/audio/AudioLibrary.h"
#include "playback/audio/OfflineOutput.h"

namespace sw::test {

/// Test audio made by the ffmpeg program on first use, kept in the build tree:
///   tone.{wav,mp3,ogg,m4a,wma}  2 s, left 0.5 sin 440 Hz, right 0.25 sin 660 Hz
///   noxing.mp3                   the tone as VBR MP3 without a length header
///   ramp.wav                     3 s, left sample n = (n mod 32768) / 32768, right = -left
///   dc50.wav, dc25.wav           1 s at 0.5 and 0.5 s at 0.25 on both sides
///   mono22k.wav                  1 s mono at 22,050 Hz, 0.5 sin 440 Hz
///   fadeA.wav, fadeB.wav         3 s, 0.4 sin 440 Hz and 0.4 sin 550 Hz on both sides
///   song440.wav, song550.wav,    3 s of 0.4 sin at that frequency on both sides, faded in and out
///   song660.wav                  over 20 ms
///   blip.wav                     50 ms of 0.4 sin 880 Hz, faded in and out over 20 ms
///   left440.wav, right550.wav,   the songs with their tone on one side only, the other silent
///   left660.wav
QString Media(const QString& name);
QString ScratchDir();

/// Runs a program and returns its standard output; fails the test on a non-zero exit.
QByteArray Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr);
double ProbeSeconds(const QString& path);
/// Frames of 44,100 Hz stereo that the ffmpeg program decodes from the file.
qint64 ProgramDecodedFrames(const QString& path);

/// An audio library on an offline output with device 1 open and one mixer that ends.
struct Rig {
    explicit Rig(int devices = 1);
    /// A decoding stream plugged into the mixer.
    AudioHandle Add(const QString& path, quint32 flags = BASS_MIXER_NORAMPIN);
    std::vector<float> Render(int frames, int device = 1) { return offline->Render(device, frames); }
    qint64 Position(AudioHandle handle) {
        return static_cast<qint64>(audio->ChannelGetPosition(handle, BASS_POS_BYTE)) / 8;
    }

    OfflineOutput* offline = nullptr;
    std::unique_ptr<AudioLibrary> audio;
    AudioHandle mixer = 0;
};

/// 16-bit stereo samples of a PCM WAV file, read independently of the library.
std::vector<int> ReadWav16(const QString& path);

/// The left (or right) samples of interleaved stereo.
std::vector<float> Side(const std::vector<float>& interleaved, int side);

}  // namespace sw::test
