#include "TagTestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace sw::test {

namespace {

QString FixtureDir() {
    return QStringLiteral(SW_SOURCE_DIR "/tests/fixtures/");
}

QString Python() {
    return QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

struct RunResult {
    int Exit = -1;
    QByteArray Out;
    QByteArray Err;
};

RunResult Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForStarted(10000)) {
        result.Err = (program + " could not be started; is it installed (scripts/setup)?").toUtf8();
        return result;
    }
    process.closeWriteChannel();
    process.waitForFinished(60000);
    result.Exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

}  // namespace

// Plain system calls: the fuzz test reads and writes files a hundred thousand times.
QByteArray ReadBytes(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    QByteArray bytes;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok =
        fd >= 0 && ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    if (fd >= 0) {
        ::close(fd);
    }
    if (!ok) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
    }
}

QByteArray Fixture(const QString& name) {
    const QByteArray bytes = ReadBytes(FixtureDir() + name);
    EXPECT_FALSE(bytes.isEmpty()) << "missing fixture " << name.toStdString();
    return bytes;
}

ScratchDir::ScratchDir() {
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/sw-tags-XXXXXX"));
    }
    if (!m_dir || !m_dir->isValid()) {
        m_dir = std::make_unique<QTemporaryDir>();
    }
}

QString ScratchDir::Path(const QString& name) const {
    return m_dir->filePath(name);
}

QString ScratchDir::Put(const QString& name, const QByteArray& bytes) const {
    const QString path = Path(name);
    WriteBytes(path, bytes);
    return path;
}

QStringList ScratchDir::Entries() const {
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QByteArray SynchsafeBytes(std::uint32_t value) {
    QByteArray bytes;
    for (int shift = 21; shift >= 0; shift -= 7) {
        bytes.append(static_cast<char>((value >> shift) & 0x7F));
    }
    return bytes;
}

QByteArray Be32(std::uint32_t value) {
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.append(static_cast<char>((value >> shift) & 0xFF));
    }
    return bytes;
}

QByteArray Le32(std::uint32_t value) {
    QByteArray bytes = Be32(value);
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

QByteArray Id3Frame(const char* id, const QByteArray& data) {
    return QByteArray(id, 4) + Be32(static_cast<std::uint32_t>(data.size())) + QByteArray(2, '\0') + data;
}

QByteArray Id3TextFrame(const char* id, const QByteArray& text) {
    return Id3Frame(id, QByteArray(1, '\0') + text);
}

QByteArray Id3v4Frame(const char* id, const QByteArray& data, std::uint8_t formatFlags) {
    return QByteArray(id, 4) + SynchsafeBytes(static_cast<std::uint32_t>(data.size())) + '\0' +
           static_cast<char>(formatFlags) + data;
}

QByteArray Utf16WithBom(const QString& text, bool bigEndian) {
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (const QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low);
        bytes.append(bigEndian ? low : high);
    }
    return bytes;
}

QByteArray Unsynchronise(const QByteArray& bytes) {
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out.append(bytes[i]);
        const bool last = i + 1 == bytes.size();
        if (bytes[i] == '\xFF' &&
            (last || (static_cast<unsigned char>(bytes[i + 1]) & 0xE0) == 0xE0 || bytes[i + 1] == '\0')) {
            out.append('\0');
        }
    }
    return out;
}

QByteArray Id3Tag(int version, const QByteArray& frames, int padding, std::uint8_t flags) {
    QByteArray tag("ID3");
    tag.append(static_cast<char>(version));
    tag.append('\0');
    tag.append(static_cast<char>(flags));
    tag.append(SynchsafeBytes(static_cast<std::uint32_t>(frames.size() + padding)));
    return tag + frames + QByteArray(padding, '\0');
}

std::uint32_t BitwiseOggCrc(const QByteArray& bytes) {
    std::uint32_t crc = 0;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000U) ? (crc << 1) ^ 0x04C11DB7U : crc << 1;
        }
    }
    return crc;
}

