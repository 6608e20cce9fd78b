// Filling a QTableWidget from a grid of texts (ColCount, RowCount and
// Cell(col, row)), reusing the items it already has so that a refresh
// does not reallocate them.
#pragma once

#include <cstdint>

#include <QTableWidget>
#include <QTableWidgetItem>

#include "widgets/QtText.h"

// `each(item, col, row)` adjusts an item once its text is set.
template <class Grid, class Each> void FillTextGrid(QTableWidget* grid, const Grid& model, int rowHeight, Each each)
{
    grid->setColumnCount(model.ColCount);
    grid->setRowCount(model.RowCount);
    for (int32_t row = 0; row < model.RowCount; ++row) {
        grid->setRowHeight(row, rowHeight);
        for (int32_t col = 0; col < model.ColCount; ++col) {
            QTableWidgetItem* item = grid->item(row, col);
            if (!item) {
                item = new QTableWidgetItem;
                grid->setItem(row, col, item);
            }
            item->setText(FromText(model.Cell(col, row)));
            each(item, col, row);
        }
    }
}

template <class Grid> void FillTextGrid(QTableWidget* grid, const Grid& model, int rowHeight)
{
    FillTextGrid(grid, model, rowHeight, [](QTableWidgetItem*, int32_t, int32_t) {});
}
