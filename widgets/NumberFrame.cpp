// The number grid frame: renders TNumbersGrid and forwards clicks.
#include "widgets/NumberFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include "models/Clipboard.h"
#include "widgets/QtText.h"

int TNumbersFrame::instances_ = 0;

namespace {

QColor ToQColor(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

TNumbersFrame::TNumbersFrame(QWidget* parent) : QFrame(parent), instance_(++instances_)
{
    setObjectName(QStringLiteral("TNumbersFrame%1").arg(instance_));
    setFixedSize(kGridWidth, kGridHeight);
    scrollBox_ = new QScrollArea(this);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox"));
    scrollBox_->setFrameShape(QFrame::NoFrame);
    scrollBox_->setGeometry(0, 0, kGridWidth, kGridHeight);
    scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar:vertical { width: 5px; }"));
    scrollBox_->viewport()->installEventFilter(this);
    scrollBox_->setWidgetResizable(false);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    clearItem_ = popupMenu_->addAction(QStringLiteral("Clear numbers selection"));
    clearItem_->setObjectName(QStringLiteral("ClearNumbersItem"));
    popupMenu_->addSeparator();
    copyItem_ = popupMenu_->addAction(QStringLiteral("Copy numbers"));
    copyItem_->setObjectName(QStringLiteral("CopyNumbersItem"));
    pasteItem_ = popupMenu_->addAction(QStringLiteral("Paste numbers"));
    pasteItem_->setObjectName(QStringLiteral("PasteNumbersItem"));
    connect(popupMenu_, &QMenu::aboutToShow, this, &TNumbersFrame::PopupMenuPopup);
    connect(clearItem_, &QAction::triggered, this, &TNumbersFrame::ClearNumbersItemClick);
    connect(copyItem_, &QAction::triggered, this, &TNumbersFrame::CopyNumbersItemClick);
    connect(pasteItem_, &QAction::triggered, this, &TNumbersFrame::PasteNumbersItemClick);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu_->popup(mapToGlobal(at)); });
    BuildGrid(0);
}

TNumbersFrame::~TNumbersFrame() = default;

QToolButton* TNumbersFrame::Button(int number) const
{
    if (number < 1 || number > static_cast<int>(buttons_.size()))
        return nullptr;
    return buttons_[static_cast<size_t>(number) - 1];
}

void TNumbersFrame::BuildGrid(int scrollTo)
{
    const int total = grid_.TotalNumbers();
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("GridPanel"));
    panel->installEventFilter(this);
    buttons_.clear();
    buttons_.reserve(static_cast<size_t>(total));
    for (int n = 1; n <= total; ++n) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QString::fromStdString(GridButtonName(instance_, n)));
        b->setProperty("tag", n);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::StrongFocus);
        b->setGeometry(GridButtonLeft(n, total), GridButtonTop(n), kGridButtonSize, kGridButtonSize);
        b->installEventFilter(this);
        connect(b, &QToolButton::clicked, this, [this, n] { NumberClick(n, true); });
        buttons_.push_back(b);
    }
    const int rows = (total + kGridColumns - 1) / kGridColumns;
    panel->resize(kGridWidth - 6, std::max(rows * kGridButtonSize, 1));
    // The old panel goes with its buttons.
    scrollBox_->setWidget(panel);
    panel_ = panel;
    RedrawAll();
    QScrollBar* bar = scrollBox_->verticalScrollBar();
    bar->setValue(std::min(scrollTo, bar->maximum()));
}

void TNumbersFrame::RedrawButton(int number)
{
    QToolButton* b = Button(number);
    if (!b)
        return;
    const TGridButtonLook look = grid_.ButtonLook(number);
    b->setText(FromText(look.Caption));
    QFont f = font();
    f.setPointSize(look.PointSize);
    f.setBold(look.Bold);
    b->setFont(f);
    QPalette p = b->palette();
    p.setColor(QPalette::ButtonText,
               look.Color == kDefaultTextColor ? palette().color(QPalette::ButtonText) : ToQColor(look.Color));
    b->setPalette(p);
    b->setEnabled(look.Enabled);
    if (OnButton)
        OnButton(grid_.NumberState(number), grid_.NumberZone(number), b, number);
}

void TNumbersFrame::RedrawAll()
{
    for (int n = 1; n <= static_cast<int>(buttons_.size()); ++n)
        RedrawButton(n);
    RefreshHint();
}

void TNumbersFrame::RefreshHint()
{
    const QString hint = FromText(grid_.HintText());
    if (panel_)
        panel_->setToolTip(hint);
    for (QToolButton* b : buttons_)
        b->setToolTip(hint);
}

void TNumbersFrame::Changed()
{
    if (OnChange)
        OnChange();
}

void TNumbersFrame::SetTotalNumbers(int total)
{
    const int position = scrollBox_->verticalScrollBar()->value();
    grid_.SetTotalNumbers(total);
    BuildGrid(position);
}

void TNumbersFrame::SetLimit(int state, int zone, int count)
{
    struct TRedraw {
        TNumbersFrame* frame;
        ~TRedraw() { frame->RedrawAll(); }
    } redraw{this};
    grid_.SetLimit(state, zone, count);
}

void TNumbersFrame::SetDisabled(int number, bool flag)
{
    grid_.SetDisabled(number, flag);
    RedrawButton(number);
}

void TNumbersFrame::SetFaceOffset(int offset)
{
    grid_.SetFaceOffset(offset);
    RedrawAll();
}

void TNumbersFrame::SetShowHint(bool show)
{
    grid_.ShowHint = show;
    RefreshHint();
}

void TNumbersFrame::SetSelection(const std::vector<int>& numbers)
{
    scrollBox_->setUpdatesEnabled(false);
    grid_.SetSelection(numbers);
    RedrawAll();
    Changed();
    scrollBox_->setUpdatesEnabled(true);
}

void TNumbersFrame::NumberClick(int number, bool forward)
{
    if (!grid_.Click(number, forward))
        return;
    RedrawButton(number);
    RefreshHint();
    Changed();
}

void TNumbersFrame::FocusGrid()
{
    if (isVisible() && isEnabled())
        scrollBox_->setFocus();
}

void TNumbersFrame::PopupMenuPopup()
{
    clearItem_->setEnabled(!grid_.ReadOnly && grid_.SelectedCount() > 0);
    copyItem_->setEnabled(grid_.SelectedCount() > 0);
    const std::string text = ToText(QApplication::clipboard()->text());
    pasteItem_->setEnabled(!grid_.ReadOnly && !grid_.PasteNumbers(text).empty());
}

void TNumbersFrame::ClearNumbersItemClick()
{
    if (grid_.ReadOnly)
        return;
    grid_.ClearSelection();
    BuildGrid(0);
    Changed();
    FocusGrid();
}

void TNumbersFrame::CopyNumbersItemClick()
{
    if (grid_.SelectedCount() > 0)
        Clipboard().SetText(grid_.CopyText());
}

void TNumbersFrame::PasteNumbersItemClick()
{
    if (grid_.ReadOnly)
        return;
    SetSelection(grid_.PasteNumbers(ToText(QApplication::clipboard()->text())));
    FocusGrid();
}

bool TNumbersFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = -wheel->angleDelta().y() / 120;
        if (notches != 0) {
            QScrollBar* bar = scrollBox_->verticalScrollBar();
            bar->setValue(GridWheelPosition(bar->value(), bar->maximum(), notches));
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::MiddleButton) {
            const QVariant tag = watched->property("tag");
            if (tag.isValid())
                NumberClick(tag.toInt(), false);
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu) {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        popupMenu_->popup(menu->globalPos());
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
