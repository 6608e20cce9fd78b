// The backtest window: settings, the run with its progress, the summary table
// and the cumulative hits chart.
#include "windows/BacktestFrm.h"

#include <algorithm>

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/Types.h"
#include "data/UserDialogs.h"
#include "widgets/NiceChart.h"
#include "widgets/QtText.h"
#include "widgets/WindowPlacement.h"

namespace {

constexpr int kProgressSteps = 1000;

} // namespace

TfrmBacktest::TfrmBacktest(const TDrawClass& game, const TGameOptions& options, QWidget* parent)
    : QDialog(parent), game_(game), options_(options)
{
    setWindowTitle(QStringLiteral("Backtest Predictions"));
    setObjectName(QStringLiteral("frmBacktest"));
    const TBacktest probe(game_, options_, 1, 1);

    edtDraws_ = new QSpinBox(this);
    edtDraws_->setObjectName(QStringLiteral("edtDraws"));
    const int drawCount = game_.DrawCount();
    edtDraws_->setRange(1, std::max(drawCount - 1, 1));
    edtDraws_->setValue(std::clamp(50, 1, std::max(drawCount - 1, 1)));
    edtTables_ = new QSpinBox(this);
    edtTables_->setObjectName(QStringLiteral("edtTables"));
    edtTables_->setRange(1, 999999999);
    edtTables_->setValue(1000);
    edtTables_->setGroupSeparatorShown(false);

    cbMode_ = new QComboBox(this);
    cbMode_->setObjectName(QStringLiteral("cbMode"));
    cbMode_->addItem(QStringLiteral("All modes"), -1);
    for (int32_t mode = 0; mode < 3; ++mode)
        cbMode_->addItem(QString::fromLatin1(BacktestModeName(mode)), mode);
    cbRequested_ = new QComboBox(this);
    cbRequested_->setObjectName(QStringLiteral("cbRequested"));
    cbRequested_->addItem(QStringLiteral("All"), 0);
    for (int32_t i = 1; i < probe.PoolSize(); ++i)
        cbRequested_->addItem(QString::number(i), i);
    cbCategory_ = new QComboBox(this);
    cbCategory_->setObjectName(QStringLiteral("cbCategory"));
    cbCategory_->addItem(QStringLiteral("All"), 0);
    for (int32_t j = 1; j <= probe.HitWidth(); ++j)
        cbCategory_->addItem(QString::number(j), j);

    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("Most recent draws to predict"), edtDraws_);
    settings->addRow(QStringLiteral("Tables computed for each draw"), edtTables_);
    auto* filters = new QFormLayout;
    filters->addRow(QStringLiteral("Mode"), cbMode_);
    filters->addRow(QStringLiteral("Requested numbers"), cbRequested_);
    filters->addRow(QStringLiteral("Hits category"), cbCategory_);
    auto* top = new QHBoxLayout;
    top->addLayout(settings);
    top->addSpacing(24);
    top->addLayout(filters);
    top->addStretch(1);

    btnStart_ = new QPushButton(QStringLiteral("&Start"), this);
    btnStart_->setObjectName(QStringLiteral("btnStart"));
    btnCancel_ = new QPushButton(QStringLiteral("Close"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    pbProgress_ = new QProgressBar(this);
    pbProgress_->setObjectName(QStringLiteral("pbProgress"));
    pbProgress_->setRange(0, kProgressSteps);
    pbProgress_->setValue(0);
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName(QStringLiteral("lblProgress"));
    auto* run = new QHBoxLayout;
    run->addWidget(btnStart_);
    run->addWidget(btnCancel_);
    run->addWidget(pbProgress_, 1);
    run->addWidget(lblProgress_);

    lblStatus_ = new QLabel(
        QStringLiteral("Each draw is predicted by a run on the draws before it, with the current options."), this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));

    sgSummary_ = new QTableWidget(0, kBacktestColumnCount, this);
    sgSummary_->setObjectName(QStringLiteral("sgSummary"));
    QStringList headers;
    for (const char* h : kBacktestColumns)
        headers << QString::fromLatin1(h);
    sgSummary_->setHorizontalHeaderLabels(headers);
    sgSummary_->verticalHeader()->setVisible(false);
    sgSummary_->verticalHeader()->setDefaultSectionSize(sgSummary_->fontMetrics().height() + 6);
    sgSummary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSummary_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgSummary_->setSelectionMode(QAbstractItemView::SingleSelection);

    ncHits_ = new TNiceChart(this);
    ncHits_->setObjectName(QStringLiteral("ncHits"));
    ncHits_->SetAxisXTitle("Predicted draw");
    ncHits_->SetAxisYTitle("Hits");
    ncHits_->SetShowLegend(true);
    ncHits_->SetShowTitle(true);
    ncHits_->SetAxisXWholeNumbers(true);
    ncHits_->SetAxisYWholeNumbers(true);
    ncHits_->setMinimumHeight(180);
    // Until a row of a run is chosen there is nothing to chart: a line says
    // what will come instead of an empty chart with placeholder axes.
    lblNoChart_ = new QLabel(QString::fromLatin1(kNoBacktestChart), this);
    lblNoChart_->setObjectName(QStringLiteral("lblNoChart"));
    lblNoChart_->setAlignment(Qt::AlignCenter);
    lblNoChart_->setWordWrap(true);
    stkChart_ = new QStackedWidget(this);
    stkChart_->addWidget(lblNoChart_);
    stkChart_->addWidget(ncHits_);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(sgSummary_);
    split->addWidget(stkChart_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(run);
    layout->addWidget(lblStatus_);
    layout->addWidget(split, 1);
    resize(760, 620);

    connect(btnStart_, &QPushButton::clicked, this, [this] { btnStartClick(); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    for (QComboBox* box : {cbMode_, cbRequested_, cbCategory_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { RefreshSummary(); });
    connect(sgSummary_, &QTableWidget::itemSelectionChanged, this, [this] { RefreshChart(); });
    UpdateButtons();
    RefreshChart();
}

TfrmBacktest::~TfrmBacktest() = default;

bool TfrmBacktest::ChartShown() const { return stkChart_->currentWidget() == ncHits_; }

TBacktestFilter TfrmBacktest::Filter() const
{
    TBacktestFilter f;
    f.Mode = cbMode_->currentData().toInt();
    f.Requested = cbRequested_->currentData().toInt();
    f.Category = cbCategory_->currentData().toInt();
    return f;
}

void TfrmBacktest::UpdateButtons()
{
    btnStart_->setEnabled(!running_);
    edtDraws_->setEnabled(!running_);
    edtTables_->setEnabled(!running_);
    btnCancel_->setText(running_ ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

void TfrmBacktest::btnStartClick()
{
    if (running_)
        return;
    auto backtest = std::make_unique<TBacktest>(game_, options_, edtDraws_->value(), edtTables_->value());
    backtest->SetThreads(options_.AnalysisThreads);
    try {
        backtest->Check();
    } catch (const std::exception& e) {
        ShowError(e.what());
        return;
    }
    backtest_ = std::move(backtest);
    running_ = true;
    cancelRequested_ = false;
    shownDraws_ = -1;
    pbProgress_->setValue(0);
    UpdateButtons();
    RefreshSummary();
    bool complete = false;
    std::string error;
    try {
        complete = backtest_->Run(this);
    } catch (const std::exception& e) {
        error = e.what();
    }
    running_ = false;
    UpdateButtons();
    const int32_t done = int32_t(backtest_->Results().size());
    if (complete)
        pbProgress_->setValue(kProgressSteps);
    lblProgress_->setText(QString::fromStdString(BacktestProgressText(done, backtest_->DrawsRequested(), 0, 0)));
    lblStatus_->setText(QString::fromStdString(BacktestStatusText(done, backtest_->DrawsRequested(), !complete)));
    RefreshSummary();
    if (!error.empty())
        ShowError(error);
    if (closeRequested_)
        QDialog::reject();
}

void TfrmBacktest::btnCancelClick()
{
    if (running_)
        cancelRequested_ = true;
    else
        reject();
}

void TfrmBacktest::reject()
{
    // Closing while the run is on the stack would pull the window from under
    // it: stop the run first, close when it has returned.
    if (running_) {
        cancelRequested_ = true;
        closeRequested_ = true;
        return;
    }
    QDialog::reject();
}

bool TfrmBacktest::Progress(int32_t drawsDone, int32_t draws, int32_t tablesDone, int32_t tables)
{
    const double part = tables > 0 ? double(std::min(tablesDone, tables)) / tables : 0;
    pbProgress_->setValue(int((drawsDone + part) / std::max(draws, 1) * kProgressSteps));
    lblProgress_->setText(QString::fromStdString(BacktestProgressText(drawsDone, draws, tablesDone, tables)));
    // The summary grows with every draw; on long backtests its refresh is
    // kept to a small share of the time.
    if (drawsDone != shownDraws_ &&
        (shownDraws_ < 0 || sinceRefresh_.elapsed() >= std::max<qint64>(1000, 4 * lastRefreshMs_))) {
        shownDraws_ = drawsDone;
        QElapsedTimer cost;
        cost.start();
        RefreshSummary();
        lastRefreshMs_ = cost.elapsed();
        sinceRefresh_.start();
    }
    QCoreApplication::processEvents();
    return !cancelRequested_;
}

void TfrmBacktest::RefreshSummary()
{
    int32_t mode = -1, requested = 0, category = 0;
    if (const int row = sgSummary_->currentRow(); row >= 0 && size_t(row) < rows_.size()) {
        mode = rows_[size_t(row)].Mode;
        requested = rows_[size_t(row)].Requested;
        category = rows_[size_t(row)].Category;
    }
    rows_ = backtest_ ? BacktestRows(backtest_->Summary(), Filter()) : std::vector<TBacktestRow>{};
    const QSignalBlocker block(sgSummary_);
    sgSummary_->setUpdatesEnabled(false);
    sgSummary_->clearContents();
    sgSummary_->setRowCount(int(rows_.size()));
    int select = rows_.empty() ? -1 : 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
        const TBacktestRow& row = rows_[r];
        if (row.Mode == mode && row.Requested == requested && row.Category == category)
            select = int(r);
        for (int c = 0; c < kBacktestColumnCount; ++c) {
            auto* item = new QTableWidgetItem(FromText(row.Cells[size_t(c)]));
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (row.AboveChance) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            sgSummary_->setItem(int(r), c, item);
        }
    }
    if (select >= 0)
        sgSummary_->selectRow(select);
    // Once, not per cell: sizing to contents on every insertion is quadratic.
    sgSummary_->resizeColumnsToContents();
    sgSummary_->setUpdatesEnabled(true);
    RefreshChart();
}

void TfrmBacktest::RefreshChart()
{
    ncHits_->BeginUpdate();
    ncHits_->ClearSeries();
    const int row = sgSummary_->currentRow();
    if (backtest_ && row >= 0 && size_t(row) < rows_.size()) {
        const TBacktestRow& r = rows_[size_t(row)];
        std::vector<double> hits, chance;
        backtest_->CumulativeHits(r.Mode, r.Requested, r.Category, hits, chance);
        ncHits_->SetTitle(Format("%s, %d numbers, %d hits category: cumulative hits", BacktestModeName(r.Mode),
                                 r.Requested, r.Category));
        TNiceSeries* observed = ncHits_->AddSeries(TSeriesKind::Line);
        observed->SetTitle("Hits");
        TNiceSeries* expected = ncHits_->AddSeries(TSeriesKind::Line);
        expected->SetTitle("Chance");
        for (size_t d = 0; d < hits.size(); ++d) {
            observed->AddXY(double(d + 1), hits[d]);
            expected->AddXY(double(d + 1), chance[d]);
        }
    } else {
        ncHits_->SetTitle("Cumulative hits");
    }
    ncHits_->EndUpdate();
    stkChart_->setCurrentWidget(ncHits_->SeriesCount() > 0 ? static_cast<QWidget*>(ncHits_) : lblNoChart_);
}

void OpenBacktest(QWidget* parent, const TDrawClass& game, const TGameOptions& options)
{
    TfrmBacktest window(game, options, parent);
    TrackPlacement(window, "Backtest");
    window.exec();
}
