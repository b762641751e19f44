#include "ParadoxMemo.h"

namespace sw::paradox {

namespace {

constexpr std::uint32_t kSubBlockSize = 4096;
constexpr int kSingleValueBlock = 2;
constexpr int kSharedBlock = 3;
constexpr std::uint32_t kSingleValueSlot = 0xFF;
constexpr int kSlotTable = 12;
constexpr int kSlotSize = 5;
constexpr int kSlots = 64;

std::uint32_t Le32(const QByteArray& data, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    }
    return value;
}

}  // namespace

bool MemoFile::Read(std::uint32_t reference, std::uint32_t length, QByteArray& value,
                    QString& problem) const {
    const qsizetype size = m_data.size();
    const qsizetype block = reference & 0xFFFFFF00U;
    const std::uint32_t slot = reference & 0xFFU;
    if (block == 0 || block + 3 > size) {
        problem = QString("blob reference 0x%1 lies outside the .MB file").arg(reference, 0, 16);
        return false;
    }
    const int type = static_cast<unsigned char>(m_data[block]);
    qsizetype start = 0;
    if (slot == kSingleValueSlot) {
        if (type != kSingleValueBlock || block + 9 > size) {
            problem = QString("blob reference 0x%1 does not lead to a value block").arg(reference, 0, 16);
            return false;
        }
        if (Le32(m_data, block + 3) != length) {
            problem = QString("blob at 0x%1 does not have the length its record gives").arg(reference, 0, 16);
            return false;
        }
        start = block + 9;
    } else {
        const qsizetype entry = block + kSlotTable + kSlotSize * static_cast<qsizetype>(slot);
        if (type != kSharedBlock || slot >= kSlots || entry + kSlotSize > size) {
            problem = QString("blob reference 0x%1 does not lead to a value slot").arg(reference, 0, 16);
            return false;
        }
        const auto chunk = [&](int i) { return static_cast<unsigned char>(m_data[entry + i]); };
        const std::uint32_t stored = chunk(1) == 0 ? 0 : (chunk(1) - 1U) * 16U + chunk(4);
        if (chunk(4) == 0 || chunk(4) > 16 || stored != length) {
            problem = QString("blob at 0x%1 does not have the length its record gives").arg(reference, 0, 16);
            return false;
        }
        start = block + 16 * static_cast<qsizetype>(chunk(0));
        if (start + length > block + kSubBlockSize) {
            problem = QString("blob at 0x%1 runs past its block").arg(reference, 0, 16);
            return false;
        }
    }
    if (start + static_cast<qsizetype>(length) > size) {
        problem = QString("blob at 0x%1 runs past the end of the .MB file").arg(reference, 0, 16);
        return false;
    }
    value = m_data.mid(start, length);
    return true;
}

}  // namespace sw::paradox
