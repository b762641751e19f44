#include "ColumnFit.h"

#include <QFontMetrics>
#include <algorithm>

#include "core/RowSetModel.h"

namespace sw {

namespace {

/// How many of a column's longest texts are measured: enough to cover wide letters in a text a
/// little shorter than the longest.
constexpr std::size_t kMeasured = 12;

}  // namespace

std::vector<int> FitColumnWidths(const RowSetModel& model, const QFontMetrics& cellFont,
                                 const QFontMetrics& captionFont, int padding) {
    std::vector<int> widths;
    widths.reserve(static_cast<std::size_t>(model.ColumnCount()));
    std::vector<QString> longest;
    for (int column = 0; column < model.ColumnCount(); ++column) {
        const GridColumn& each = model.Column(column);
        int width = captionFont.horizontalAdvance(each.caption);
        if (model.RowCount() > 0 && !each.widestSample.isEmpty()) {
            width = std::max(width, cellFont.horizontalAdvance(each.widestSample));
        } else if (each.text) {
            // Keeps the kMeasured longest texts, shortest first, by insertion.
            longest.clear();
            for (int row = 0; row < model.RowCount(); ++row) {
                QString text = each.text(row);
                if (longest.size() == kMeasured && text.size() <= longest.front().size()) {
                    continue;
                }
                const auto at =
                    std::upper_bound(longest.begin(), longest.end(), text,
                                     [](const QString& a, const QString& b) { return a.size() < b.size(); });
                longest.insert(at, std::move(text));
                if (longest.size() > kMeasured) {
                    longest.erase(longest.begin());
                }
            }
            for (const QString& text : longest) {
                width = std::max(width, cellFont.horizontalAdvance(text));
            }
        }
        widths.push_back(width + padding);
    }
    return widths;
}

}  // namespace sw