QByteArray OggPageBytes(std::uint8_t flags, std::uint64_t granule, std::uint32_t serial,
                        std::uint32_t sequence, const std::vector<std::uint8_t>& lacing,
                        const QByteArray& data) {
    QByteArray page("OggS");
    page.append('\0');
    page.append(static_cast<char>(flags));
    for (int i = 0; i < 8; ++i) {
        page.append(static_cast<char>((granule >> (8 * i)) & 0xFF));
    }
    page.append(Le32(serial));
    page.append(Le32(sequence));
    page.append(Le32(0));
    page.append(static_cast<char>(lacing.size()));
    for (const std::uint8_t value : lacing) {
        page.append(static_cast<char>(value));
    }
    page.append(data);
    const QByteArray crc = Le32(BitwiseOggCrc(page));
    page.replace(22, 4, crc);
    return page;
}

QByteArray VorbisCommentPacket(const QByteArray& vendor, const QList<QByteArray>& comments, bool framing) {
    QByteArray packet("\x03vorbis", 7);
    packet.append(Le32(static_cast<std::uint32_t>(vendor.size())));
    packet.append(vendor);
    packet.append(Le32(static_cast<std::uint32_t>(comments.size())));
    for (const QByteArray& comment : comments) {
        packet.append(Le32(static_cast<std::uint32_t>(comment.size())));
        packet.append(comment);
    }
    if (framing) {
        packet.append('\x01');
    }
    return packet;
}

std::vector<PageView> SplitPages(const QByteArray& bytes) {
    std::vector<PageView> pages;
    qsizetype at = bytes.indexOf("OggS");
    while (at >= 0 && at + 27 <= bytes.size() && bytes.mid(at, 4) == "OggS") {
        PageView page;
        page.Offset = at;
        const int segments = static_cast<unsigned char>(bytes[at + 26]);
        if (at + 27 + segments > bytes.size()) {
            break;
        }
        qsizetype size = 0;
        for (int i = 0; i < segments; ++i) {
            page.Lacing.push_back(static_cast<std::uint8_t>(bytes[at + 27 + i]));
            size += page.Lacing.back();
        }
        page.Data = bytes.mid(at + 27 + segments, size);
        page.Bytes = bytes.mid(at, 27 + segments + size);
        for (int i = 0; i < 4; ++i) {
            page.StoredCrc |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 22 + i]))
                              << (8 * i);
        }
        pages.push_back(page);
        at += 27 + segments + size;
    }
    return pages;
}

std::size_t HeaderPageCount(const std::vector<PageView>& pages) {
    int packetsEnded = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        for (const std::uint8_t value : pages[i].Lacing) {
            packetsEnded += value < 255 ? 1 : 0;
        }
        if (packetsEnded >= 3) {
            return i + 1;
        }
    }
    return pages.size();
}

namespace {

std::uint32_t Le32At(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

}  // namespace

void ExpectAudioPagesKept(const QByteArray& before, const QByteArray& after, qsizetype prefix) {
    EXPECT_EQ(after.left(prefix), before.left(prefix));
    const std::vector<PageView> old = SplitPages(before.mid(prefix));
    const std::vector<PageView> now = SplitPages(after.mid(prefix));
    ASSERT_FALSE(old.empty());
    ASSERT_FALSE(now.empty());
    // The pages follow each other to the end of the file, with nothing lost between them.
    EXPECT_EQ(prefix + now.back().Offset + now.back().Bytes.size(), after.size());
    EXPECT_EQ(now[0].Bytes, old[0].Bytes);
    const std::size_t oldHeaders = HeaderPageCount(old);
    const std::size_t newHeaders = HeaderPageCount(now);
    ASSERT_EQ(now.size() - newHeaders, old.size() - oldHeaders);
    const std::uint32_t firstSequence = Le32At(now[0].Bytes, 18);
    for (std::size_t i = 0; i < now.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i));
        QByteArray zeroed = now[i].Bytes;
        zeroed.replace(22, 4, QByteArray(4, '\0'));
        EXPECT_EQ(BitwiseOggCrc(zeroed), now[i].StoredCrc);
        EXPECT_EQ(Le32At(now[i].Bytes, 18), firstSequence + i);
        EXPECT_EQ(now[i].Bytes.mid(14, 4), now[0].Bytes.mid(14, 4));
        EXPECT_EQ(now[i].Bytes[4], '\0');
        if (i >= newHeaders) {
            const PageView& was = old[i - newHeaders + oldHeaders];
            EXPECT_EQ(now[i].Bytes.left(18), was.Bytes.left(18));
            EXPECT_EQ(now[i].Bytes.mid(26), was.Bytes.mid(26));
        }
    }
    // The last header page ends the headers at granule position 0, as Vorbis asks.
    EXPECT_EQ(now[newHeaders - 1].Bytes.mid(6, 8), QByteArray(8, '\0'));
}

