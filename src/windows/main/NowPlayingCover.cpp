#include "NowPlayingCover.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sw {

namespace {

constexpr quint32 kFrontCover = 3;
/// No tag or picture block worth showing is larger; a size field beyond it is not trusted.
constexpr qint64 kLargestTag = 64 * 1024 * 1024;

quint32 BigEndian32(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return (quint32{p[0]} << 24) | (quint32{p[1]} << 16) | (quint32{p[2]} << 8) | quint32{p[3]};
}

quint32 LittleEndian32(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return (quint32{p[3]} << 24) | (quint32{p[2]} << 16) | (quint32{p[1]} << 8) | quint32{p[0]};
}

quint32 Synchsafe(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return (quint32{p[0] & 0x7fu} << 21) | (quint32{p[1] & 0x7fu} << 14) | (quint32{p[2] & 0x7fu} << 7) |
           quint32{p[3] & 0x7fu};
}

/// Keeps the first picture, or the first front cover once one comes.
class PictureChoice {
public:
    void Offer(const QByteArray& data, quint32 type) {
        if (data.isEmpty() || m_front) {
            return;
        }
        if (m_data.isEmpty() || type == kFrontCover) {
            m_data = data;
            m_front = type == kFrontCover;
        }
    }
    const QByteArray& Data() const { return m_data; }

private:
    QByteArray m_data;
    bool m_front = false;
};

QByteArray UndoUnsynchronisation(const QByteArray& bytes) {
    QByteArray plain;
    plain.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        plain.append(bytes[i]);
        if (static_cast<unsigned char>(bytes[i]) == 0xff && i + 1 < bytes.size() && bytes[i + 1] == 0) {
            ++i;
        }
    }
    return plain;
}

/// The picture of an APIC frame's body: encoding, MIME type, picture type, description, data.
void OfferApic(const QByteArray& body, PictureChoice& choice) {
    if (body.size() < 4) {
        return;
    }
    const int encoding = static_cast<unsigned char>(body[0]);
    qsizetype at = body.indexOf('\0', 1);
    if (at < 0 || at + 2 > body.size()) {
        return;
    }
    const quint32 type = static_cast<unsigned char>(body[at + 1]);
    at += 2;
    // The description ends in one zero byte, or two (aligned) in UTF-16.
    const bool wide = encoding == 1 || encoding == 2;
    while (at < body.size()) {
        if (!wide && body[at] == 0) {
            at += 1;
            break;
        }
        if (wide && at + 1 < body.size() && body[at] == 0 && body[at + 1] == 0) {
            at += 2;
            break;
        }
        at += wide ? 2 : 1;
    }
    if (at < body.size()) {
        choice.Offer(body.mid(at), type);
    }
}

QByteArray Id3v2Picture(QFile& file) {
    const QByteArray header = file.read(10);
    if (header.size() < 10 || !header.startsWith("ID3")) {
        return {};
    }
    const int version = static_cast<unsigned char>(header[3]);
    const int flags = static_cast<unsigned char>(header[5]);
    const qint64 size = Synchsafe(header, 6);
    if ((version != 3 && version != 4) || size > kLargestTag) {
        return {};
    }
    QByteArray tag = file.read(size);
    if (version == 3 && (flags & 0x80)) {
        tag = UndoUnsynchronisation(tag);
    }
    qsizetype at = 0;
    if ((flags & 0x40) && tag.size() >= 4) {
        const quint32 extended = version == 4 ? Synchsafe(tag, 0) : BigEndian32(tag, 0) + 4;
        at = extended;
    }
    PictureChoice choice;
    while (at + 10 <= tag.size() && tag[at] != 0) {
        const QByteArray id = tag.mid(at, 4);
        const quint32 frameSize = version == 4 ? Synchsafe(tag, at + 4) : BigEndian32(tag, at + 4);
        const int frameFlags = static_cast<unsigned char>(tag[at + 9]);
        at += 10;
        if (frameSize > static_cast<quint32>(tag.size() - at)) {
            break;
        }
        QByteArray body = tag.mid(at, frameSize);
        at += frameSize;
        if (id != "APIC") {
            continue;
        }
        // Version 4 flags a frame's own unsynchronisation and its data length indicator; a
        // compressed or encrypted picture is passed over.
        if (version == 4) {
            if (frameFlags & 0x0c) {
                continue;
            }
            if (frameFlags & 0x01) {
                body = body.mid(4);
            }
            if (frameFlags & 0x02) {
                body = UndoUnsynchronisation(body);
            }
        } else if (frameFlags & 0xc0) {
            continue;
        }
        OfferApic(body, choice);
    }
    return choice.Data();
}

QByteArray FlacPicture(QFile& file) {
    if (file.read(4) != "fLaC") {
        return {};
    }
    PictureChoice choice;
    for (bool last = false; !last;) {
        const QByteArray header = file.read(4);
        if (header.size() < 4) {
            break;
        }
        last = (static_cast<unsigned char>(header[0]) & 0x80) != 0;
        const int type = static_cast<unsigned char>(header[0]) & 0x7f;
        const qint64 length = (qint64{static_cast<unsigned char>(header[1])} << 16) |
                              (qint64{static_cast<unsigned char>(header[2])} << 8) |
                              qint64{static_cast<unsigned char>(header[3])};
        if (type == 6) {
            quint32 pictureType = 0;
            const QByteArray data = FlacPictureData(file.read(length), &pictureType);
            choice.Offer(data, pictureType);
        } else if (!file.seek(file.pos() + length)) {
            break;
        }
    }
    return choice.Data();
}

