// The shared grid cell painter.
#include "widgets/GridCellUi.h"

#include <QPainter>
#include <QStyle>

#include "data/Utils.h"

namespace {

constexpr int kMargin = 2;

} // namespace

uint32_t RGBFromColor(const QColor& color)
{
    return uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16);
}

void PaintGridCell(QPainter& painter, const QRect& rect, const QString& text, uint32_t color, bool selected,
                   THorzAlign horz, TVertAlign vert)
{
    painter.save();
    painter.fillRect(rect, ColorFromRGB(selected ? HalveColor(color) : color));
    painter.setPen(selected ? Qt::white : Qt::black);
    const QRect inner = rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    Qt::Alignment flags;
    switch (horz) {
    case THorzAlign::Left: flags |= Qt::AlignLeft; break;
    case THorzAlign::Centre: flags |= Qt::AlignHCenter; break;
    case THorzAlign::Right: flags |= Qt::AlignRight; break;
    }
    switch (vert) {
    case TVertAlign::Top: flags |= Qt::AlignTop; break;
    case TVertAlign::Centre: flags |= Qt::AlignVCenter; break;
    case TVertAlign::Bottom: flags |= Qt::AlignBottom; break;
    }
    // Centred text uses the whole cell, so that a narrow cell still centres.
    QRect target = inner;
    if (horz == THorzAlign::Centre)
        target.setLeft(rect.left()), target.setRight(rect.right());
    if (vert == TVertAlign::Centre)
        target.setTop(rect.top()), target.setBottom(rect.bottom());
    painter.drawText(target, int(flags) | Qt::TextSingleLine, text);
    painter.restore();
}

TGridCellDelegate::TGridCellDelegate(TColorFn color, QObject* parent, TTextFn text)
    : QStyledItemDelegate(parent), color_(std::move(color)), text_(std::move(text))
{}

void TGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int col = index.column();
    const int row = index.row();
    const QString text = text_ ? text_(col, row) : index.data(Qt::DisplayRole).toString();
    const uint32_t color = color_ ? color_(col, row) : 0xFFFFFF;
    PaintGridCell(*painter, option.rect, text, color, option.state.testFlag(QStyle::State_Selected), Horz, Vert);
}
