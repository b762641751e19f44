#pragma once

#include <functional>
#include <vector>

class QFontMetrics;

namespace sw {

class RowSetModel;

/// The width each column of the model needs to show its caption and its widest cell, in pixels.
/// Only the longest texts of a column are measured (a text's width follows its length closely
/// enough), so a list of 100,000 rows is fitted without drawing or measuring every cell.
/// `padding` is added to each width.
std::vector<int> FitColumnWidths(const RowSetModel& model, const QFontMetrics& cellFont,
                                 const QFontMetrics& captionFont, int padding);

}  // namespace sw