OggFixture LoadOggFixture() {
    const QByteArray bytes = Fixture("tone.ogg");
    const std::vector<PageView> pages = SplitPages(bytes);
    OggFixture fixture;
    if (pages.size() < 3) {
        ADD_FAILURE() << "tone.ogg has fewer than three pages";
        return fixture;
    }
    fixture.IdPacket = pages[0].Data;
    // Page 2 holds the comment packet, then the setup packet.
    const PageView& second = pages[1];
    qsizetype commentSize = 0;
    std::size_t i = 0;
    for (; i < second.Lacing.size(); ++i) {
        commentSize += second.Lacing[i];
        if (second.Lacing[i] != 255) {
            break;
        }
    }
    fixture.CommentPacket = second.Data.left(commentSize);
    fixture.SetupPacket = second.Data.mid(commentSize);
    for (int k = 0; k < 4; ++k) {
        fixture.Serial |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[14 + k])) << (8 * k);
    }
    fixture.AudioPages = bytes.mid(pages[2].Offset);
    return fixture;
}

namespace {

std::vector<std::uint8_t> LacingFor(qsizetype size) {
    std::vector<std::uint8_t> lacing(static_cast<std::size_t>(size / 255), 255);
    lacing.push_back(static_cast<std::uint8_t>(size % 255));
    return lacing;
}

std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// The pages with sequence numbers from `first` on, checksummed again.
QByteArray Renumbered(const QByteArray& pages, std::uint32_t first) {
    QByteArray out;
    for (const PageView& page : SplitPages(pages)) {
        QByteArray bytes = page.Bytes;
        bytes.replace(18, 4, Le32(first++));
        bytes.replace(22, 4, QByteArray(4, '\0'));
        bytes.replace(22, 4, Le32(BitwiseOggCrc(bytes)));
        out += bytes;
    }
    return out;
}

}  // namespace

