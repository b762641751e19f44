#pragma once

#include <QString>
#include <QStringDecoder>

namespace sw::paradox {

/// Text of a DOS or Windows code page. Windows-1252 (also used for 0, "none stated") is decoded the
/// way the tag code decodes it; other code pages go through the system's converters.
class CodePageDecoder {
public:
    explicit CodePageDecoder(int codePage);

    int CodePage() const { return m_codePage; }
    /// False when the system has no converter for the code page: text is then read as Windows-1252.
    bool Known() const { return m_known; }
    QString Decode(const char* data, qsizetype length) const;

private:
    int m_codePage;
    bool m_known = true;
    bool m_windows1252 = true;
    mutable QStringDecoder m_decoder;
};

}  // namespace sw::paradox
