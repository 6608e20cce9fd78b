// The JUX Table page's statistics, prediction and charts.
#include "widgets/JUXTableUi.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/UserDialogs.h"
#include "widgets/GridCellUi.h"
#include "widgets/GuardedUi.h"
#include "widgets/NiceChart.h"
#include "widgets/PathsUi.h"
#include "widgets/QtPalette.h"
#include "widgets/QtText.h"
#include "widgets/TextGridUi.h"

namespace {

constexpr int kRowHeight = 16;
constexpr int kPredictColumnWidth = 32;
const int kLookAheads[] = {3, 5, 10, 20};

QTableWidget* MakeGrid(const char* name, QWidget* parent)
{
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->horizontalHeader()->setVisible(false);
    grid->verticalHeader()->setVisible(false);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    return grid;
}

void FillGrid(QTableWidget* grid, const TTextGrid& model)
{
    FillTextGrid(grid, model, kRowHeight);
    grid->viewport()->update();
}

void FillChart(TNiceChart* chart, const TChartSpec& spec)
{
    chart->ClearSeries();
    chart->SetAxisXTitle(spec.XTitle);
    chart->SetAxisYTitle(spec.YTitle);
    for (const TSeriesSpec& s : spec.Series) {
        TNiceSeries* series = chart->AddSeries(s.Kind);
        series->SetTitle(s.Title);
        series->Points().reserve(s.Points.size());
        for (const auto& [x, y] : s.Points)
            series->AddXY(x, y);
    }
}

} // namespace

TJUXTablePanel::TJUXTablePanel(TDisplayState& state, QWidget* parent) : QWidget(parent), state_(state)
{
    setObjectName(QStringLiteral("JUXTablePanel"));
    ChoosePictureFile = [this](const QString& preset) {
        return ChooseSaveFileName(this, QStringLiteral("Save chart as picture"), preset,
                                  QStringLiteral("PNG picture (*.png)"), QStringLiteral("png"));
    };
    Build();
    Connect();
    Render();
}

