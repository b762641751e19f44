#include "TagText.h"

#include <QList>
#include <string>

#include "foundation/Numbers.h"

namespace sw {

namespace {

constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsTrimmed(QChar c) {
    return c.unicode() <= 32;
}

}  // namespace

QString DecodeWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

namespace {

/// The byte for a character, or -1 when Windows-1252 has none.
int Windows1252Byte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<int>(code);
    }
    // The high half of the table; the five bytes it leaves undefined decode to themselves.
    for (int index = 0; index < 32; ++index) {
        if (kWindows1252High[index] == code) {
            return 0x80 + index;
        }
    }
    return -1;
}

}  // namespace

QByteArray EncodeWindows1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t code : text.toUcs4()) {
        const int byte = Windows1252Byte(code);
        bytes.append(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

bool FitsWindows1252(const QString& text) {
    for (const char32_t code : text.toUcs4()) {
        if (Windows1252Byte(code) < 0) {
            return false;
        }
    }
    return true;
}

QString DecodeUtf16(const QByteArray& bytes, bool bigEndian) {
    qsizetype from = 0;
    if (bytes.size() >= 2) {
        const auto first = static_cast<unsigned char>(bytes[0]);
        const auto second = static_cast<unsigned char>(bytes[1]);
        if (first == 0xFF && second == 0xFE) {
            bigEndian = false, from = 2;
        } else if (first == 0xFE && second == 0xFF) {
            bigEndian = true, from = 2;
        }
    }
    QString text;
    text.reserve((bytes.size() - from) / 2);
    for (qsizetype i = from; i + 1 < bytes.size(); i += 2) {
        const auto high = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        const auto low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        text.append(QChar(static_cast<char16_t>((high << 8) | low)));
    }
    // A lone surrogate would not survive the trip to the catalogue; a pair cut in two is dropped,
    // any other becomes the replacement character.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            if (i == text.size() - 1 && text[i].isHighSurrogate()) {
                text.chop(1);
            } else {
                text[i] = QChar::ReplacementCharacter;
            }
        }
    }
    return text;
}

QByteArray EncodeUtf16WithBom(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    bytes.reserve(2 + 2 * text.size());
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QString DecodeUtf8Lenient(const QByteArray& bytes) {
    std::u32string codes;
    codes.reserve(static_cast<std::size_t>(bytes.size()));
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t code = 0;
        char32_t lowest = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, lowest = 0x10000;
        } else {
            break;
        }
        if (i + extra >= size && extra > 0) {
            break;
        }
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        // Over-long forms, surrogates and codes past Unicode are as broken as a bad continuation.
        if (!valid || code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            break;
        }
        codes.push_back(code);
        i += extra + 1;
    }
    return QString::fromUcs4(codes.data(), static_cast<qsizetype>(codes.size()));
}

QString TrimTagText(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && IsTrimmed(text[from])) {
        ++from;
    }
    while (to > from && IsTrimmed(text[to - 1])) {
        --to;
    }
    return text.mid(from, to - from);
}

QByteArray TrimTagBytes(const QByteArray& bytes) {
    qsizetype from = 0;
    qsizetype to = bytes.size();
    while (from < to && static_cast<unsigned char>(bytes[from]) <= 32) {
        ++from;
    }
    while (to > from && static_cast<unsigned char>(bytes[to - 1]) <= 32) {
        --to;
    }
    return bytes.mid(from, to - from);
}

std::uint8_t TrackFromText(const QString& text) {
    QString number = TrimTagText(text);
    const qsizetype slash = number.indexOf('/');
    if (slash >= 0) {
        number.truncate(slash);
    }
    int value = 0;
    if (!TryParseInt(number, value) || value < 0 || value > 255) {
        return 0;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace sw