QByteArray MakeOgg(const QByteArray& commentPacket, OggLayoutKind layout) {
    const OggFixture f = LoadOggFixture();
    const std::uint32_t serial = f.Serial;
    QByteArray out;
    switch (layout) {
        case OggLayoutKind::Standard:
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            out += OggPageBytes(0, 0, serial, 1,
                                Join(LacingFor(commentPacket.size()), LacingFor(f.SetupPacket.size())),
                                commentPacket + f.SetupPacket);
            break;
        case OggLayoutKind::IdAndCommentOnFirstPage:
            out += OggPageBytes(0x02, 0, serial, 0,
                                Join(LacingFor(f.IdPacket.size()), LacingFor(commentPacket.size())),
                                f.IdPacket + commentPacket);
            out += OggPageBytes(0, 0, serial, 1, LacingFor(f.SetupPacket.size()), f.SetupPacket);
            break;
        case OggLayoutKind::CommentSpansPages:
        case OggLayoutKind::CommentSpansPagesUnflagged: {
            // The first 255 bytes end page 2 with a 255 value, so the packet goes on.
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            out += OggPageBytes(0, ~std::uint64_t{0}, serial, 1, {255}, commentPacket.left(255));
            const QByteArray rest = commentPacket.mid(255);
            out += OggPageBytes(layout == OggLayoutKind::CommentSpansPages ? 0x01 : 0, 0, serial, 2,
                                Join(LacingFor(rest.size()), LacingFor(f.SetupPacket.size())),
                                rest + f.SetupPacket);
            break;
        }
        case OggLayoutKind::AudioOnLastHeaderPage: {
            const QByteArray audio("\0audio", 6);
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            out += OggPageBytes(0, 0, serial, 1,
                                Join(Join(LacingFor(commentPacket.size()), LacingFor(f.SetupPacket.size())),
                                     LacingFor(audio.size())),
                                commentPacket + f.SetupPacket + audio);
            break;
        }
        case OggLayoutKind::OtherStreamBetweenHeaders:
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            out += OggPageBytes(0x02, 0, serial + 1, 0, LacingFor(6), "\x01other");
            out += OggPageBytes(0, 0, serial, 1,
                                Join(LacingFor(commentPacket.size()), LacingFor(f.SetupPacket.size())),
                                commentPacket + f.SetupPacket);
            break;
        case OggLayoutKind::HeadersOnSmallPages: {
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            const std::vector<std::uint8_t> lacing =
                Join(LacingFor(commentPacket.size()), LacingFor(f.SetupPacket.size()));
            const QByteArray data = commentPacket + f.SetupPacket;
            qsizetype at = 0;
            std::uint32_t sequence = 1;
            for (std::size_t first = 0; first < lacing.size(); first += 16) {
                const std::vector<std::uint8_t> values(
                    lacing.begin() + static_cast<std::ptrdiff_t>(first),
                    lacing.begin() + static_cast<std::ptrdiff_t>(std::min(first + 16, lacing.size())));
                qsizetype size = 0;
                bool ends = false;
                for (const std::uint8_t value : values) {
                    size += value;
                    ends = ends || value < 255;
                }
                const bool continued = first > 0 && lacing[first - 1] == 255;
                out += OggPageBytes(continued ? 0x01 : 0, ends ? 0 : ~std::uint64_t{0}, serial, sequence++,
                                    values, data.mid(at, size));
                at += size;
            }
            break;
        }
        case OggLayoutKind::NoSetupHeader:
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            out += OggPageBytes(0, 0, serial, 1, LacingFor(commentPacket.size()), commentPacket);
            break;
        case OggLayoutKind::NoCommentHeader:
            out += OggPageBytes(0x02, 0, serial, 0, LacingFor(f.IdPacket.size()), f.IdPacket);
            out += OggPageBytes(0, 0, serial, 1, LacingFor(f.SetupPacket.size()), f.SetupPacket);
            break;
    }
    // The audio pages follow the header pages in sequence, as in any sound file.
    return out + Renumbered(f.AudioPages, static_cast<std::uint32_t>(SplitPages(out).size()));
}

FlacParts SplitFlac(const QByteArray& file) {
    FlacParts parts;
    qsizetype at = 4;
    bool last = false;
    while (!last && at + 4 <= file.size()) {
        const auto* header = reinterpret_cast<const unsigned char*>(file.constData() + at);
        last = (header[0] & 0x80) != 0;
        const qsizetype length = (qsizetype{header[1]} << 16) | (qsizetype{header[2]} << 8) | header[3];
        parts.Blocks.push_back({header[0] & 0x7F, file.mid(at + 4, length)});
        at += 4 + length;
    }
    parts.Audio = file.mid(at);
    return parts;
}

QByteArray MakeFlac(const std::vector<FlacBlockBytes>& blocks, const QByteArray& audio) {
    QByteArray file("fLaC");
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const qsizetype length = blocks[i].Data.size();
        file.append(static_cast<char>(blocks[i].Type | (i + 1 == blocks.size() ? 0x80 : 0)));
        file.append(static_cast<char>((length >> 16) & 0xFF));
        file.append(static_cast<char>((length >> 8) & 0xFF));
        file.append(static_cast<char>(length & 0xFF));
        file.append(blocks[i].Data);
    }
    return file + audio;
}

