// The analysis display frame: renders TDisplayState and forwards the user's
// clicks to it.
#include "widgets/JUXDisplayFrame.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "widgets/GridCellUi.h"
#include "widgets/QtPalette.h"
#include "widgets/GuardedUi.h"
#include "widgets/JUXTableUi.h"
#include "widgets/PathsUi.h"
#include "widgets/QtText.h"
#include "widgets/TextGridUi.h"
#include "ui_JUXDisplayFrame.h"

namespace {

QAction* AddAction(QMenu* menu, const char* name, const char* caption)
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

constexpr int kPanoramaRowHeight = 16;
// Entries of "JUX list" before the IDs: three commands and a separator.
constexpr int kUserListFixedEntries = 4;

} // namespace

TFrmJUXDisplay::TFrmJUXDisplay(TEnvironmentClass& env, QWidget* parent)
    : QWidget(parent), TDisplayState(env), ui_(std::make_unique<Ui::TFrmJUXDisplay>())
{
    ui_->setupUi(this);
    setObjectName(QStringLiteral("FrmJUXDisplay"));
    QTableWidget* grid = ui_->sgJUXPanorama;
    grid->verticalHeader()->setDefaultSectionSize(kPanoramaRowHeight);
    grid->setItemDelegate(new TGridCellDelegate(
        [this](int col, int row) { return CellColor(col, row, RGBFromColor(palette().color(QPalette::Button))); },
        grid));
    ui_->pnlPanoramaOptions->setStyleSheet(
        QStringLiteral("QFrame#pnlPanoramaOptions { background-color: %1; }").arg(StyleColor(kSkyBlue)));
    ui_->lblProgressInfo->setMouseTracking(true);
    ui_->lblProgressInfo->installEventFilter(this);
    ui_->lblReqNumbers->installEventFilter(this);
    ui_->txtJUX->installEventFilter(this);
    ui_->lblPanoramaMode->installEventFilter(this);
    auto* tableLayout = new QVBoxLayout(ui_->pnlTableContent);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tablePanel_ = new TJUXTablePanel(*this, ui_->pnlTableContent);
    tableLayout->addWidget(tablePanel_);
    BuildMenus();
    Connect();
    BrowseListChanged();
    UpdateCurrentLabel();
}

TFrmJUXDisplay::~TFrmJUXDisplay() = default;

template <typename F> void TFrmJUXDisplay::WithStripDisabled(F&& change)
{
    QWidget* const controls[] = {ui_->btnPanoramaLess, ui_->btnPanoramaMore, ui_->lblReqNumbers,
                                 ui_->cbPanoramaDisplayType};
    WithDisabled(controls, change);
}

void TFrmJUXDisplay::BuildMenus()
{
    panoramaMenu_ = new QMenu(this);
    panoramaMenu_->setObjectName(QStringLiteral("popPanorama"));
    mniAddFavorite_ = AddAction(panoramaMenu_, "mniAddFavorite", "Add to favorite JUX list");
    mniRemoveFavorite_ = AddAction(panoramaMenu_, "mniRemoveFavorite", "Remove from favorite JUX list");
    mniBrowseCategory_ = AddAction(panoramaMenu_, "mniBrowseCategory", "Browse category");
    mniExportPredictions_ = AddAction(panoramaMenu_, "mniExportPredictions", "Export predictions to clipboard");
    mniExportPanoramaExcel_ = AddAction(panoramaMenu_, "mniExportPanoramaExcel", "Export JUX details to EXCEL");

    tableMenu_ = new QMenu(this);
    tableMenu_->setObjectName(QStringLiteral("popJUXTable"));
    userListMenu_ = tableMenu_->addMenu(QStringLiteral("JUX list"));
    userListMenu_->setObjectName(QStringLiteral("mniJUXList"));
    mniBrowseList_ = AddAction(userListMenu_, "mniBrowseList", "Browse List");
    mniClearList_ = AddAction(userListMenu_, "mniClearList", "Clear list");
    mniExportRetained_ = AddAction(userListMenu_, "mniExportRetained", "Export list to retained JUXs");
    userListMenu_->addSeparator();
    mniAddJUX_ = AddAction(tableMenu_, "mniAddJUX", "Add JUX to list");
    mniRemoveJUX_ = AddAction(tableMenu_, "mniRemoveJUX", "Remove JUX from list");
    mniExportTableExcel_ = AddAction(tableMenu_, "mniExportTableExcel", "Export JUX details to EXCEL");
}

