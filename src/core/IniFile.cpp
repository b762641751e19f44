#include "IniFile.h"

#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <QFile>
#include <stdexcept>
#include <string>

#include "foundation/Files.h"
#include "foundation/Numbers.h"

namespace sw {

struct IniFile::Impl {
    // In SimpleIni, the "A" form compares keys without regard to case; "CaseA" is the case-sensitive one.
    CSimpleIniA ini{true, false, false};
};

namespace {

std::string Utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)), m_impl(std::make_unique<Impl>()) {
    QFile file(m_path);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(("Cannot read " + m_path + ": " + file.errorString()).toStdString());
    }
    const QByteArray content = file.readAll();
    if (m_impl->ini.LoadData(content.constData(), static_cast<size_t>(content.size())) < 0) {
        throw std::runtime_error(("Cannot parse settings file " + m_path).toStdString());
    }
}

IniFile::~IniFile() = default;

bool IniFile::HasKey(const QString& section, const QString& key) const {
    return m_impl->ini.GetValue(Utf8(section).c_str(), Utf8(key).c_str(), nullptr) != nullptr;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const char* raw = m_impl->ini.GetValue(Utf8(section).c_str(), Utf8(key).c_str(), nullptr);
    if (!raw) {
        return defaultValue;
    }
    const QString text = QString::fromUtf8(raw).trimmed();
    if (text.startsWith("0x", Qt::CaseInsensitive)) {
        bool ok = false;
        const int value = static_cast<int>(text.mid(2).toUInt(&ok, 16));
        return ok ? value : defaultValue;
    }
    int value = 0;
    return !text.isEmpty() && TryParseInt(text, value) ? value : defaultValue;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const char* raw = m_impl->ini.GetValue(Utf8(section).c_str(), Utf8(key).c_str(), nullptr);
    return raw ? QString::fromUtf8(raw) : defaultValue;
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    m_impl->ini.SetValue(Utf8(section).c_str(), Utf8(key).c_str(), Utf8(value).c_str());
}

void IniFile::DeleteKey(const QString& section, const QString& key) {
    m_impl->ini.Delete(Utf8(section).c_str(), Utf8(key).c_str(), true);
}

void IniFile::Save() const {
    std::string content;
    if (m_impl->ini.Save(content, false) < 0) {
        throw std::runtime_error(("Cannot format settings file " + m_path).toStdString());
    }
    WriteFileAtomically(m_path, QByteArray::fromStdString(content));
}

}  // namespace sw
