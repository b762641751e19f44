#include "CodePage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include "tags/TagText.h"

namespace sw::paradox {

namespace {

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

}  // namespace

CodePageDecoder::CodePageDecoder(int codePage) : m_codePage(codePage) {
    if (codePage == 0 || codePage == 1252) {
        return;
    }
    for (const QString& name : ConverterNames(codePage)) {
        QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
        if (decoder.isValid()) {
            m_decoder = std::move(decoder);
            m_windows1252 = false;
            return;
        }
    }
    m_known = false;
}

QString CodePageDecoder::Decode(const char* data, qsizetype length) const {
    if (m_windows1252) {
        return DecodeWindows1252(QByteArray::fromRawData(data, length));
    }
    m_decoder.resetState();
    return m_decoder.decode(QByteArrayView(data, length));
}

}  // namespace sw::paradox