void TFrmJUXDisplay::Connect()
{
    QTableWidget* grid = ui_->sgJUXPanorama;
    connect(ui_->btnStopCalculations, &QPushButton::clicked, this, [this] { Guarded([this] { RunButtonClick(); }); });
    connect(ui_->btnPanoramaLess, &QPushButton::clicked, this,
            [this] { WithStripDisabled([this] { DecreaseRequested(); }); });
    connect(ui_->btnPanoramaMore, &QPushButton::clicked, this,
            [this] { WithStripDisabled([this] { IncreaseRequested(); }); });
    connect(ui_->cbPanoramaDisplayType, &QComboBox::currentIndexChanged, this,
            [this](int index) { WithStripDisabled([this, index] { SetPanoramaMode(index); }); });
    connect(grid, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int col) { Guarded([this, row, col] { OpenCell(col, row); }); });
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& pos) {
        const QModelIndex index = grid->indexAt(pos);
        if (index.isValid() && !grid->selectionModel()->isSelected(index))
            grid->setCurrentCell(index.row(), index.column());
        UpdatePanoramaMenu();
        panoramaMenu_->exec(grid->viewport()->mapToGlobal(pos));
    });
    connect(ui_->sbJUX, &QScrollBar::valueChanged, this,
            [this](int value) { Guarded([this, value] { BrowseTo(value); }); });
    connect(ui_->btnClrBrowse, &QPushButton::clicked, this, [this] { Guarded([this] { ClearBrowse(); }); });
    connect(ui_->pgDisplay, &QTabWidget::currentChanged, this, [this](int) {
        if (ui_->pgDisplay->currentWidget() == ui_->tabJUXTable)
            Guarded([this] { RefreshTable(); });
    });
    const auto showTableMenu = [this](QWidget* source, const QPoint& pos) {
        UpdateTableMenu();
        tableMenu_->exec(source->mapToGlobal(pos));
    };
    connect(ui_->pnlJUXTop, &QWidget::customContextMenuRequested, this,
            [this, showTableMenu](const QPoint& pos) { showTableMenu(ui_->pnlJUXTop, pos); });
    connect(ui_->txtJUX, &QWidget::customContextMenuRequested, this,
            [this, showTableMenu](const QPoint& pos) { showTableMenu(ui_->txtJUX, pos); });
    // The grids of the page offer the same menu, the spreadsheet export with it.
    for (QTableWidget* grid : {tablePanel_->SuccessGrid(), tablePanel_->PredictGrid()})
        connect(grid, &QWidget::customContextMenuRequested, this,
                [grid, showTableMenu](const QPoint& pos) { showTableMenu(grid->viewport(), pos); });

    connect(mniAddFavorite_, &QAction::triggered, this, [this] {
        Guarded([this] { AddToUserList(panoramaPopup_.CellId); });
        ui_->sgJUXPanorama->viewport()->update();
    });
    connect(mniRemoveFavorite_, &QAction::triggered, this, [this] {
        Guarded([this] { RemoveFromUserList(panoramaPopup_.CellId); });
        ui_->sgJUXPanorama->viewport()->update();
    });
    connect(mniBrowseCategory_, &QAction::triggered, this,
            [this] { Guarded([this] { BrowseCategory(panoramaPopup_.BrowseColumn); }); });
    connect(mniExportPredictions_, &QAction::triggered, this,
            [this] { Guarded([this] { ExportPredictions(PanoramaSelection()); }); });
    connect(mniExportPanoramaExcel_, &QAction::triggered, this,
            [this] { Guarded([this] { ExportPanoramaDetails(PanoramaSelection()); }); });
    connect(mniBrowseList_, &QAction::triggered, this, [this] { Guarded([this] { BrowseUserList(); }); });
    connect(mniClearList_, &QAction::triggered, this, [this] { Guarded([this] { ClearListCommand(); }); });
    connect(mniExportRetained_, &QAction::triggered, this, [this] { Guarded([this] { ExportListToRetained(); }); });
    connect(mniAddJUX_, &QAction::triggered, this, [this] { Guarded([this] { AddToUserList(CurrentJUX()); }); });
    connect(mniRemoveJUX_, &QAction::triggered, this,
            [this] { Guarded([this] { RemoveFromUserList(CurrentJUX()); }); });
    connect(mniExportTableExcel_, &QAction::triggered, this, [this] { Guarded([this] { ExportCurrentDetails(); }); });
}

