#include "SongListOrder.h"

#include <QCollator>
#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <unordered_map>

#include "core/RowSet.h"

namespace sw {

namespace {

/// UTF-16 units reordered so that comparing them compares code points: surrogates (the code
/// points above U+FFFF) go after U+E000 to U+FFFF.
int CodePointRank(char16_t unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) {
        return unit + 0x2000;
    }
    return unit >= 0xE000 ? unit - 0x800 : unit;
}

/// Where a text's letters are stored: texts with the same key are the same text.
struct StorageKey {
    const void* data;
    qsizetype size;
    bool operator==(const StorageKey&) const = default;
};

struct StorageHash {
    std::size_t operator()(const StorageKey& key) const {
        return std::hash<const void*>()(key.data) ^ (static_cast<std::size_t>(key.size) << 1);
    }
};

/// How a column of the order is compared.
enum class KeyKind {
    Integer,
    Text,
    /// A text with few distinct values, most rows sharing their storage with others (the names
    /// joined in): each distinct text is ranked once, then compared as a number.
    RankedText
};

/// One column of the order's keys, read once from the row set.
struct KeyColumn {
    std::vector<QString> texts;
    std::vector<qint64> integers;
    std::vector<char> nulls;
    bool text = false;

    KeyColumn(const RowSet& rows, const QString& name, KeyKind kind) : text(kind == KeyKind::Text) {
        const int column = rows.ColumnIndex(name);
        const auto count = static_cast<std::size_t>(rows.RowCount());
        nulls.resize(count);
        integers.resize(count);
        if (kind != KeyKind::Integer) {
            texts.resize(count);
        }
        // Ranked texts are told apart by their storage first, which is cheap, and by their
        // letters only once per stored text.
        std::unordered_map<StorageKey, qint64, StorageHash> ranks;
        std::vector<QString> distinct;
        for (int row = 0; row < rows.RowCount(); ++row) {
            const auto r = static_cast<std::size_t>(row);
            nulls[r] = rows.IsNullAt(row, column);
            if (kind == KeyKind::Integer) {
                integers[r] = rows.IntegerAt(row, column);
            } else {
                texts[r] = rows.TextAt(row, column);
                if (kind == KeyKind::RankedText && !nulls[r]) {
                    const StorageKey stored{texts[r].constData(), texts[r].size()};
                    if (ranks.try_emplace(stored, 0).second) {
                        distinct.push_back(texts[r]);
                    }
                }
            }
        }
        if (kind == KeyKind::RankedText) {
            std::sort(distinct.begin(), distinct.end(),
                      [](const QString& a, const QString& b) { return CompareStoredText(a, b) < 0; });
            qint64 rank = 0;
            for (std::size_t i = 0; i < distinct.size(); ++i) {
                // Texts the catalogue holds equal ("a" and "a ") share a rank.
                if (i > 0 && CompareStoredText(distinct[i - 1], distinct[i]) != 0) {
                    ++rank;
                }
                ranks[StorageKey{distinct[i].constData(), distinct[i].size()}] = rank;
            }
            for (std::size_t r = 0; r < count; ++r) {
                if (!nulls[r]) {
                    integers[r] = ranks.at(StorageKey{texts[r].constData(), texts[r].size()});
                }
            }
            texts.clear();
        }
    }

    int Compare(int a, int b) const {
        const auto x = static_cast<std::size_t>(a);
        const auto y = static_cast<std::size_t>(b);
        if (nulls[x] || nulls[y]) {
            return int(nulls[y]) - int(nulls[x]);
        }
        if (text) {
            return CompareStoredText(texts[x], texts[y]);
        }
        return integers[x] < integers[y] ? -1 : (integers[x] > integers[y] ? 1 : 0);
    }
};

/// The ORDER BY of a mode as the columns of the row set it names.
std::vector<std::pair<QString, KeyKind>> OrderColumns(SongListMode mode) {
    constexpr KeyKind kNumber = KeyKind::Integer;
    constexpr KeyKind kName = KeyKind::RankedText;
    switch (mode) {
        case SongListMode::Album:
            return {{"TRACK", kNumber}, {"TITLE", KeyKind::Text}};
        case SongListMode::Artist:
            return {{"year", KeyKind::Text}, {"ALNAME", kName}, {"TRACK", kNumber}, {"TITLE", KeyKind::Text}};
        case SongListMode::Genre:
            return {{"SONGNUM", kNumber}};
        case SongListMode::Stamp:
        case SongListMode::Recent:
            return {{"ALNAME", kName},
                    {"TRACK", kNumber},
                    {"ARNAME", kName},
                    {"TITLE", KeyKind::Text},
                    {"SONGNUM", kNumber}};
        case SongListMode::Singles:
            return {{"year", KeyKind::Text}, {"ARNAME", kName}, {"SONGNUM", kNumber}};
        case SongListMode::Playlist:
        case SongListMode::PlayHistory:
            break;
    }
    return {};
}

}  // namespace

