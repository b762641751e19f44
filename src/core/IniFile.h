#pragma once

#include <QString>
#include <memory>

namespace sw {

/// A sectioned settings file, read whole on construction and written whole by Save. Keys are matched
/// without regard to letter case; keys this program does not know are kept as they stand.
class IniFile {
public:
    /// Reads the file when it exists; a missing file is an empty one.
    explicit IniFile(QString path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& Path() const { return m_path; }
    bool HasKey(const QString& section, const QString& key) const;
    /// Decimal text, or hexadecimal after "0x"; anything else (or a missing key) gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteString(const QString& section, const QString& key, const QString& value);
    void DeleteKey(const QString& section, const QString& key);
    /// Writes the file through a temporary copy. Throws with the system's text on failure.
    void Save() const;

private:
    struct Impl;
    QString m_path;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sw
