#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>

namespace sw::test {

namespace {

struct Recipe {
    const char* name;
    const char* source;     // another test file it is encoded from, or null
    QStringList arguments;  // ffmpeg input (when there is no source) and encoding
};

QStringList Tone(const QString& expression, const QString& seconds, const QString& rate = "44100") {
    return {"-f",   "lavfi",    "-i", "aevalsrc=exprs=" + expression + ":s=" + rate + ":d=" + seconds,
            "-c:a", "pcm_s16le"};
}

QStringList Song(int frequency, const QString& seconds) {
    const QString wave =
        QString("0.4*sin(2*PI*%1*t)*min(1\\,min(t\\,%2-t)/0.02)").arg(frequency).arg(seconds);
    return Tone(wave + "|" + wave, seconds);
}

QStringList OneSide(int frequency, bool left) {
    const QString wave = QString("0.4*sin(2*PI*%1*t)*min(1\\,min(t\\,3-t)/0.02)").arg(frequency);
    return Tone(left ? wave + "|0" : "0|" + wave, "3");
}

const std::vector<Recipe>& Recipes() {
    static const std::vector<Recipe> recipes = {
        {"tone.wav", nullptr, Tone("0.5*sin(2*PI*440*t)|0.25*sin(2*PI*660*t)", "2")},
        {"tone.mp3", "tone.wav", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"tone.ogg", "tone.wav", {"-c:a", "libvorbis"}},
        {"tone.m4a", "tone.wav", {"-c:a", "aac"}},
        {"tone.wma", "tone.wav", {"-c:a", "wmav2"}},
        {"tone.flac", "tone.wav", {"-c:a", "flac"}},
        {"tone.opus", "tone.wav", {"-c:a", "libopus", "-b:a", "128k"}},
        {"noxing.mp3", "tone.wav", {"-c:a", "libmp3lame", "-q:a", "4", "-write_xing", "0"}},
        {"ramp.wav", nullptr, Tone("mod(n\\,32768)/32768|-mod(n\\,32768)/32768", "3")},
        {"dc50.wav", nullptr, Tone("0.5|0.5", "1")},
        {"dc25.wav", nullptr, Tone("0.25|0.25", "0.5")},
        {"mono22k.wav", nullptr, Tone("0.5*sin(2*PI*440*t)", "1", "22050")},
        {"fadeA.wav", nullptr, Tone("0.4*sin(2*PI*440*t)|0.4*sin(2*PI*440*t)", "3")},
        {"fadeB.wav", nullptr, Tone("0.4*sin(2*PI*550*t)|0.4*sin(2*PI*550*t)", "3")},
        // Songs for the player: a tone faded in and out over 20 ms, so that their own edges never click.
        {"song440.wav", nullptr, Song(440, "3")},
        {"song550.wav", nullptr, Song(550, "3")},
        {"song660.wav", nullptr, Song(660, "3")},
        {"blip.wav", nullptr, Song(880, "0.05")},
        {"left440.wav", nullptr, OneSide(440, true)},
        {"right550.wav", nullptr, OneSide(550, false)},
        {"left660.wav", nullptr, OneSide(660, true)},
    };
    return recipes;
}

}  // namespace

// Made on first use and kept in the build tree, so that the many test processes ctest starts
// share them. Each file appears by rename, whole, even when processes race.
QString Media(const QString& name) {
    const QString folder = SW_PLAYBACK_MEDIA_DIR;
    const QString path = folder + "/" + name;
    if (QFileInfo::exists(path)) {
        return path;
    }
    QDir().mkpath(folder);
    const auto recipe =
        std::find_if(Recipes().begin(), Recipes().end(), [&](const Recipe& r) { return name == r.name; });
    if (recipe == Recipes().end()) {
        ADD_FAILURE() << "no recipe for " << name.toStdString();
        return path;
    }
    QStringList arguments{"-hide_banner", "-loglevel", "error", "-y"};
    if (recipe->source) {
        arguments << "-i" << Media(recipe->source);
    }
    const QString part = folder + "/part-" + QString::number(QCoreApplication::applicationPid()) + "-" + name;
    Run("ffmpeg", arguments + recipe->arguments + QStringList{part});
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
    }
    return path;
}

QString ScratchDir() {
    static QTemporaryDir scratch;
    return scratch.path();
}

QByteArray Run(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (exitCode) {
        *exitCode = process.exitCode();
    } else {
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << " " << arguments.join(' ').toStdString()
                                         << ": " << process.readAllStandardError().toStdString();
    }
    return process.readAllStandardOutput();
}

double ProbeSeconds(const QString& path) {
    return Run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path})
        .trimmed()
        .toDouble();
}

qint64 ProgramDecodedFrames(const QString& path) {
    return Run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-i", path, "-f", "s16le", "-ac", "2", "-ar",
                          "44100", "-"})
               .size() /
           4;
}

Rig::Rig(int devices) {
    auto output = std::make_unique<OfflineOutput>(devices);
    offline = output.get();
    audio = std::make_unique<AudioLibrary>(std::move(output));
    EXPECT_TRUE(audio->Init(1, 44100));
    mixer = audio->MixerStreamCreate(44100, 2, BASS_MIXER_END);
    EXPECT_NE(mixer, 0u);
}

AudioHandle Rig::Add(const QString& path, quint32 flags) {
    const AudioHandle stream = audio->StreamCreateFile(path, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    EXPECT_NE(stream, 0u) << path.toStdString() << ": error " << audio->ErrorGetCode();
    EXPECT_TRUE(audio->MixerStreamAddChannel(mixer, stream, flags));
    return stream;
}

std::vector<int> ReadWav16(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE");
    qsizetype at = 12;
    std::vector<int> samples;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const auto size = static_cast<qsizetype>(qFromLittleEndian<quint32>(bytes.constData() + at + 4));
        if (id == "fmt ") {
            EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + at + 8), 1);   // PCM
            EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + at + 10), 2);  // stereo
            EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + at + 12), 44100u);
            EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + at + 22), 16);
        } else if (id == "data") {
            EXPECT_LE(at + 8 + size, bytes.size());
            for (qsizetype i = 0; i + 1 < size && at + 8 + i + 1 < bytes.size(); i += 2) {
                samples.push_back(qFromLittleEndian<qint16>(bytes.constData() + at + 8 + i));
            }
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

std::vector<float> Side(const std::vector<float>& interleaved, int side) {
    std::vector<float> samples(interleaved.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = interleaved[2 * i + side];
    }
    return samples;
}

}  // namespace sw::test
