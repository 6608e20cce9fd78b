// The JUX Table page on the offscreen platform: selecting a table, the
// requested-numbers strip, the absolute box, the chart menus, a table that is
// gone, and saving a chart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include "engine/JUXEngine.h"
#include "models/Clipboard.h"
#include "support/EngineRig.h"
#include "support/QtTestSupport.h"
#include "widgets/JUXDisplayFrame.h"
#include "widgets/JUXTableUi.h"
#include "widgets/NiceChart.h"

namespace {

using qttest::Click;

QApplication& App() { return qttest::App("jux_table_page_test"); }

class TTestFrame : public TFrmJUXDisplay {
public:
    using TFrmJUXDisplay::TFrmJUXDisplay;
    QStringList answers;
    QStringList prompts;
    bool failRefresh = false;

    void RefreshTable() override
    {
        if (failRefresh)
            throw Exception("refresh failed");
        TFrmJUXDisplay::RefreshTable();
    }

protected:
    bool InputQuery(const std::string& title, const std::string&, std::string& value) override
    {
        prompts << QString::fromStdString(title + "=" + value);
        if (answers.isEmpty())
            return false;
        value = answers.takeFirst().toStdString();
        return true;
    }
};

struct TablePage : ::testing::Test {
    rig::TRig r;
    std::unique_ptr<TTestFrame> f;
    TStringClipboard clipboard;