QByteArray FlacPictureData(const QByteArray& image) {
    const QByteArray mime("image/png");
    const QByteArray description("cover");
    return Be32(3) + Be32(static_cast<std::uint32_t>(mime.size())) + mime +
           Be32(static_cast<std::uint32_t>(description.size())) + description + Be32(1) + Be32(1) + Be32(24) +
           Be32(0) + Be32(static_cast<std::uint32_t>(image.size())) + image;
}

QJsonObject MutagenRead(const QString& path, QString* error) {
    const RunResult run =
        Run(Python(), {QStringLiteral(SW_SOURCE_DIR "/tests/tags/independent_read.py"), path});
    if (run.Exit != 0) {
        if (error != nullptr) {
            *error = QString::fromUtf8(run.Err);
        }
        return {};
    }
    return QJsonDocument::fromJson(run.Out).object();
}

QString AddPictureWithMutagen(const QString& path, int size) {
    const RunResult run = Run(
        Python(), {QStringLiteral(SW_SOURCE_DIR "/tests/tags/add_picture.py"), path, QString::number(size)});
    if (run.Exit != 0) {
        ADD_FAILURE() << "add_picture.py: " << run.Err.toStdString();
        return {};
    }
    return QString::fromUtf8(run.Out).trimmed();
}

QJsonObject FfprobeTags(const QString& path) {
    const RunResult run =
        Run(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format_tags:stream_tags",
                                        "-select_streams", "a:0", "-of", "json", path});
    if (run.Exit != 0) {
        return {};
    }
    const QJsonObject all = QJsonDocument::fromJson(run.Out).object();
    QJsonObject tags;
    const QJsonArray streams = all.value("streams").toArray();
    for (const QJsonObject& from :
         {all.value("format").toObject().value("tags").toObject(),
          streams.isEmpty() ? QJsonObject() : streams.at(0).toObject().value("tags").toObject()}) {
        for (auto it = from.begin(); it != from.end(); ++it) {
            tags.insert(it.key().toLower(), it.value());
        }
    }
    return tags;
}

QStringList MetaflacProblems(const QString& path) {
    const RunResult run = Run(QStringLiteral("metaflac"), {"--list", path});
    QStringList problems;
    for (const QByteArray& line : run.Err.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            problems << QString::fromUtf8(line);
        }
    }
    if (run.Exit != 0) {
        problems << QString("exit %1").arg(run.Exit);
    }
    return problems;
}

QStringList OpusInfoProblems(const QString& path) {
    const RunResult run = Run(QStringLiteral("opusinfo"), {path});
    QStringList problems;
    for (const QByteArray& line : (run.Out + run.Err).split('\n')) {
        if (line.startsWith("WARNING") || line.startsWith("ERROR")) {
            problems << QString::fromUtf8(line);
        }
    }
    if (run.Exit != 0) {
        problems << QString("exit %1 %2").arg(run.Exit).arg(QString::fromUtf8(run.Err));
    }
    return problems;
}

QStringList OggInfoProblems(const QString& path) {
    const RunResult run = Run(QStringLiteral("ogginfo"), {path});
    QStringList problems;
    // Complaints open their line; the comments it lists are indented (and a picture's base64
    // text may hold any word).
    for (const QByteArray& line : (run.Out + run.Err).split('\n')) {
        if (line.startsWith("WARNING") || line.startsWith("ERROR") || line.startsWith("Warning") ||
            line.startsWith("Error")) {
            problems << QString::fromUtf8(line);
        }
    }
    if (run.Exit != 0) {
        problems << QString("exit %1 %2").arg(run.Exit).arg(QString::fromUtf8(run.Err));
    }
    return problems;
}

Decoded DecodeWithFfmpeg(const QString& path) {
    const RunResult run = Run(QStringLiteral("ffmpeg"),
                              {"-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-f", "s16le", "-"});
    Decoded decoded;
    decoded.Pcm = run.Out;
    decoded.Errors = QString::fromUtf8(run.Err);
    if (run.Exit != 0) {
        decoded.Errors += QString(" (exit %1)").arg(run.Exit);
    }
    return decoded;
}

}  // namespace sw::test