void TJUXTablePanel::Build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("pnlJUXRequested"));
    strip->setAutoFillBackground(true);
    strip->setStyleSheet(QStringLiteral("QFrame#pnlJUXRequested { background-color: %1; }").arg(StyleColor(kSkyBlue)));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(4, 2, 4, 2);
    btnLess_ = new QPushButton(QStringLiteral("-"), strip);
    btnLess_->setObjectName(QStringLiteral("btnJUXLess"));
    btnMore_ = new QPushButton(QStringLiteral("+"), strip);
    btnMore_->setObjectName(QStringLiteral("btnJUXMore"));
    for (QPushButton* b : {btnLess_, btnMore_})
        b->setFixedWidth(28);
    lblJUXReqNumbers_ = new QLabel(strip);
    lblJUXReqNumbers_->setObjectName(QStringLiteral("lblJUXReqNumbers"));
    lblJUXReqNumbers_->setCursor(Qt::PointingHandCursor);
    lblJUXReqNumbers_->installEventFilter(this);
    chkJUXAbsolute_ = new QCheckBox(QStringLiteral("Absolute category hits"), strip);
    chkJUXAbsolute_->setObjectName(QStringLiteral("chkJUXAbsolute"));
    stripLayout->addWidget(btnLess_);
    stripLayout->addWidget(btnMore_);
    stripLayout->addWidget(lblJUXReqNumbers_);
    stripLayout->addStretch(1);
    stripLayout->addWidget(chkJUXAbsolute_);
    layout->addWidget(strip);
    stripControls_[0] = btnLess_;
    stripControls_[1] = btnMore_;
    stripControls_[2] = lblJUXReqNumbers_;
    stripControls_[3] = chkJUXAbsolute_;

    stack_ = new QStackedWidget(this);
    lblNoTable_ = new QLabel(QString::fromLatin1(kTableGone), stack_);
    lblNoTable_->setObjectName(QStringLiteral("lblNoJUX"));
    lblNoTable_->setAlignment(Qt::AlignCenter);
    lblNoTable_->setWordWrap(true);
    stack_->addWidget(lblNoTable_);

    splitter_ = new QSplitter(Qt::Vertical, stack_);
    splitter_->setObjectName(QStringLiteral("splTable"));
    pgStatistics_ = new QTabWidget(splitter_);
    pgStatistics_->setObjectName(QStringLiteral("pgTableStatistics"));
    sgSuccess_ = MakeGrid("sgSuccess", pgStatistics_);
    sgSuccess_->setItemDelegate(new TGridCellDelegate(
        [this](int col, int row) {
            return CellColourRGB(state_.TablePage().Success.Colour(col, row),
                                 RGBFromColor(palette().color(QPalette::Button)));
        },
        sgSuccess_));
    sgSuccess_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The rows say what they count.
    sgSuccess_->verticalHeader()->setVisible(true);
    sgSuccess_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgSuccess_->verticalHeader()->setHighlightSections(false);
    pgStatistics_->addTab(sgSuccess_, QStringLiteral("Hits Produced"));

    auto* predictPage = new QWidget(pgStatistics_);
    auto* predictLayout = new QVBoxLayout(predictPage);
    predictLayout->setContentsMargins(2, 2, 2, 2);
    grpPredict_ = new QGroupBox(QStringLiteral(" Predicted numbers for next draw "), predictPage);
    grpPredict_->setObjectName(QStringLiteral("grpPredict"));
    auto* groupLayout = new QHBoxLayout(grpPredict_);
    sgPredict_ = MakeGrid("sgPredict", grpPredict_);
    sgPredict_->horizontalHeader()->setDefaultSectionSize(kPredictColumnWidth);
    sgPredict_->horizontalHeader()->setMinimumSectionSize(kPredictColumnWidth);
    sgPredict_->setItemDelegate(new TGridCellDelegate(
        [this](int col, int row) {
            return CellColourRGB(state_.TablePage().Predict.Colour(col, row),
                                 RGBFromColor(palette().color(QPalette::Button)));
        },
        sgPredict_));
    for (QTableWidget* grid : {sgSuccess_, sgPredict_})
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
    btnCopy_ = new QPushButton(QStringLiteral("Copy to clipboard"), grpPredict_);
    btnCopy_->setObjectName(QStringLiteral("btnCopyPrediction"));
    btnCopy_->setContextMenuPolicy(Qt::CustomContextMenu);
    popCopy_ = new QMenu(btnCopy_);
    popCopy_->setObjectName(QStringLiteral("popCopyPrediction"));
    popCopy_->addAction(QStringLiteral("Copy in original order"))->setObjectName(QStringLiteral("mniCopyOriginal"));
    groupLayout->addWidget(sgPredict_, 1);
    groupLayout->addWidget(btnCopy_, 0, Qt::AlignTop);
    predictLayout->addWidget(grpPredict_);
    pgStatistics_->addTab(predictPage, QStringLiteral("Predicted Numbers"));

    pgCharts_ = new QTabWidget(splitter_);
    pgCharts_->setObjectName(QStringLiteral("pgCharts"));
    ncHits_ = new TNiceChart(pgCharts_);
    ncHits_->setObjectName(QStringLiteral("ncHits"));
    ncDelay_ = new TNiceChart(pgCharts_);
    ncDelay_->setObjectName(QStringLiteral("ncDelay"));
    for (TNiceChart* chart : {ncHits_, ncDelay_}) {
        chart->BeginUpdate();
        chart->SetShowTitle(false);
        chart->SetShowXGrid(false);
        chart->SetShowYGrid(false);
        chart->SetAxisYTitle(chart == ncHits_ ? "Hits" : "Occurrence");
        chart->SetAxisXTitle(chart == ncHits_ ? "Tested draws" : "Delay");
        chart->SetShowLegend(false);
        // Both charts count draws and hits.
        chart->SetAxisXWholeNumbers(true);
        chart->SetAxisYWholeNumbers(true);
        chart->setContextMenuPolicy(Qt::CustomContextMenu);
        chart->EndUpdate();
    }
    pgCharts_->addTab(ncHits_, QStringLiteral("Hits"));
    pgCharts_->addTab(ncDelay_, QStringLiteral("Hits Delay"));
    splitter_->addWidget(pgStatistics_);
    splitter_->addWidget(pgCharts_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 3);
    stack_->addWidget(splitter_);
    layout->addWidget(stack_, 1);

    popHits_ = new QMenu(this);
    popHits_->setObjectName(QStringLiteral("popHits"));
    for (int lookAhead : kLookAheads) {
        QAction* a = popHits_->addAction(QStringLiteral("Look ahead %1 future draws").arg(lookAhead));
        a->setObjectName(QStringLiteral("mniLookAhead%1").arg(lookAhead));
        connect(a, &QAction::triggered, this,
                [this, lookAhead] { Guarded([this, lookAhead] { state_.SetLookAhead(lookAhead); }); });
    }
    QAction* define = popHits_->addAction(QStringLiteral("Define future draws look ahead"));
    define->setObjectName(QStringLiteral("mniLookAheadDefine"));
    connect(define, &QAction::triggered, this, [this] { Guarded([this] { state_.LookAheadQuery(); }); });
    popHits_->addSeparator();
    QAction* saveHits = popHits_->addAction(QStringLiteral("Save chart as picture..."));
    saveHits->setObjectName(QStringLiteral("mniSaveHitsChart"));
    connect(saveHits, &QAction::triggered, this, [this] { SaveChart(ncHits_); });

    popDelay_ = new QMenu(this);
    popDelay_->setObjectName(QStringLiteral("popDelay"));
}

