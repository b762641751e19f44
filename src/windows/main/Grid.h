#pragma once

class QTableView;

namespace sw {

/// Whole-row selection of one row, no row headings, no editing: how the program's grids behave.
void SetUpGrid(QTableView* grid);
/// Each column as wide as the longest of its heading and of all its cells.
void AutoSizeColumns(QTableView* grid);
/// Makes `row` current with up to 9 rows after it in view as well.
void ShowContextBelow(QTableView* grid, int row);

}  // namespace sw
