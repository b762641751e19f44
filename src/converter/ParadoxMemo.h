#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace sw::paradox {

/// The .MB file of a table: the blob values that do not fit in their record. It is a sequence of
/// blocks (multiples of 4 KiB): single-value blocks and blocks shared by up to 64 small values.
class MemoFile {
public:
    explicit MemoFile(QByteArray content) : m_data(std::move(content)) {}

    /// The value a record's blob descriptor points to: `reference` holds the block offset with the
    /// slot index in its low byte, `length` the value's length. On a reference that does not lead
    /// to a value of that length, returns false with the problem in words.
    bool Read(std::uint32_t reference, std::uint32_t length, QByteArray& value, QString& problem) const;

private:
    QByteArray m_data;
};

}  // namespace sw::paradox
