#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace sw {

class FileReader;

/// Random access to the bytes of a file or of a buffer, for the parsers that walk a container's
/// boxes without loading the whole file. A read past the end comes back short.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t Size() const = 0;
    /// Up to `length` bytes from `offset`; fewer at the end, none past it or after an input error.
    virtual QByteArray ReadAt(std::int64_t offset, std::size_t length) const = 0;
};

/// A buffer held in memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    std::int64_t Size() const override { return m_bytes.size(); }
    QByteArray ReadAt(std::int64_t offset, std::size_t length) const override;

private:
    QByteArray m_bytes;
};

/// An open file.
class FileSource : public ByteSource {
public:
    explicit FileSource(const FileReader& file) : m_file(file) {}
    std::int64_t Size() const override;
    QByteArray ReadAt(std::int64_t offset, std::size_t length) const override;

private:
    const FileReader& m_file;
};

/// Reads forward through one byte range [position, end) of a source, refusing (false) any read
/// that would leave the range, so that no size field can carry a parser past its box.
class ByteCursor {
public:
    ByteCursor(const ByteSource& source, std::int64_t position, std::int64_t end)
        : m_source(source), m_position(position), m_end(end) {}

    std::int64_t Position() const { return m_position; }
    std::int64_t End() const { return m_end; }
    std::int64_t Left() const { return m_end - m_position; }
    bool AtEnd() const { return m_position >= m_end; }

    /// Exactly `length` bytes, or false (the source ran short, or the range ends first).
    bool Take(std::int64_t length, QByteArray& out);
    bool Skip(std::int64_t length);
    bool TakeLe16(std::uint16_t& value);
    bool TakeLe32(std::uint32_t& value);
    bool TakeLe64(std::uint64_t& value);

private:
    const ByteSource& m_source;
    std::int64_t m_position;
    std::int64_t m_end;
};

}  // namespace sw
