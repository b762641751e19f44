// The tag of an ASF file: the Content Description object (title, author, description) and the
// Extended Content Description object (named values such as WM/AlbumTitle) in the file's header.
#include <QStringList>
#include <map>

#include "ByteSource.h"
#include "ContainerTag.h"
#include "TagText.h"

namespace sw {

namespace {

// GUIDs as they lie on disk (their first three fields little-endian).
const QByteArray kHeaderObject("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kContentDescription("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kExtendedContentDescription("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50",
                                             16);

constexpr std::int64_t kHeaderObjectSize = 30;
constexpr std::int64_t kObjectHeader = 24;
// A header larger than this, or with more objects, is not trusted (its pictures, when it has
// any, lie in an object this reader passes over).
constexpr std::uint64_t kLargestHeader = std::uint64_t{64} << 20;
constexpr int kMostObjects = 4096;

// Types of an extended descriptor's value.
enum : std::uint16_t { kText = 0, kBytes = 1, kBool = 2, kDword = 3, kQword = 4, kWord = 5 };

QString Utf16Text(const QByteArray& bytes) {
    const QString text = DecodeUtf16(bytes, false);
    const qsizetype zero = text.indexOf(QChar(0));
    return zero < 0 ? text : text.left(zero);
}

bool ReadContentDescription(ByteCursor body, TContainerTag& tag) {
    std::uint16_t lengths[5] = {};
    for (std::uint16_t& length : lengths) {
        if (!body.TakeLe16(length)) {
            return false;
        }
    }
    QString* fields[5] = {&tag.Title, &tag.Artist, nullptr, &tag.Comment, nullptr};
    for (int i = 0; i < 5; ++i) {
        QByteArray text;
        if (!body.Take(lengths[i], text)) {
            return false;
        }
        if (fields[i] != nullptr) {
            *fields[i] = Utf16Text(text);
        }
    }
    return true;
}

/// The value of a descriptor, as text; numbers in decimal. Empty for other types.
QString DescriptorValue(std::uint16_t type, const QByteArray& value) {
    const auto number = [&value](int bytes) -> QString {
        if (value.size() < bytes) {
            return {};
        }
        std::uint64_t n = 0;
        for (int i = bytes; i-- > 0;) {
            n = (n << 8) | static_cast<unsigned char>(value[i]);
        }
        return QString::number(n);
    };
    switch (type) {
        case kText:
            return Utf16Text(value);
        case kDword:
            return number(4);
        case kQword:
            return number(8);
        case kWord:
            return number(2);
        default:
            return {};
    }
}

/// The descriptors this reader uses, by their names in lower case; the first of each name counts.
bool ReadExtendedContentDescription(ByteCursor body, std::map<QString, QString>& values) {
    static const QStringList kWanted{"wm/albumtitle", "wm/year", "date",  "wm/tracknumber", "wm/track",
                                     "wm/genre",      "title",   "author", "description"};
    std::uint16_t count = 0;
    if (!body.TakeLe16(count)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        std::uint16_t nameLength = 0;
        std::uint16_t type = 0;
        std::uint16_t valueLength = 0;
        QByteArray name;
        if (!body.TakeLe16(nameLength) || !body.Take(nameLength, name) || !body.TakeLe16(type) ||
            !body.TakeLe16(valueLength)) {
            return false;
        }
        const QString key = Utf16Text(name).toLower();
        if (!kWanted.contains(key) || values.count(key) != 0) {
            if (!body.Skip(valueLength)) {
                return false;
            }
            continue;
        }
        QByteArray value;
        if (!body.Take(valueLength, value)) {
            return false;
        }
        values[key] = DescriptorValue(type, value);
    }
    return true;
}

void FillFromExtended(const std::map<QString, QString>& values, TContainerTag& tag) {
    const auto value = [&values](const QString& key) {
        const auto found = values.find(key);
        return found == values.end() ? QString() : found->second;
    };
    // The Content Description object comes first; these names stand in for what it left empty.
    const auto fill = [](QString& field, const QString& text) {
        if (field.isEmpty()) {
            field = text;
        }
    };
    fill(tag.Title, value("title"));
    fill(tag.Artist, value("author"));
    fill(tag.Comment, value("description"));
    tag.Album = value("wm/albumtitle");
    // ffmpeg writes the year as "date".
    tag.Date = values.count("wm/year") != 0 ? value("wm/year") : value("date");
    tag.Genre = value("wm/genre");
    if (values.count("wm/tracknumber") != 0) {
        tag.Track = TrackFromText(value("wm/tracknumber"));
    } else if (values.count("wm/track") != 0) {
        // Counted from 0.
        bool number = false;
        const unsigned fromZero = value("wm/track").section('/', 0, 0).trimmed().toUInt(&number);
        tag.Track = number && fromZero < 255 ? static_cast<std::uint8_t>(fromZero + 1) : 0;
    }
}

}  // namespace

std::optional<TContainerTag> ReadAsfTag(const ByteSource& file) {
    ByteCursor top(file, 0, file.Size());
    QByteArray guid;
    std::uint64_t headerSize = 0;
    std::uint32_t objectCount = 0;
    if (!top.Take(16, guid) || guid != kHeaderObject || !top.TakeLe64(headerSize) || !top.TakeLe32(objectCount) ||
        headerSize < kHeaderObjectSize || headerSize > kLargestHeader ||
        headerSize > static_cast<std::uint64_t>(file.Size())) {
        return std::nullopt;
    }
    ByteCursor header(file, kHeaderObjectSize, static_cast<std::int64_t>(headerSize));
    TContainerTag tag;
    std::map<QString, QString> extended;
    // The first object of each kind counts.
    bool description = false;
    bool extendedDescription = false;
    for (std::uint32_t i = 0; i < objectCount && !header.AtEnd(); ++i) {
        const std::int64_t start = header.Position();
        QByteArray id;
        std::uint64_t size = 0;
        if (i == kMostObjects || !header.Take(16, id) || !header.TakeLe64(size) ||
            size < static_cast<std::uint64_t>(kObjectHeader) ||
            size > static_cast<std::uint64_t>(header.End() - start)) {
            return std::nullopt;
        }
        const std::int64_t end = start + static_cast<std::int64_t>(size);
        const ByteCursor body(file, header.Position(), end);
        if (id == kContentDescription && !description) {
            if (!ReadContentDescription(body, tag)) {
                return std::nullopt;
            }
            description = true;
        } else if (id == kExtendedContentDescription && !extendedDescription) {
            if (!ReadExtendedContentDescription(body, extended)) {
                return std::nullopt;
            }
            extendedDescription = true;
        }
        header.Skip(end - header.Position());
    }
    FillFromExtended(extended, tag);
    if (tag.IsEmpty()) {
        return std::nullopt;
    }
    return tag;
}

}  // namespace sw
