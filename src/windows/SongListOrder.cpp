#include "SongListOrder.h"

#include <QCollator>
#include <QHash>
#include <algorithm>
#include <numeric>

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
        QHash<const void*, qint64> ranks;
        std::vector<QString> distinct;
        for (int row = 0; row < rows.RowCount(); ++row) {
            const QVariant value = rows.Value(row, column);
            const auto r = static_cast<std::size_t>(row);
            nulls[r] = !value.isValid();
            if (kind == KeyKind::Integer) {
                integers[r] = value.toLongLong();
            } else {
                texts[r] = value.toString();
                if (kind == KeyKind::RankedText && !nulls[r]) {
                    const void* stored = texts[r].constData();
                    if (!ranks.contains(stored)) {
                        ranks.insert(stored, 0);
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
                ranks[distinct[i].constData()] = rank;
            }
            for (std::size_t r = 0; r < count; ++r) {
                if (!nulls[r]) {
                    integers[r] = ranks.value(texts[r].constData());
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

std::vector<int> ColumnSortOrder(const std::vector<QString>& texts, bool numeric, bool reversed) {
    // Each distinct text is ranked once (a long list repeats its albums, artists and genres), then
    // the rows are ordered by rank.
    QHash<QString, int> rankOf;
    std::vector<QString> distinct;
    for (const QString& text : texts) {
        if (!rankOf.contains(text)) {
            rankOf.insert(text, 0);
            distinct.push_back(text);
        }
    }
    if (numeric) {
        std::stable_sort(distinct.begin(), distinct.end(), [](const QString& a, const QString& b) {
            if (a.isEmpty() || b.isEmpty()) {
                return a.isEmpty() && !b.isEmpty();
            }
            return a.toDouble() < b.toDouble();
        });
    } else {
        QCollator collator;
        collator.setNumericMode(true);
        std::vector<QCollatorSortKey> sortKeys;
        sortKeys.reserve(distinct.size());
        for (const QString& text : distinct) {
            sortKeys.push_back(collator.sortKey(text));
        }
        std::vector<int> byKey(distinct.size());
        std::iota(byKey.begin(), byKey.end(), 0);
        std::stable_sort(byKey.begin(), byKey.end(), [&](int a, int b) {
            const QString& x = distinct[static_cast<std::size_t>(a)];
            const QString& y = distinct[static_cast<std::size_t>(b)];
            if (x.isEmpty() || y.isEmpty()) {
                return x.isEmpty() && !y.isEmpty();
            }
            const int c = sortKeys[static_cast<std::size_t>(a)].compare(sortKeys[static_cast<std::size_t>(b)]);
            // Texts the locale holds equal (differing only in what it ignores) still go one way.
            return c != 0 ? c < 0 : x < y;
        });
        std::vector<QString> sorted;
        sorted.reserve(distinct.size());
        for (const int each : byKey) {
            sorted.push_back(distinct[static_cast<std::size_t>(each)]);
        }
        distinct = std::move(sorted);
    }
    // Texts whose numbers are equal ("07" and "7") share a rank.
    int rank = 0;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        if (i > 0 && !(numeric && !distinct[i].isEmpty() && !distinct[i - 1].isEmpty() &&
                       distinct[i].toDouble() == distinct[i - 1].toDouble())) {
            ++rank;
        }
        rankOf[distinct[i]] = rank;
    }
    std::vector<int> ranks(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ranks[i] = rankOf.value(texts[i]);
    }
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&ranks, reversed](int a, int b) {
        const int x = ranks[static_cast<std::size_t>(a)];
        const int y = ranks[static_cast<std::size_t>(b)];
        return reversed ? x > y : x < y;
    });
    return order;
}

}  // namespace sw