TGridRect TFrmJUXDisplay::PanoramaSelection() const
{
    TGridRect rect;
    const QTableWidget* grid = ui_->sgJUXPanorama;
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    if (!ranges.isEmpty()) {
        const QTableWidgetSelectionRange& r = ranges.front();
        rect.Left = r.leftColumn();
        rect.Right = r.rightColumn();
        rect.Top = r.topRow();
        rect.Bottom = r.bottomRow();
    } else if (grid->currentRow() >= 0 && grid->currentColumn() >= 0) {
        rect.Left = rect.Right = grid->currentColumn();
        rect.Top = rect.Bottom = grid->currentRow();
    }
    return rect;
}

void TFrmJUXDisplay::UpdatePanoramaMenu()
{
    panoramaPopup_ = PanoramaPopup(PanoramaSelection());
    mniAddFavorite_->setVisible(panoramaPopup_.AddVisible);
    mniAddFavorite_->setText(FromText(panoramaPopup_.AddCaption));
    mniRemoveFavorite_->setVisible(panoramaPopup_.RemoveVisible);
    mniRemoveFavorite_->setText(FromText(panoramaPopup_.RemoveCaption));
    mniBrowseCategory_->setEnabled(panoramaPopup_.BrowseEnabled);
    mniBrowseCategory_->setText(FromText(panoramaPopup_.BrowseCaption));
}

void TFrmJUXDisplay::UpdateTableMenu()
{
    const TTablePopupState s = TablePopup();
    mniBrowseList_->setVisible(s.BrowseListVisible);
    mniClearList_->setVisible(s.ClearListVisible);
    mniExportRetained_->setVisible(s.ExportListVisible);
    mniAddJUX_->setVisible(s.AddVisible);
    mniRemoveJUX_->setVisible(s.RemoveVisible);
    mniExportTableExcel_->setVisible(s.ExportDetailsVisible);
}

void TFrmJUXDisplay::RefreshTable()
{
    TDisplayState::RefreshTable();
    UpdateCurrentLabel();
}

void TFrmJUXDisplay::TablePageChanged()
{
    if (tablePanel_)
        tablePanel_->Render();
}

void TFrmJUXDisplay::UpdateCurrentLabel()
{
    QLabel* label = ui_->txtJUX;
    label->setText(FromText(CurrentText()));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, CurrentListed() ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
    label->setPalette(pal);
}

void TFrmJUXDisplay::ProgressTextChanged() { ui_->lblProgressInfo->setText(FromText(ProgressText())); }

void TFrmJUXDisplay::RunButtonChanged() { ui_->btnStopCalculations->setText(FromText(RunButtonText())); }