    void SetUp() override
    {
        App();
        InstallClipboard(&clipboard);
        ASSERT_TRUE(rig::OpenShortRun(r, ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        f = std::make_unique<TTestFrame>(r.env);
        f->resize(900, 700);
        f->show();
        r.env.ChangeState(STARTED);
        ASSERT_EQ(r.env.RunState, FINISHED);
        f->ShowFinalResults();
    }
    void TearDown() override
    {
        f.reset();
        InstallClipboard(nullptr);
    }

    template <typename T> T* Child(const char* name) const { return qttest::Child<T>(f.get(), name); }
    TJUXTablePanel* Panel() const { return f->TablePanel(); }
    // Opens the best table of category 1, as a double click does.
    int32_t OpenBest()
    {
        const int32_t id = CellID(f->Panorama(), 1, 3);
        EXPECT_TRUE(f->OpenCell(1, 3));
        return id;
    }
    QAction* MenuEntry(QMenu* menu, const QString& caption) const
    {
        for (QAction* a : menu->actions())
            if (a->text() == caption)
                return a;
        ADD_FAILURE() << caption.toStdString();
        return nullptr;
    }
    // The grid shows the model's texts.
    void ExpectGrid(const char* name, const TTextGrid& model) const
    {
        QTableWidget* grid = Child<QTableWidget>(name);
        ASSERT_EQ(grid->columnCount(), model.ColCount) << name;
        ASSERT_EQ(grid->rowCount(), model.RowCount) << name;
        for (int row = 0; row < model.RowCount; ++row)
            for (int col = 0; col < model.ColCount; ++col)
                EXPECT_EQ(grid->item(row, col)->text().toStdString(), model.Cell(col, row)) << name << row << col;
    }
};

} // namespace

TEST_F(TablePage, SelectingATableFillsThePage)
{
    // Nothing selected yet: only the text shows.
    EXPECT_FALSE(Panel()->ContentShown());
    EXPECT_EQ(Child<QLabel>("lblNoJUX")->text(), "Selected JUX has not been computed or eliminated by the process");

    const int32_t id = OpenBest();
    EXPECT_EQ(f->CurrentJUX(), id);
    EXPECT_EQ(Child<QTabWidget>("pgDisplay")->currentWidget(), Child<QWidget>("tabJUXTable"));
    ASSERT_TRUE(Panel()->ContentShown());
    EXPECT_EQ(Child<QLabel>("lblJUXReqNumbers")->text(), "6 numbers requested out of 49");
    EXPECT_FALSE(Child<QCheckBox>("chkJUXAbsolute")->isChecked());

    const TTablePage& page = f->TablePage();
    TEngineTableSource source(r.engine);
    const TTablePage expected = BuildTablePage(source, f->TableView(), r.options.CompareNums);
    EXPECT_EQ(page.Success.Cells, expected.Success.Cells);
    ExpectGrid("sgSuccess", page.Success);
    ExpectGrid("sgPredict", page.Predict);
    EXPECT_EQ(page.Success.ColCount, 7);
    EXPECT_EQ(page.Predict.ColCount, 7);
    EXPECT_EQ(page.Predict.RowCount, 2);

    TNiceChart* hits = Panel()->HitsChart();
    ASSERT_EQ(hits->SeriesCount(), 2);
    EXPECT_EQ(hits->Series(0)->Points().size(), 29u); // T = 30, first point dropped
    EXPECT_EQ(hits->Series(1)->Points().size(), 24u); // 25 averages of 5, first dropped
    EXPECT_EQ(hits->AxisXTitle(), "Tested Draws (blue line averaged on 5 future draws)");
    EXPECT_FALSE(hits->ShowLegend());
    TNiceChart* delay = Panel()->DelayChart();
    EXPECT_EQ(delay->SeriesCount(), 6);
    EXPECT_TRUE(delay->ShowLegend());
    EXPECT_EQ(delay->Series(0)->Title(), "1 hits");
    EXPECT_FALSE(hits->Updating());
    EXPECT_FALSE(delay->Updating());

    // The copies.
    Child<QPushButton>("btnCopyPrediction")->click();
    EXPECT_EQ(clipboard.Text, page.ClipboardSorted);
    const TShortIntArray& order = r.engine.FindTable(id)->FinalOrder;
    EXPECT_EQ(clipboard.Text.size(), 6u * 3 - 1); // six numbers, two digits once one exceeds 9
    Panel()->findChild<QAction*>(QStringLiteral("mniCopyOriginal"))->trigger();
    EXPECT_EQ(clipboard.Text.substr(0, 2), Format("%.2d", int(order[0])));
}

TEST_F(TablePage, RequestedNumbersStopAtTheirLimits)
{
    OpenBest();
    QPushButton* less = Child<QPushButton>("btnJUXLess");
    QPushButton* more = Child<QPushButton>("btnJUXMore");
    for (int i = 0; i < 10; ++i)
        less->click();
    EXPECT_EQ(f->TableRequested, 1);
    EXPECT_EQ(Child<QLabel>("lblJUXReqNumbers")->text(), "1 numbers requested out of 49");
    EXPECT_EQ(Child<QTableWidget>("sgSuccess")->columnCount(), 2);
    EXPECT_EQ(f->PanoramaRequested(), 6); // the panorama keeps its own
    for (int i = 0; i < 60; ++i)
        more->click();
    EXPECT_EQ(f->TableRequested, 48);
    EXPECT_EQ(Child<QTableWidget>("sgPredict")->columnCount(), 11);
    EXPECT_EQ(Child<QTableWidget>("sgPredict")->rowCount(), 6);
    for (QWidget* w : Panel()->StripControls())
        EXPECT_TRUE(w->isEnabled());

    // The quick move, from the label and from the "Panorama mode" caption.
    f->answers = {"49", "12"};
    Click(Child<QLabel>("lblJUXReqNumbers"));
    EXPECT_EQ(f->TableRequested, 48); // out of range: ignored
    Click(Child<QLabel>("lblJUXReqNumbers"));
    EXPECT_EQ(f->TableRequested, 12);
    f->answers = {"7"};
    Click(Child<QLabel>("lblPanoramaMode"));
    EXPECT_EQ(f->TableRequested, 7);
    EXPECT_EQ(f->prompts.back(), "Quick move to=12");
}

TEST_F(TablePage, AbsoluteBoxSwitchesTheRatios)
{
    OpenBest();
    TEngineTableSource source(r.engine);
    QCheckBox* box = Child<QCheckBox>("chkJUXAbsolute");
    box->click();
    EXPECT_TRUE(f->AbsoluteCategoryHits);
    TTableView view = f->TableView();
    ASSERT_TRUE(view.Absolute);
    ExpectGrid("sgSuccess", BuildTablePage(source, view, {}).Success);
    box->click();
    view.Absolute = false;
    ExpectGrid("sgSuccess", BuildTablePage(source, view, {}).Success);
    // Exact counts add up to T; "at least" counts fall with the category.
    view.Absolute = true;
    int total = 0;
    for (int32_t j = 0; j <= 6; ++j)
        total += std::stoi(BuildTablePage(source, view, {}).Success.Cell(j, 3));
    EXPECT_EQ(total, 30);

    // Opening a table of the Absolute panorama checks the box.
    f->SetPanoramaMode(kPanoramaAbsolute);
    f->SelectJUX(f->CurrentJUX());
    EXPECT_TRUE(box->isChecked());
}

TEST_F(TablePage, LookAheadEntriesAndQuery)
{
    OpenBest();
    QMenu* menu = Panel()->HitsMenu();
    MenuEntry(menu, "Look ahead 10 future draws")->trigger();
    EXPECT_EQ(f->LookAhead, 10);
    EXPECT_EQ(Panel()->HitsChart()->AxisXTitle(), "Tested Draws (blue line averaged on 10 future draws)");
    EXPECT_EQ(Panel()->HitsChart()->Series(1)->Points().size(), 19u);

    // A refused answer is told the range; an accepted one is not.
    const std::string range = "The look ahead must be a whole number from 1 to 14 (less than half of the 30 tested "
                              "draws).";
    struct Answer {
        const char* text;
        int32_t lookAhead;
        bool told;
    } answers[] = {{"0", 10, true}, {"15", 10, true}, {"abc", 10, true}, {"14", 14, false}, {" 2 ", 2, false}};
    for (const Answer& a : answers) {
        f->answers = {QString::fromLatin1(a.text)};
        const size_t shown = r.dialogs.Texts().size();
        MenuEntry(menu, "Define future draws look ahead")->trigger();
        EXPECT_EQ(f->LookAhead, a.lookAhead) << a.text;
        ASSERT_EQ(r.dialogs.Texts().size(), shown + (a.told ? 1 : 0)) << a.text;
        if (a.told) {
            EXPECT_EQ(r.dialogs.Texts().back(), range) << a.text;
        }
    }
    EXPECT_EQ(f->prompts.back(), "Look ahead=14");
    // Cancelling is not refusing.
    const size_t shown = r.dialogs.Texts().size();
    f->answers.clear();
    MenuEntry(menu, "Define future draws look ahead")->trigger();
    EXPECT_EQ(r.dialogs.Texts().size(), shown);
    EXPECT_EQ(Panel()->HitsChart()->AxisXTitle(), "Tested Draws (blue line averaged on 2 future draws)");
}

TEST_F(TablePage, DelayMenuSwitchesModes)
{
    OpenBest();
    QMenu* menu = Panel()->DelayMenu();
    Panel()->UpdateDelayMenu();
    EXPECT_EQ(menu->actions().size(), 6 + 2); // six categories, separator, save
    MenuEntry(menu, "At Least 2 hit(s)")->trigger();
    EXPECT_EQ(f->DelayCategory, 2);
    TNiceChart* delay = Panel()->DelayChart();
    ASSERT_EQ(delay->SeriesCount(), 1);
    EXPECT_EQ(delay->Series(0)->Kind(), TSeriesKind::Bar);
    EXPECT_FALSE(delay->ShowLegend());
    EXPECT_TRUE(QString::fromStdString(delay->AxisXTitle()).endsWith(" - Summary"));
    // The bars of counts rise from 0 on whole-number ticks.
    ASSERT_FALSE(delay->Layout().YTicks.empty());
    EXPECT_EQ(delay->Layout().YTicks.front().Value, 0);
    for (const TNiceChart* chart : {delay, Panel()->HitsChart()})
        for (const std::vector<TChartTick>* ticks : {&chart->Layout().XTicks, &chart->Layout().YTicks})
            for (const TChartTick& t : *ticks)
                EXPECT_EQ(t.Value, std::floor(t.Value)) << t.Label;

    Panel()->UpdateDelayMenu();
    MenuEntry(menu, "Switch to actual delays")->trigger();
    EXPECT_EQ(f->DelayMode, 1);
    ASSERT_EQ(delay->SeriesCount(), 1);
    EXPECT_EQ(delay->Series(0)->Kind(), TSeriesKind::Line);
    EXPECT_EQ(delay->AxisYTitle(), "Draws passed");
    EXPECT_GE(delay->Series(0)->Points().size(), 2u);

    Panel()->UpdateDelayMenu();
    MenuEntry(menu, "Switch to summary of delays");
    MenuEntry(menu, "Overall delay hits")->trigger();
    EXPECT_EQ(f->DelayCategory, 0);
    EXPECT_EQ(delay->SeriesCount(), 6);
    EXPECT_EQ(delay->AxisXTitle(), "Overall delay of 'at least x' hits");

    // With one category the menu picks it by itself.
    f->TableRequested = 1;
    Panel()->UpdateDelayMenu();
    EXPECT_EQ(f->DelayCategory, 1);
}

// Both grids of the page offer the table menu with the spreadsheet export;
// the rows of "Hits Produced" are labelled.
TEST_F(TablePage, GridsOfferTheTableMenuAndLabelTheirRows)
{
    OpenBest();
    for (QTableWidget* grid : {Panel()->SuccessGrid(), Panel()->PredictGrid()}) {
        SCOPED_TRACE(grid->objectName().toStdString());
        QWidget* shown = nullptr;
        bool exportOffered = false;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activePopupWidget();
            if (auto* menu = qobject_cast<QMenu*>(shown)) {
                for (QAction* a : menu->actions())
                    exportOffered = exportOffered || (a->text() == "Export JUX details to EXCEL" && a->isVisible());
                menu->close();
            }
        });
        emit grid->customContextMenuRequested(QPoint(4, 4));
        EXPECT_EQ(shown, f->TableMenu());
        EXPECT_TRUE(exportOffered);
    }
    QTableWidget* success = Panel()->SuccessGrid();
    EXPECT_TRUE(success->verticalHeader()->isVisible());
    ASSERT_EQ(success->rowCount(), 4);
    const std::vector<std::string> labels = SuccessRowLabels();
    for (int row = 0; row < 4; ++row) {
        ASSERT_NE(success->verticalHeaderItem(row), nullptr) << row;
        EXPECT_EQ(success->verticalHeaderItem(row)->text().toStdString(), labels[size_t(row)]);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Category", "Ratio %", "Imp. Ratio", "Draws"}));
}

TEST_F(TablePage, TableGoneShowsTheText)
{
    OpenBest();
    ASSERT_TRUE(Panel()->ContentShown());
    // A table the engine no longer holds, as after recycling.
    f->SelectJUX(r.engine.Context.TablesComputed + 1000);
    EXPECT_FALSE(Panel()->ContentShown());
    EXPECT_TRUE(Child<QLabel>("lblNoJUX")->isVisible());
    EXPECT_EQ(Child<QTableWidget>("sgSuccess")->columnCount(), 7);
    // The strip still works and stays enabled.
    Child<QPushButton>("btnJUXLess")->click();
    EXPECT_EQ(f->TableRequested, 5);
    EXPECT_FALSE(Panel()->ContentShown());
}

TEST_F(TablePage, StripEnabledAfterAFailedRefresh)
{
    OpenBest();
    f->failRefresh = true;
    const size_t shown = r.dialogs.Texts().size();
    for (const char* name : {"btnJUXMore", "btnJUXLess"})
        Child<QPushButton>(name)->click();
    Child<QCheckBox>("chkJUXAbsolute")->click();
    f->answers = {"9"};
    Click(Child<QLabel>("lblJUXReqNumbers"));
    EXPECT_EQ(r.dialogs.Texts().size(), shown + 4);
    EXPECT_EQ(r.dialogs.Texts().back(), "refresh failed");
    for (QWidget* w : Panel()->StripControls())
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(TablePage, SavesAChartAsPicture)
{
    OpenBest();
    Child<QTabWidget>("pgCharts")->setCurrentIndex(0);
    const std::string path = fixtures::TmpDir() + "hits.png";
    std::remove(path.c_str());
    QString preset;
    Panel()->ChoosePictureFile = [&](const QString& p) {
        preset = p;
        return QString::fromStdString(path);
    };
    Panel()->HitsMenu()->findChild<QAction*>(QStringLiteral("mniSaveHitsChart"))->trigger();
    EXPECT_EQ(preset, QStringLiteral("JUX %1 hits.png").arg(f->CurrentJUX()));
    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), Panel()->HitsChart()->size());

