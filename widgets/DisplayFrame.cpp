// The paged list display.
#include "widgets/DisplayFrame.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "widgets/NaviButtonFrame.h"
#include "widgets/QtPalette.h"
#include "widgets/QtText.h"

namespace {

constexpr int kKeyRole = Qt::UserRole;

Qt::Alignment ToQt(TColumnAlign align)
{
    switch (align) {
    case TColumnAlign::Left: return Qt::AlignLeft | Qt::AlignVCenter;
    case TColumnAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignCenter;
    }
}

} // namespace

TDisplayF::TDisplayF(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("DisplayF"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    title_ = new QLabel(QStringLiteral("Data display"), this);
    title_->setObjectName(QStringLiteral("lblTitle"));
    title_->setAutoFillBackground(true);
    title_->setAlignment(Qt::AlignCenter);
    title_->setStyleSheet(
        QStringLiteral("background-color: %1; color: black; padding: 2px;").arg(StyleColor(kSkyBlue)));
    layout->addWidget(title_);
    view_ = new QTreeWidget(this);
    view_->setObjectName(QStringLiteral("lvDisplay"));
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->header()->setSectionsClickable(true);
    view_->header()->setSectionsMovable(true);
    view_->header()->setStretchLastSection(false);
    layout->addWidget(view_, 1);
    navi_ = new TNaviButtonsFrame(this);
    layout->addWidget(navi_);

    navi_->OnChange = [this](int page) {
        list_.Navi().GoToPage(page);
        ShowPage();
    };
    connect(view_->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { ClickHeader(view_->header()->visualIndex(logical) - kSpacerColumns); });
    connect(view_->header(), &QHeaderView::sectionMoved, this, [this](int, int from, int to) {
        if (rebuilding_)
            return;
        list_.MoveColumn(from - kSpacerColumns, to - kSpacerColumns);
        // Rebuilt once the header has finished its own move.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const int32_t key = SelectedKey();
                RebuildColumns();
                if (key)
                    SelectByKey(key);
            },
            Qt::QueuedConnection);
    });
    connect(view_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!rebuilding_ && OnSelect)
            OnSelect();
    });
    connect(view_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (OnDoubleClick)
            OnDoubleClick();
    });
}

int TDisplayF::AddColumn(const std::string& caption, int width, std::function<std::string(int32_t)> text,
                         std::function<bool(int32_t, int32_t)> less)
{
    return list_.AddColumn(caption, width, std::move(text), std::move(less));
}

void TDisplayF::ClearColumns() { list_.ClearColumns(); }

void TDisplayF::SetRows(std::vector<int32_t> keys)
{
    list_.SetRows(std::move(keys));
    RebuildColumns();
}

void TDisplayF::RebuildColumns()
{
    rebuilding_ = true;
    const std::vector<TListColumn>& columns = list_.Columns();
    QHeaderView* header = view_->header();
    // Start from the logical order again, so visual and logical positions agree.
    view_->clear();
    view_->setColumnCount(0);
    view_->setColumnCount(static_cast<int>(columns.size()) + kSpacerColumns);
    for (int i = 0; i < header->count(); ++i)
        if (header->visualIndex(i) != i)
            header->moveSection(header->visualIndex(i), i);
    QStringList captions{QString()};
    for (const TListColumn& c : columns)
        captions << FromText(c.Caption);
    view_->setHeaderLabels(captions);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);
    view_->setColumnWidth(0, 1);
    for (size_t i = 0; i < columns.size(); ++i) {
        const int col = static_cast<int>(i) + kSpacerColumns;
        view_->headerItem()->setTextAlignment(col, ToQt(columns[i].Align));
        if (columns[i].Width > 0)
            view_->setColumnWidth(col, columns[i].Width);
    }
    const int sortIndex = list_.SortColumnIndex();
    header->setSortIndicatorShown(sortIndex >= 0);
    if (sortIndex >= 0)
        header->setSortIndicator(sortIndex + kSpacerColumns,
                                 list_.SortDirection() == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
    rebuilding_ = false;
    navi_->SetPageCount(list_.PageCount());
    ShowPage();
    // A set width is the least a column gets: today's fonts are wider than
    // the ones the widths were chosen for, and a cut ball list says nothing.
    for (size_t i = 0; i < columns.size(); ++i) {
        const int col = static_cast<int>(i) + kSpacerColumns;
        view_->resizeColumnToContents(col);
        view_->setColumnWidth(col, std::max(columns[i].Width, view_->columnWidth(col)));
    }
}

void TDisplayF::ShowPage()
{
    rebuilding_ = true;
    if (navi_->Page() != list_.Page())
        navi_->GoToPage(list_.Page());
    view_->setUpdatesEnabled(false);
    view_->clear();
    const std::vector<TListColumn>& columns = list_.Columns();
    QList<QTreeWidgetItem*> items;
    for (int32_t key : list_.PageKeys()) {
        auto* item = new QTreeWidgetItem;
        item->setData(0, kKeyRole, key);
        for (size_t i = 0; i < columns.size(); ++i) {
            const int col = static_cast<int>(i) + kSpacerColumns;
            item->setText(col, FromText(list_.CellText(static_cast<int>(i), key)));
            item->setTextAlignment(col, ToQt(columns[i].Align));
        }
        items.append(item);
    }
    view_->addTopLevelItems(items);
    // A new page starts at its first row, wherever the last one was scrolled.
    view_->scrollToTop();
    view_->setUpdatesEnabled(true);
    rebuilding_ = false;
    SetTitle(list_.Title());
    // The new page's rows are not selected: whatever follows the selection
    // (the editor's Get and Delete) hears of it.
    if (OnSelect)
        OnSelect();
}

void TDisplayF::RefreshPage() { ShowPage(); }

void TDisplayF::SelectByKey(int32_t key)
{
    const int page = list_.Page();
    if (list_.ShowKey(key) == 0)
        return;
    if (list_.Page() != page)
        ShowPage();
    for (int i = 0; i < view_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = view_->topLevelItem(i);
        if (item->data(0, kKeyRole).toInt() == key) {
            view_->setCurrentItem(item);
            view_->scrollToItem(item);
            return;
        }
    }
}

int32_t TDisplayF::SelectedKey() const
{
    const QList<QTreeWidgetItem*> selected = view_->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(0, kKeyRole).toInt();
}

void TDisplayF::ClickHeader(int columnIndex)
{
    const int32_t key = SelectedKey();
    if (!list_.ClickHeader(columnIndex))
        return;
    RebuildColumns();
    if (key)
        SelectByKey(key);
}

void TDisplayF::SetTitle(const std::string& title) { title_->setText(FromText(title)); }

std::string TDisplayF::Title() const { return ToText(title_->text()); }