void TFrmJUXDisplay::UserListChanged()
{
    // Only the entries after the part the menu already shows are rebuilt, so
    // adding one ID costs one entry however long the list is.
    const TIntegerStore& list = *UserJUXList();
    size_t keep = 0;
    int32_t id = 0;
    while (keep < userListIds_.size() && list.GetInt(int(keep) + 1, id) && id == userListIds_[keep])
        ++keep;
    const QList<QAction*> actions = userListMenu_->actions();
    for (qsizetype i = actions.size() - 1; i >= kUserListFixedEntries + qsizetype(keep); --i) {
        userListMenu_->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    userListIds_.resize(keep);
    for (int i = int(keep) + 1; i <= list.Count(); ++i) {
        if (!list.GetInt(i, id))
            continue;
        QAction* entry = userListMenu_->addAction(QString::number(id));
        connect(entry, &QAction::triggered, this, [this, id] { Guarded([this, id] { JumpToListed(id); }); });
        userListIds_.push_back(id);
    }
    UpdateCurrentLabel();
    ui_->sgJUXPanorama->viewport()->update();
}

void TFrmJUXDisplay::BrowseListChanged()
{
    const int count = BrowseList()->Count();
    QScrollBar* bar = ui_->sbJUX;
    {
        const QSignalBlocker block(bar);
        bar->setMaximum(count > 0 ? count : 1);
        bar->setValue(1);
    }
    bar->setEnabled(count > 0);
    ui_->btnClrBrowse->setEnabled(count > 0);
}

void TFrmJUXDisplay::ShowPanoramaPage() { ui_->pgDisplay->setCurrentWidget(ui_->tabPanorama); }

void TFrmJUXDisplay::ShowTablePage() { ui_->pgDisplay->setCurrentWidget(ui_->tabJUXTable); }

void TFrmJUXDisplay::ShowTableWithChart(int32_t id, bool delayChart)
{
    SelectJUX(id > 0 ? id : CellID(Panorama(), 1, TPanoramaGrid::kFixedRows));
    ShowTablePage();
    tablePanel_->ShowChart(delayChart);
}

void TFrmJUXDisplay::RequestedChanged() { ui_->lblReqNumbers->setText(FromText(RequestedLabel())); }

void TFrmJUXDisplay::PanoramaChanged()
{
    {
        const QSignalBlocker block(ui_->cbPanoramaDisplayType);
        ui_->cbPanoramaDisplayType->setCurrentIndex(PanoramaMode());
    }
    const TPanoramaGrid& model = Panorama();
    QTableWidget* grid = ui_->sgJUXPanorama;
    const QSignalBlocker block(grid);
    FillTextGrid(grid, model, kPanoramaRowHeight, [](QTableWidgetItem* item, int32_t col, int32_t row) {
        const bool fixed = col == 0 || row < TPanoramaGrid::kFixedRows;
        item->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    });
    grid->viewport()->update();
}

void TFrmJUXDisplay::ProcessPendingEvents() { QCoreApplication::processEvents(); }

bool TFrmJUXDisplay::InputQuery(const std::string& title, const std::string& prompt, std::string& value)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(this, FromText(title), FromText(prompt), QLineEdit::Normal, FromText(value), &ok);
    if (ok)
        value = ToText(answer);
    return ok;
}

bool TFrmJUXDisplay::SaveFileQuery(const std::string& presetName, std::string& fileName)
{
    // The preset is made from the lottery's name, a text.
    const QString chosen = ChooseSaveFileName(this, QString(), FromText(presetName),
                                              QStringLiteral("Excel workbook (*.xlsx)"), QStringLiteral("xlsx"));
    if (chosen.isEmpty())
        return false;
    fileName = PathFromQt(chosen);
    return true;
}

bool TFrmJUXDisplay::eventFilter(QObject* watched, QEvent* event)
{
    const bool leftRelease =
        event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (watched == ui_->lblProgressInfo && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)) {
        ui_->lblProgressInfo->setText(FromText(HoverProgressText()));
    } else if (watched == ui_->lblReqNumbers && leftRelease && ui_->lblReqNumbers->isEnabled()) {
        WithStripDisabled([this] { QuickMoveRequested(); });
        return true;
    } else if (watched == ui_->lblPanoramaMode && leftRelease) {
        // The caption moves the table's requested numbers, as their label does.
        tablePanel_->WithStripDisabled([this] { QuickMoveTableRequested(); });
        return true;
    } else if (watched == ui_->txtJUX && leftRelease) {
        Guarded([this] { JumpQuery(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