    // Cancelled: nothing written, nothing said.
    Panel()->ChoosePictureFile = [](const QString&) { return QString(); };
    const size_t shown = r.dialogs.Texts().size();
    Panel()->UpdateDelayMenu();
    Panel()->DelayMenu()->findChild<QAction*>(QStringLiteral("mniSaveDelayChart"))->trigger();
    EXPECT_EQ(r.dialogs.Texts().size(), shown);
}

TEST_F(TablePage, ShowTableWithChartOpensThePageOnTheAskedTableAndChart)
{
    auto* pages = Child<QTabWidget>("pgDisplay");
    auto* charts = Child<QTabWidget>("pgCharts");
    const int32_t best = CellID(f->Panorama(), 1, TPanoramaGrid::kFixedRows);
    const int32_t other = CellID(f->Panorama(), 2, TPanoramaGrid::kFixedRows);
    ASSERT_NE(best, other);
    const struct {
        int32_t asked;
        bool delay;
        int32_t shown;
    } cases[] = {{0, false, best}, {other, true, other}, {best, false, best}};
    for (const auto& c : cases) {
        f->ShowTableWithChart(c.asked, c.delay);
        EXPECT_EQ(f->CurrentJUX(), c.shown) << c.asked;
        EXPECT_EQ(pages->currentWidget(), Child<QWidget>("tabJUXTable")) << c.asked;
        EXPECT_EQ(charts->currentWidget(),
                  c.delay ? static_cast<QWidget*>(Panel()->DelayChart()) : static_cast<QWidget*>(Panel()->HitsChart()))
            << c.asked;
    }
}
