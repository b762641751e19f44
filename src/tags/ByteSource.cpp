#include "ByteSource.h"

#include <algorithm>

#include "FileReader.h"

namespace sw {

QByteArray MemorySource::ReadAt(std::int64_t offset, std::size_t length) const {
    if (offset < 0 || offset >= m_bytes.size()) {
        return {};
    }
    const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(length), m_bytes.size() - offset);
    return m_bytes.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(count));
}

std::int64_t FileSource::Size() const {
    return m_file.Size();
}

QByteArray FileSource::ReadAt(std::int64_t offset, std::size_t length) const {
    return m_file.ReadAt(offset, length);
}

bool ByteCursor::Take(std::int64_t length, QByteArray& out) {
    if (length < 0 || length > Left()) {
        return false;
    }
    out = m_source.ReadAt(m_position, static_cast<std::size_t>(length));
    if (out.size() != length) {
        return false;
    }
    m_position += length;
    return true;
}

bool ByteCursor::Skip(std::int64_t length) {
    if (length < 0 || length > Left()) {
        return false;
    }
    m_position += length;
    return true;
}

namespace {

template <typename Number>
bool TakeLe(ByteCursor& cursor, Number& value) {
    QByteArray bytes;
    if (!cursor.Take(sizeof(Number), bytes)) {
        return false;
    }
    value = 0;
    for (std::size_t i = sizeof(Number); i-- > 0;) {
        value = static_cast<Number>((value << 8) | static_cast<unsigned char>(bytes[static_cast<qsizetype>(i)]));
    }
    return true;
}

}  // namespace

bool ByteCursor::TakeLe16(std::uint16_t& value) {
    return TakeLe(*this, value);
}

bool ByteCursor::TakeLe32(std::uint32_t& value) {
    return TakeLe(*this, value);
}

bool ByteCursor::TakeLe64(std::uint64_t& value) {
    return TakeLe(*this, value);
}

}  // namespace sw
