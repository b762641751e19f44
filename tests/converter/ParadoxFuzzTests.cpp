// Thousands of damaged variants of the fixtures (and of the shared samples, when present): each is
// either read or refused with ParadoxError, never a crash, a hang or another error.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <random>

#include "Fixtures.h"
#include "ParadoxWriter.h"
#include "converter/ParadoxTable.h"

namespace sw::paradox {
namespace {

struct Seed {
    QString name;
    QByteArray table;
    QByteArray memo;
};

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<Seed> Seeds() {
    QStringList tables;
    for (const QString& file : QDir(test::FixturesFolder() + "/paradox").entryList({"*.db"}, QDir::Files)) {
        tables << test::FixturesFolder() + "/paradox/" + file;
    }
    for (const QString& file :
         QDir(test::FixturesFolder() + "/legacy/Data").entryList({"*.db"}, QDir::Files)) {
        tables << test::FixturesFolder() + "/legacy/Data/" + file;
    }
    const QString samples = QStringLiteral(SW_SOURCE_DIR "/../shared/paradox-samples/");
    for (const char* sample : {"paradoxdriver/db/CUSTOMER.DB", "Rparadox/extdata/TypSammlung.DB",
                               "paradoxReader/examples/PCLDATA/PCL.DB", "paradoxdriver/fields/memo.db"}) {
        if (QFileInfo::exists(samples + sample)) {
            tables << samples + sample;
        }
    }
    std::vector<Seed> seeds;
    for (const QString& path : tables) {
        const QString memo = CompanionFile(path, "MB");
        seeds.push_back(
            {QFileInfo(path).fileName(), ReadBytes(path), memo.isEmpty() ? QByteArray() : ReadBytes(memo)});
    }
    return seeds;
}

int Le16(const QByteArray& bytes, qsizetype at) {
    return at + 1 < bytes.size()
               ? static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8
               : 0;
}

/// Damages a copy the way broken tables are damaged, mostly in the header and the block headers.
QByteArray Mutate(const QByteArray& seed, std::mt19937& random, bool memo) {
    QByteArray bytes = seed;
    auto pick = [&](qsizetype limit) {
        return static_cast<qsizetype>(
            std::uniform_int_distribution<qsizetype>(0, std::max<qsizetype>(limit, 1) - 1)(random));
    };
    auto place = [&]() -> qsizetype {
        const int zone = static_cast<int>(random() % 10);
        const qsizetype header = memo ? 4096 : std::min<qsizetype>(bytes.size(), Le16(bytes, 2));
        if (zone < 4) {  // the fixed and extended header, the field descriptors
            return pick(std::min<qsizetype>(bytes.size(), memo ? 4096 + 0x150 : 0x120));
        }
        if (zone < 7 && header > 0) {  // a block header (or a slot table)
            const qsizetype unit =
                memo ? 4096 : std::max(1, static_cast<unsigned char>(bytes.size() > 5 ? bytes[5] : 1) * 1024);
            const qsizetype blocks = std::max<qsizetype>(1, (bytes.size() - header) / unit);
            return std::min<qsizetype>(bytes.size() - 1,
                                       header + pick(blocks) * unit + pick(memo ? 0x150 : 6));
        }
        return pick(bytes.size());
    };
    static const int kValues[] = {0, 1, 2, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF, 0x3F, 0x0800};
    const int mutations = 1 + static_cast<int>(random() % 3);
    for (int m = 0; m < mutations && !bytes.isEmpty(); ++m) {
        switch (random() % 4) {
            case 0:
            case 1:
                for (int flips = 1 + static_cast<int>(random() % 6); flips > 0; --flips) {
                    bytes[place()] ^= static_cast<char>(1 << (random() % 8));
                }
                break;
            case 2:
                bytes.truncate(pick(bytes.size() + 1));
                break;
            default: {
                const qsizetype at = place();
                const int value = kValues[random() % std::size(kValues)];
                bytes[at] = static_cast<char>(value & 0xFF);
                if (at + 1 < bytes.size()) {
                    bytes[at + 1] = static_cast<char>(value >> 8);
                }
            }
        }
    }
    return bytes;
}

int VariantCount() {
    const int configured = qEnvironmentVariableIntValue("SW_PARADOX_FUZZ_VARIANTS");
    return configured > 0 ? configured : 20000;
}

TEST(ParadoxFuzz, DamagedTablesAreReadOrRefusedCleanly) {
    const std::vector<Seed> seeds = Seeds();
    ASSERT_GE(seeds.size(), 8u);
    std::mt19937 random(20120501);
    int refused = 0;
    int read = 0;
    const int variants = VariantCount();
    for (int variant = 0; variant < variants; ++variant) {
        const Seed& seed = seeds[static_cast<std::size_t>(variant) % seeds.size()];
        const bool damageMemo = !seed.memo.isEmpty() && random() % 3 == 0;
        QByteArray bytes = damageMemo ? seed.table : Mutate(seed.table, random, false);
        std::optional<QByteArray> memo;
        if (!seed.memo.isEmpty()) {
            memo = damageMemo ? Mutate(seed.memo, random, true) : seed.memo;
        }
        try {
            const Table table(seed.name, std::move(bytes), std::move(memo));
            for (int row = 0; row < table.RowCount(); ++row) {
                table.Row(row);
            }
            ++read;
        } catch (const ParadoxError&) {
            ++refused;
        } catch (const std::exception& error) {
            ADD_FAILURE() << "variant " << variant << " of " << seed.name.toStdString() << ": "
                          << error.what();
        }
    }
    RecordProperty("read", read);
    RecordProperty("refused", refused);
    EXPECT_EQ(read + refused, variants);
    // The mutations reach both outcomes: some damage is refused, some only changes values.
    EXPECT_GT(refused, variants / 10);
    EXPECT_GT(read, variants / 10);
}

}  // namespace
}  // namespace sw::paradox
