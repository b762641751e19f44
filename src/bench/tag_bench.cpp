// tag_bench: how fast the tag readers get through files. Reads the tags of the files given, or of
// a generated set of small MP3 and Ogg Vorbis files, and prints its figures as its last line:
//   files=<n> mp3_files_per_s=<x> ogg_files_per_s=<y>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

#include "core/Song.h"
#include "tags/ByteOrder.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/OggCrc.h"
#include "tags/OggVorbis.h"

namespace {

using namespace sw;

constexpr int kGeneratedPerKind = 400;

QByteArray Frame(const char* id, const QByteArray& text) {
    QByteArray frame(id, 4);
    AppendBe32(frame, static_cast<std::uint32_t>(text.size() + 1));
    frame.append(3, '\0');
    return frame + text;
}

QByteArray GeneratedMp3(int n) {
    QByteArray frames = Frame("TIT2", "Title " + QByteArray::number(n)) + Frame("TPE1", "Artist") +
                        Frame("TALB", "Album") + Frame("TRCK", "3/12") + Frame("TYER", "1999") +
                        Frame("TCON", "(17)Rock") + Frame("TENC", "Rating=2") +
                        Frame("TXXX", QByteArray(400, 'x'));
    const auto size = static_cast<std::uint32_t>(frames.size() + 256);
    QByteArray file("ID3\x03\0\0", 6);
    for (int shift = 21; shift >= 0; shift -= 7) {
        file.append(static_cast<char>((size >> shift) & 0x7F));
    }
    file += frames + QByteArray(256, '\0') + QByteArray(16 * 1024, '\x55');
    QByteArray trailer(128, '\0');
    trailer.replace(0, 9, "TAGTitle ");
    return file + trailer;
}

QByteArray Page(std::uint32_t sequence, const QByteArray& data, std::uint8_t flags) {
    QByteArray page("OggS\0", 5);
    page.append(static_cast<char>(flags));
    page.append(8, '\0');
    AppendLe32(page, 0x1234);
    AppendLe32(page, sequence);
    AppendLe32(page, 0);
    const qsizetype full = data.size() / 255;
    page.append(static_cast<char>(full + 1));
    page.append(full, '\xFF');
    page.append(static_cast<char>(data.size() % 255));
    page.append(data);
    std::uint32_t crc = OggCrcUpdate(0, page.constData(), static_cast<std::size_t>(page.size()));
    WriteLe32(reinterpret_cast<unsigned char*>(page.data()) + 22, crc);
    return page;
}

QByteArray GeneratedOgg(int n) {
    QByteArray id("\x01vorbis", 7);
    id.append(23, '\0');
    QByteArray comment("\x03vorbis", 7);
    const QByteArray vendor("Rating=1");
    AppendLe32(comment, static_cast<std::uint32_t>(vendor.size()));
    comment += vendor;
    const QList<QByteArray> items = {"TITLE=Title " + QByteArray::number(n),
                                     "ARTIST=Artist",
                                     "ALBUM=Album",
                                     "TRACKNUMBER=3/12",
                                     "DATE=2001",
                                     "GENRE=Jazz",
                                     "REPLAYGAIN_TRACK_GAIN=-3 dB"};
    AppendLe32(comment, static_cast<std::uint32_t>(items.size()));
    for (const QByteArray& item : items) {
        AppendLe32(comment, static_cast<std::uint32_t>(item.size()));
        comment += item;
    }
    comment.append('\x01');
    return Page(0, id, 2) + Page(1, comment, 0) + Page(2, QByteArray(16 * 1024 / 64, 'a'), 0);
}

/// Reads every file once per round until a second has passed; files read per second.
template <class Read>
double Measure(const QStringList& files, Read read) {
    if (files.isEmpty()) {
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    qint64 done = 0;
    do {
        for (const QString& file : files) {
            read(file);
            ++done;
        }
    } while (timer.elapsed() < 1000);
    return static_cast<double>(done) * 1e9 / static_cast<double>(timer.nsecsElapsed());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList mp3;
    QStringList ogg;
    QTemporaryDir generated;
    QStringList given = app.arguments().mid(1);
    if (given.isEmpty()) {
        for (int n = 0; n < kGeneratedPerKind; ++n) {
            const QString mp3Path = generated.filePath(QString("song%1.mp3").arg(n));
            const QString oggPath = generated.filePath(QString("song%1.ogg").arg(n));
            QFile mp3File(mp3Path);
            QFile oggFile(oggPath);
            if (!mp3File.open(QIODevice::WriteOnly) || !oggFile.open(QIODevice::WriteOnly)) {
                std::fprintf(stderr, "cannot write the generated files in %s\n",
                             qPrintable(generated.path()));
                return 1;
            }
            mp3File.write(GeneratedMp3(n));
            oggFile.write(GeneratedOgg(n));
            given << mp3Path << oggPath;
        }
    }
    for (const QString& file : given) {
        const QString type = QFileInfo(file).suffix().toUpper();
        if (type == "MP3") {
            mp3 << file;
        } else if (type == "OGG") {
            ogg << file;
        } else {
            std::fprintf(stderr, "skipped (neither MP3 nor OGG): %s\n", qPrintable(file));
        }
    }

    TagState state;
    int found = 0;
    const double mp3Rate = Measure(mp3, [&](const QString& path) {
        TSong song;
        song.FullPath = path;
        try {
            found += ReadId3v1(song, state) ? 1 : 0;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
        }
        TID3v2 tag(state);
        found += tag.Read(path) && tag.Exists() ? 1 : 0;
    });
    const double oggRate = Measure(ogg, [&](const QString& path) {
        TOggVorbis tag;
        found += tag.Read(path) ? 1 : 0;
    });
    std::printf("tags found in %d reads\n", found);
    std::printf("files=%lld mp3_files_per_s=%.0f ogg_files_per_s=%.0f\n",
                static_cast<long long>(mp3.size() + ogg.size()), mp3Rate, oggRate);
    return 0;
}
