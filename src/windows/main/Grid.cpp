#include "Grid.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace sw {

void SetUpGrid(QTableView* grid) {
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setHighlightSections(false);
    // Fitting reads every row, not a sample of them.
    grid->horizontalHeader()->setResizeContentsPrecision(-1);
}

void AutoSizeColumns(QTableView* grid) {
    grid->resizeColumnsToContents();
}

void ShowContextBelow(QTableView* grid, int row) {
    QAbstractItemModel* model = grid->model();
    if (!model || row < 0 || row >= model->rowCount()) {
        return;
    }
    const int ahead = std::min(row + 9, model->rowCount() - 1);
    grid->scrollTo(model->index(ahead, 0));
    grid->setCurrentIndex(model->index(row, 0));
    grid->scrollTo(model->index(row, 0));
}

}  // namespace sw