/// The second packet of an Ogg stream (its comment header), put together from its pages.
QByteArray OggCommentPacket(QFile& file) {
    QByteArray packet;
    int packetIndex = 0;
    while (packet.size() < kLargestTag) {
        const QByteArray header = file.read(27);
        if (header.size() < 27 || !header.startsWith("OggS")) {
            return {};
        }
        const int segments = static_cast<unsigned char>(header[26]);
        const QByteArray lacing = file.read(segments);
        if (lacing.size() < segments) {
            return {};
        }
        for (int i = 0; i < segments; ++i) {
            const int length = static_cast<unsigned char>(lacing[i]);
            const QByteArray segment = file.read(length);
            if (segment.size() < length) {
                return {};
            }
            if (packetIndex == 1) {
                packet += segment;
            }
            if (length < 255) {
                if (packetIndex == 1) {
                    return packet;
                }
                ++packetIndex;
            }
        }
    }
    return {};
}

QByteArray OggPicture(QFile& file) {
    QByteArray packet = OggCommentPacket(file);
    if (packet.startsWith("\x03vorbis")) {
        packet = packet.mid(7);
    } else if (packet.startsWith("OpusTags")) {
        packet = packet.mid(8);
    } else {
        return {};
    }
    if (packet.size() < 4) {
        return {};
    }
    qsizetype at = 4 + LittleEndian32(packet, 0);
    if (at + 4 > packet.size()) {
        return {};
    }
    const quint32 count = LittleEndian32(packet, at);
    at += 4;
    PictureChoice choice;
    static const QByteArray kName = "METADATA_BLOCK_PICTURE=";
    for (quint32 i = 0; i < count && at + 4 <= packet.size(); ++i) {
        const quint32 length = LittleEndian32(packet, at);
        at += 4;
        if (length > static_cast<quint32>(packet.size() - at)) {
            break;
        }
        const QByteArray comment = packet.mid(at, length);
        at += length;
        if (comment.size() > kName.size() && comment.left(kName.size()).toUpper() == kName) {
            quint32 type = 0;
            const QByteArray data = FlacPictureData(QByteArray::fromBase64(comment.mid(kName.size())), &type);
            choice.Offer(data, type);
        }
    }
    return choice.Data();
}

}  // namespace

QByteArray FlacPictureData(const QByteArray& body, quint32* type) {
    qsizetype at = 0;
    auto next = [&](quint32& value) {
        if (at + 4 > body.size()) {
            return false;
        }
        value = BigEndian32(body, at);
        at += 4;
        return true;
    };
    quint32 pictureType = 0;
    quint32 length = 0;
    if (!next(pictureType) || !next(length) || length > static_cast<quint32>(body.size() - at)) {
        return {};
    }
    at += length;  // MIME type
    if (!next(length) || length > static_cast<quint32>(body.size() - at)) {
        return {};
    }
    at += length;  // description
    quint32 ignored = 0;
    for (int i = 0; i < 4; ++i) {  // width, height, depth, colours
        if (!next(ignored)) {
            return {};
        }
    }
    if (!next(length) || length > static_cast<quint32>(body.size() - at)) {
        return {};
    }
    if (type) {
        *type = pictureType;
    }
    return body.mid(at, length);
}

QByteArray EmbeddedPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray magic = file.peek(4);
    if (magic.startsWith("ID3")) {
        return Id3v2Picture(file);
    }
    if (magic == "fLaC") {
        return FlacPicture(file);
    }
    if (magic == "OggS") {
        return OggPicture(file);
    }
    return {};
}

QString CoverFileBeside(const QString& audioPath) {
    const QDir folder = QFileInfo(audioPath).dir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Readable);
    for (const char* wanted : {"cover.jpg", "folder.jpg", "cover.jpeg", "folder.jpeg", "cover.png", "folder.png"}) {
        // The exact spelling first, then any letter case.
        if (entries.contains(wanted)) {
            return folder.filePath(wanted);
        }
        for (const QString& entry : entries) {
            if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
                return folder.filePath(entry);
            }
        }
    }
    return {};
}

CoverImage FindCover(const QString& audioPath) {
    CoverImage cover;
    if (audioPath.isEmpty()) {
        return cover;
    }
    cover.Data = EmbeddedPicture(audioPath);
    if (!cover.Data.isEmpty()) {
        cover.Source = audioPath;
        return cover;
    }
    const QString beside = CoverFileBeside(audioPath);
    QFile file(beside);
    if (!beside.isEmpty() && file.open(QIODevice::ReadOnly)) {
        cover.Data = file.read(kLargestTag);
        cover.Source = beside;
    }
    return cover;
}

}  // namespace sw