void TJUXTablePanel::Connect()
{
    connect(btnLess_, &QPushButton::clicked, this,
            [this] { WithStripDisabled([this] { state_.DecreaseTableRequested(); }); });
    connect(btnMore_, &QPushButton::clicked, this,
            [this] { WithStripDisabled([this] { state_.IncreaseTableRequested(); }); });
    connect(chkJUXAbsolute_, &QCheckBox::clicked, this,
            [this](bool checked) { WithStripDisabled([this, checked] { state_.SetAbsoluteCategoryHits(checked); }); });
    connect(btnCopy_, &QPushButton::clicked, this, [this] { Guarded([this] { state_.CopyPrediction(true); }); });
    connect(btnCopy_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popCopy_->exec(btnCopy_->mapToGlobal(pos)); });
    connect(popCopy_->actions().front(), &QAction::triggered, this,
            [this] { Guarded([this] { state_.CopyPrediction(false); }); });
    connect(ncHits_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popHits_->exec(ncHits_->mapToGlobal(pos)); });
    connect(ncDelay_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        UpdateDelayMenu();
        popDelay_->exec(ncDelay_->mapToGlobal(pos));
    });
}

void TJUXTablePanel::WithStripDisabled(const std::function<void()>& change) { WithDisabled(stripControls_, change); }

void TJUXTablePanel::ShowChart(bool delay) { pgCharts_->setCurrentWidget(delay ? ncDelay_ : ncHits_); }

void TJUXTablePanel::UpdateDelayMenu()
{
    popDelay_->clear();
    for (const TDelayMenuEntry& entry : state_.DelayMenu()) {
        if (entry.Kind == TDelayMenuEntry::Separator) {
            popDelay_->addSeparator();
            continue;
        }
        QAction* a = popDelay_->addAction(FromText(entry.Caption));
        connect(a, &QAction::triggered, this,
                [this, entry] { Guarded([this, entry] { state_.ChooseDelayEntry(entry); }); });
    }
    popDelay_->addSeparator();
    QAction* save = popDelay_->addAction(QStringLiteral("Save chart as picture..."));
    save->setObjectName(QStringLiteral("mniSaveDelayChart"));
    connect(save, &QAction::triggered, this, [this] { SaveChart(ncDelay_); });
}

void TJUXTablePanel::SaveChart(TNiceChart* chart)
{
    const QString preset = chart == ncHits_ ? QStringLiteral("JUX %1 hits.png").arg(state_.CurrentJUX())
                                            : QStringLiteral("JUX %1 delays.png").arg(state_.CurrentJUX());
    const QString fileName = ChoosePictureFile ? ChoosePictureFile(preset) : QString();
    if (fileName.isEmpty())
        return;
    if (!chart->SaveToPicture(fileName))
        ShowError(ToText(QStringLiteral("Unable to save the chart as \"%1\".").arg(fileName)));
}

bool TJUXTablePanel::ContentShown() const { return stack_->currentWidget() == splitter_; }

void TJUXTablePanel::Render()
{
    const TTablePage& page = state_.TablePage();
    lblJUXReqNumbers_->setText(FromText(RequestedText(state_.TableRequested, state_.Source().PoolSize())));
    chkJUXAbsolute_->setChecked(state_.AbsoluteCategoryHits);
    ncHits_->SetAxisXTitle(HitsAxisTitle(state_.LookAhead));
    sgSuccess_->setColumnCount(page.Success.ColCount);
    if (!page.Exists) {
        stack_->setCurrentWidget(lblNoTable_);
        return;
    }
    RenderGrids(page);
    RenderCharts(page);
    stack_->setCurrentWidget(splitter_);
}

void TJUXTablePanel::RenderGrids(const TTablePage& page)
{
    FillGrid(sgSuccess_, page.Success);
    QStringList labels;
    for (const std::string& label : SuccessRowLabels())
        labels << FromText(label);
    sgSuccess_->setVerticalHeaderLabels(labels);
    grpPredict_->setTitle(FromText(page.PredictCaption));
    FillGrid(sgPredict_, page.Predict);
    for (int col = 0; col < page.Predict.ColCount; ++col)
        sgPredict_->setColumnWidth(col, kPredictColumnWidth);
}

void TJUXTablePanel::RenderCharts(const TTablePage& page)
{
    ncHits_->BeginUpdate();
    ncDelay_->BeginUpdate();
    try {
        FillChart(ncHits_, page.Hits);
        FillChart(ncDelay_, page.Delay);
        ncDelay_->SetShowLegend(page.Delay.Legend);
    } catch (...) {
        ncHits_->EndUpdate();
        ncDelay_->EndUpdate();
        throw;
    }
    ncHits_->EndUpdate();
    ncDelay_->EndUpdate();
}

bool TJUXTablePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblJUXReqNumbers_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && lblJUXReqNumbers_->isEnabled()) {
        WithStripDisabled([this] { state_.QuickMoveTableRequested(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