int CompareStoredText(const QString& a, const QString& b) {
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < common && a[i] == b[i]) {
        ++i;
    }
    const qsizetype length = std::max(a.size(), b.size());
    for (; i < length; ++i) {
        const int x = CodePointRank(i < a.size() ? a[i].unicode() : u' ');
        const int y = CodePointRank(i < b.size() ? b[i].unicode() : u' ');
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

std::vector<int> SongListOrder(const RowSet& rows, SongListMode mode) {
    std::vector<KeyColumn> keys;
    for (const auto& [name, kind] : OrderColumns(mode)) {
        keys.emplace_back(rows, name, kind);
    }
    std::vector<int> order(static_cast<std::size_t>(rows.RowCount()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
        for (const KeyColumn& key : keys) {
            if (const int c = key.Compare(a, b); c != 0) {
                return c < 0;
            }
        }
        return false;
    });
    return order;
}

std::vector<int> ColumnSortRanks(const std::vector<QString>& texts, bool numeric) {
    // Each distinct text is ranked once (a long list repeats its albums, artists and genres). Texts
    // sharing their storage are told apart by it, which is cheap; equal texts stored apart are
    // found equal when ranked.
    std::unordered_map<StorageKey, int, StorageHash> slotOfText;
    slotOfText.reserve(texts.size());
    std::vector<int> textSlot(texts.size());
    std::vector<QString> distinct;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto [at, added] = slotOfText.try_emplace(StorageKey{texts[i].constData(), texts[i].size()},
                                                        static_cast<int>(distinct.size()));
        if (added) {
            distinct.push_back(texts[i]);
        }
        textSlot[i] = at->second;
    }
    std::vector<int> byText(distinct.size());
    std::iota(byText.begin(), byText.end(), 0);
    const auto text = [&distinct](int slot) -> const QString& {
        return distinct[static_cast<std::size_t>(slot)];
    };
    std::vector<double> values;
    std::vector<QCollatorSortKey> sortKeys;
    if (numeric) {
        values.reserve(distinct.size());
        for (const QString& each : distinct) {
            values.push_back(each.isEmpty() ? 0 : each.toDouble());
        }
        std::sort(byText.begin(), byText.end(), [&](int a, int b) {
            if (text(a).isEmpty() || text(b).isEmpty()) {
                return text(a).isEmpty() && !text(b).isEmpty();
            }
            return values[static_cast<std::size_t>(a)] < values[static_cast<std::size_t>(b)];
        });
    } else {
        QCollator collator;
        collator.setNumericMode(true);
        sortKeys.reserve(distinct.size());
        for (const QString& each : distinct) {
            sortKeys.push_back(collator.sortKey(each));
        }
        std::sort(byText.begin(), byText.end(), [&](int a, int b) {
            if (text(a).isEmpty() || text(b).isEmpty()) {
                return text(a).isEmpty() && !text(b).isEmpty();
            }
            const int c =
                sortKeys[static_cast<std::size_t>(a)].compare(sortKeys[static_cast<std::size_t>(b)]);
            // Texts the locale holds equal (differing only in what it ignores) still go one way.
            return c != 0 ? c < 0 : text(a) < text(b);
        });
    }
    // Level texts share a rank: empty ones, equal ones, and numbers of equal value ("07" and "7").
    const auto level = [&](int a, int b) {
        if (text(a).isEmpty() || text(b).isEmpty()) {
            return text(a).isEmpty() && text(b).isEmpty();
        }
        return numeric ? values[static_cast<std::size_t>(a)] == values[static_cast<std::size_t>(b)]
                       : text(a) == text(b);
    };
    std::vector<int> rankOf(distinct.size());
    int rank = 0;
    for (std::size_t i = 0; i < byText.size(); ++i) {
        if (i > 0 && !level(byText[i - 1], byText[i])) {
            ++rank;
        }
        rankOf[static_cast<std::size_t>(byText[i])] = rank;
    }
    std::vector<int> ranks(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ranks[i] = rankOf[static_cast<std::size_t>(textSlot[i])];
    }
    return ranks;
}

std::vector<int> OrderByRanks(const std::vector<int>& ranks, bool reversed) {
    // A counting sort: stable, and as cheap reversed as not.
    int highest = -1;
    for (const int rank : ranks) {
        if (rank < 0) {
            throw std::invalid_argument("a negative rank");
        }
        highest = std::max(highest, rank);
    }
    std::vector<std::size_t> start(static_cast<std::size_t>(highest) + 2, 0);
    for (const int rank : ranks) {
        const int bucket = reversed ? highest - rank : rank;
        ++start[static_cast<std::size_t>(bucket) + 1];
    }
    for (std::size_t i = 1; i < start.size(); ++i) {
        start[i] += start[i - 1];
    }
    std::vector<int> order(ranks.size());
    for (std::size_t row = 0; row < ranks.size(); ++row) {
        const int bucket = reversed ? highest - ranks[row] : ranks[row];
        order[start[static_cast<std::size_t>(bucket)]++] = static_cast<int>(row);
    }
    return order;
}

std::vector<int> ColumnSortOrder(const std::vector<QString>& texts, bool numeric, bool reversed) {
    return OrderByRanks(ColumnSortRanks(texts, numeric), reversed);
}

}  // namespace sw
