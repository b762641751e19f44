#pragma once

#include <QString>
#include <memory>

namespace sw {

/// A sectioned settings file, read whole on construction and written whole by Save. Keys and
/// section names are matched without regard to letter case; where a key occurs twice, the first
/// one counts. Saving keeps every line it did not change byte for byte: comments, keys this program
/// does not know, lines it cannot read (a NUL byte), text that is not UTF-8 (read as Latin-1).
class IniFile {
public:
    /// Reads the file when it exists; a missing file (or an empty path) is an empty one. Throws
    /// with the system's text, naming the file, when it exists but cannot be read.
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
    /// A key that already holds the value keeps its line as it stands; a changed one is written as
    /// "key = value" with the key spelled as the file spells it; a new one ends its section.
    void WriteString(const QString& section, const QString& key, const QString& value);
    /// Removes every line of that key in the section.
    void DeleteKey(const QString& section, const QString& key);
    /// Writes the file through a temporary copy beside it (beside a link's target), keeping its
    /// permissions; nothing is written when nothing changed. Throws with the system's text on
    /// failure, and for a read-only file, which is left as it is.
    void Save() const;

private:
    struct Impl;
    QString m_path;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sw
