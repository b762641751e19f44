#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace sw {

/// Read-only random access to one regular file, for the tag parsers. Reads past the end come
/// back short rather than failing, so a parser checks what it got, never what a size field says.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    /// False, with Error() set, when the path is missing, not a regular file or cannot be read.
    bool Open(const QString& path);
    bool IsOpen() const { return m_fd >= 0; }
    std::int64_t Size() const { return m_size; }
    /// Up to `length` bytes from `offset`; the count read, short at the end, -1 on an input error.
    std::int64_t ReadAt(std::int64_t offset, void* out, std::size_t length) const;
    /// As above; the bytes actually read (empty after an input error).
    QByteArray ReadAt(std::int64_t offset, std::size_t length) const;
    /// The system's text for the last failure.
    const QString& Error() const { return m_error; }

private:
    int m_fd = -1;
    std::int64_t m_size = 0;
    // Tag readers keep returning to the start of the file; one read serves them all.
    QByteArray m_head;
    QString m_error;
};

}  // namespace sw
