#pragma once

#include <QString>
#include <QStringDecoder>
#include <array>

namespace sw::paradox {

/// Text of a DOS or Windows code page, decoded as Windows decodes it. Windows-1252 (also used for
/// 0, "none stated") is decoded the way the tag code decodes it; code page 437 from its own table;
/// the other single-byte code pages from the system's converters, but with bytes below 0x80 read as
/// ASCII (the system's IBM tables swap some control codes, Windows does not); the East Asian
/// double-byte code pages through the system's converters.
class CodePageDecoder {
public:
    explicit CodePageDecoder(int codePage);

    int CodePage() const { return m_codePage; }
    /// False when the system has no converter for the code page: text is then read as Windows-1252.
    bool Known() const { return m_known; }
    QString Decode(const char* data, qsizetype length) const;

private:
    enum class Kind { Windows1252, SingleByte, MultiByte };

    int m_codePage;
    bool m_known = true;
    Kind m_kind = Kind::Windows1252;
    /// The characters of bytes 0x80 to 0xFF of a single-byte code page.
    std::array<char16_t, 128> m_upper{};
    mutable QStringDecoder m_decoder;
};

}  // namespace sw::paradox
