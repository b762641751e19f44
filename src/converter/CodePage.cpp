#include "CodePage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include "tags/TagText.h"

namespace sw::paradox {

namespace {

/// Bytes 0x80 to 0xFF of code page 437 as Windows maps them (0xE6 is the micro sign).
constexpr std::array<char16_t, 128> kCodePage437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

/// The converter names to try for a code page number, most likely first.
QStringList ConverterNames(int codePage) {
    switch (codePage) {
        case 932:
            return {"Shift_JIS"};
        case 936:
            return {"GBK", "windows-936"};
        case 949:
            return {"windows-949", "EUC-KR"};
        case 950:
            return {"Big5"};
        default:
            return {QString("windows-%1").arg(codePage), QString("IBM%1").arg(codePage),
                    QString("cp%1").arg(codePage)};
    }
}

bool DoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

}  // namespace

CodePageDecoder::CodePageDecoder(int codePage) : m_codePage(codePage) {
    if (codePage == 0 || codePage == 1252) {
        return;
    }
    if (codePage == 437) {
        m_kind = Kind::SingleByte;
        m_upper = kCodePage437;
        return;
    }
    for (const QString& name : ConverterNames(codePage)) {
        QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
        if (!decoder.isValid()) {
            continue;
        }
        if (DoubleByte(codePage)) {
            m_decoder = std::move(decoder);
            m_kind = Kind::MultiByte;
            return;
        }
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const char one = static_cast<char>(byte);
            const QString text = decoder.decode(QByteArrayView(&one, 1));
            m_upper[static_cast<std::size_t>(byte - 0x80)] = text.size() == 1 ? text[0].unicode() : u'\uFFFD';
        }
        m_kind = Kind::SingleByte;
        return;
    }
    m_known = false;
}

QString CodePageDecoder::Decode(const char* data, qsizetype length) const {
    switch (m_kind) {
        case Kind::Windows1252:
            return DecodeWindows1252(QByteArray::fromRawData(data, length));
        case Kind::MultiByte:
            m_decoder.resetState();
            return m_decoder.decode(QByteArrayView(data, length));
        case Kind::SingleByte:
            break;
    }
    QString text(length, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out[i] = byte < 0x80 ? QChar(byte) : QChar(m_upper[byte - 0x80]);
    }
    return text;
}

}  // namespace sw::paradox
