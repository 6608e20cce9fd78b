// The one cell painter of every grid of the display: fill, aligned text with
// 2-pixel margins, half intensity and white text when selected.
#pragma once

#include <cstdint>
#include <functional>

#include <QColor>
#include <QRect>
#include <QString>
#include <QStyledItemDelegate>

#include "widgets/QtPalette.h"

class QPainter;
class QTableWidget;

enum class THorzAlign { Left, Centre, Right };
enum class TVertAlign { Top, Centre, Bottom };

// 0x00BBGGRR, as the models hold colours, from a QColor (ColorFromRGB is the
// other way).
uint32_t RGBFromColor(const QColor& color);

void PaintGridCell(QPainter& painter, const QRect& rect, const QString& text, uint32_t color, bool selected,
                   THorzAlign horz = THorzAlign::Centre, TVertAlign vert = TVertAlign::Centre);

// Paints a QTableWidget's cells with PaintGridCell: the colour from a
// callback, the text from the item or from a second callback.
class TGridCellDelegate : public QStyledItemDelegate {
public:
    using TColorFn = std::function<uint32_t(int col, int row)>;
    using TTextFn = std::function<QString(int col, int row)>;

    TGridCellDelegate(TColorFn color, QObject* parent = nullptr, TTextFn text = {});
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    THorzAlign Horz = THorzAlign::Centre;
    TVertAlign Vert = TVertAlign::Centre;

private:
    TColorFn color_;
    TTextFn text_;
};
