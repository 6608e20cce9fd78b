#include <gtest/gtest.h>

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QMouseEvent>

#include "data/Utils.h"
#include "support/EngineRig.h"
#include "support/QtTestSupport.h"
#include "widgets/GridCellUi.h"
#include "widgets/JUXDisplayFrame.h"

namespace {

using qttest::Click;

QApplication& App() { return qttest::App("display_ui_test"); }

// The frame with its queries answered from a script.
class TTestFrame : public TFrmJUXDisplay {
public:
    using TFrmJUXDisplay::TFrmJUXDisplay;
    QStringList answers;
    int userListChanges = 0;

protected:
    void UserListChanged() override
    {
        ++userListChanges;
        TFrmJUXDisplay::UserListChanged();
    }

    bool InputQuery(const std::string&, const std::string&, std::string& value) override
    {
        if (answers.isEmpty())
            return false;
        value = answers.takeFirst().toStdString();
        return true;
    }
};

struct Frame : ::testing::Test {
    rig::TRig r;
    std::unique_ptr<TTestFrame> f;

    void SetUp() override
    {
        App();
        ASSERT_TRUE(rig::OpenShortRun(r, ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        f = std::make_unique<TTestFrame>(r.env);
        f->resize(800, 500);
        f->show();
    }
    void TearDown() override { f.reset(); }

    template <typename T> T* Child(const char* name) const { return qttest::Child<T>(f.get(), name); }
    QAction* Action(QMenu* menu, const char* name) const
    {
        QAction* a = menu->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QString Text(int row, int col) const
    {
        QTableWidgetItem* item = Child<QTableWidget>("sgJUXPanorama")->item(row, col);
        return item ? item->text() : QString();
    }
    void Select(int left, int top, int right, int bottom)
    {
        QTableWidget* grid = Child<QTableWidget>("sgJUXPanorama");
        grid->clearSelection();
        grid->setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
    }
};

TEST_F(Frame, FillsItsGridFromAFinishedRun)
{
    EXPECT_EQ(Child<QLabel>("lblProgressInfo")->text(), "Currently testing JUX");
    EXPECT_EQ(Child<QPushButton>("btnStopCalculations")->text(), "Stop");
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, FINISHED);
    f->ShowFinalResults();

    QTableWidget* grid = Child<QTableWidget>("sgJUXPanorama");
    const TPanoramaGrid& model = f->Panorama();
    ASSERT_EQ(grid->columnCount(), 7);
    ASSERT_EQ(grid->rowCount(), 8);
    for (int row = 0; row < model.RowCount; ++row)
        for (int col = 0; col < model.ColCount; ++col)
            EXPECT_EQ(Text(row, col).toStdString(), model.Cell(col, row)) << row << "," << col;
    EXPECT_EQ(Text(0, 0), "Category");
    EXPECT_TRUE(Text(0, 1).startsWith("1- "));
    EXPECT_GT(CellID(model, 1, 3), 0);
    // Header cells cannot be selected.
    EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsSelectable);
    EXPECT_TRUE(grid->item(3, 1)->flags() & Qt::ItemIsSelectable);

    EXPECT_EQ(Child<QLabel>("lblProgressInfo")->text(), "Displaying final prediction results (40 JUXs tested)");
    EXPECT_EQ(Child<QPushButton>("btnStopCalculations")->text(), "Close");
    EXPECT_EQ(Child<QLabel>("lblReqNumbers")->text(), "6 numbers requested out of 49");
    EXPECT_EQ(Child<QComboBox>("cbPanoramaDisplayType")->currentIndex(), 0);
    EXPECT_EQ(Child<QTabWidget>("pgDisplay")->currentWidget(), Child<QWidget>("tabPanorama"));
    EXPECT_EQ(f->RequestedNumbersSelected(), 6);

    // "+" and the mode combo refresh the grid; the strip is enabled afterwards.
    Child<QPushButton>("btnPanoramaMore")->click();
    EXPECT_EQ(Child<QLabel>("lblReqNumbers")->text(), "7 numbers requested out of 49");
    EXPECT_TRUE(Child<QPushButton>("btnPanoramaMore")->isEnabled());
    Child<QComboBox>("cbPanoramaDisplayType")->setCurrentIndex(2);
    EXPECT_EQ(f->PanoramaMode(), kPanoramaBuildup);
    EXPECT_EQ(Text(1, 1), "- N/A -");
    EXPECT_TRUE(Child<QComboBox>("cbPanoramaDisplayType")->isEnabled());

    // A click on the label asks for the requested numbers.
    f->answers = {"9"};
    Click(Child<QLabel>("lblReqNumbers"));
    EXPECT_EQ(f->PanoramaRequested(), 9);
    EXPECT_EQ(grid->columnCount(), 7); // C = min(9, K = 6)
}

TEST_F(Frame, RunButtonCaptionsByState)
{
    r.options.MaximumJUXsToScan = 1000;
    QString duringRun;
    r.pump.onEvents = [&] {
        if (r.Tables() == 2)
            duringRun = Child<QPushButton>("btnStopCalculations")->text();
        if (r.Tables() >= 4 && r.env.RunState == STARTED)
            Child<QPushButton>("btnStopCalculations")->click();
    };
    r.env.ChangeState(STARTED);
    r.pump.onEvents = nullptr;
    ASSERT_EQ(r.env.RunState, PAUSED);
    EXPECT_EQ(duringRun, "Pause");
    EXPECT_EQ(Child<QPushButton>("btnStopCalculations")->text(), "Resume");

    r.dialogs.Queue(TModalResult::Cancel);
    Child<QPushButton>("btnStopCalculations")->click();
    EXPECT_EQ(r.env.RunState, PAUSED);
    EXPECT_EQ(r.dialogs.Texts(), (std::vector<std::string>{"Do you want to terminate the scan?"}));
    r.dialogs.Queue(TModalResult::Yes);
    Child<QPushButton>("btnStopCalculations")->click();
    EXPECT_EQ(r.env.RunState, FINISHED);
    f->ShowFinalResults();
    EXPECT_EQ(Child<QPushButton>("btnStopCalculations")->text(), "Close");
    const int mainPages = r.main.mainPages;
    Child<QPushButton>("btnStopCalculations")->click();
    EXPECT_EQ(r.main.mainPages, mainPages + 1);
}

TEST_F(Frame, PanoramaPopupEntriesBySelection)
{
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, FINISHED);
    QMenu* menu = f->PanoramaMenu();
    const int32_t id = CellID(f->Panorama(), 1, 3);
    ASSERT_GT(id, 0);

    Select(1, 3, 1, 3);
    f->UpdatePanoramaMenu();
    QAction* add = Action(menu, "mniAddFavorite");
    QAction* remove = Action(menu, "mniRemoveFavorite");
    QAction* browse = Action(menu, "mniBrowseCategory");
    EXPECT_TRUE(add->isVisible());
    EXPECT_EQ(add->text(), QString("Add %1 to JUX list").arg(id));
    EXPECT_FALSE(remove->isVisible());
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_EQ(browse->text(), "Browse 1 category");
    EXPECT_TRUE(Action(menu, "mniExportPredictions")->isVisible());
    EXPECT_TRUE(Action(menu, "mniExportPanoramaExcel")->isVisible());

    add->trigger();
    EXPECT_TRUE(f->UserJUXList()->ContainsInt(id));
    f->UpdatePanoramaMenu();
    EXPECT_FALSE(add->isVisible());
    EXPECT_TRUE(remove->isVisible());
    EXPECT_EQ(remove->text(), QString("Remove %1 from JUX list").arg(id));
    // The JUX list submenu gained an entry for it.
    const QList<QAction*> entries = f->UserListMenu()->actions();
    ASSERT_EQ(entries.size(), 5);
    EXPECT_EQ(entries.back()->text(), QString::number(id));

    // Two columns: nothing to browse, no single cell.
    Select(1, 3, 2, 4);
    f->UpdatePanoramaMenu();
    EXPECT_FALSE(browse->isEnabled());
    EXPECT_EQ(browse->text(), "Browse category");
    EXPECT_FALSE(add->isVisible());
    EXPECT_FALSE(remove->isVisible());

    // Browsing the column opens the table page with its first table.
    Select(1, 3, 1, 5);
    f->UpdatePanoramaMenu();
    browse->trigger();
    EXPECT_EQ(f->CurrentJUX(), id);
    EXPECT_EQ(Child<QTabWidget>("pgDisplay")->currentWidget(), Child<QWidget>("tabJUXTable"));
    EXPECT_EQ(Child<QLabel>("txtJUX")->text(), QString::number(id));
    QScrollBar* bar = Child<QScrollBar>("sbJUX");
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), f->BrowseList()->Count());
    EXPECT_TRUE(Child<QPushButton>("btnClrBrowse")->isEnabled());
    if (f->BrowseList()->Count() >= 2) {
        bar->setValue(2);
        EXPECT_EQ(f->CurrentJUX(), CellID(f->Panorama(), 1, 4));
    }
    // The table page's menu while browsing.
    f->UpdateTableMenu();
    EXPECT_FALSE(Action(f->TableMenu(), "mniBrowseList")->isVisible());
    EXPECT_TRUE(Action(f->TableMenu(), "mniClearList")->isVisible());
    EXPECT_TRUE(Action(f->TableMenu(), "mniExportTableExcel")->isVisible());
    Child<QPushButton>("btnClrBrowse")->click();
    EXPECT_TRUE(f->BrowseList()->IsEmpty());
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), 1);

    r.dialogs.Queue(TModalResult::Yes);
    Action(f->TableMenu(), "mniClearList")->trigger();
    EXPECT_TRUE(f->UserJUXList()->IsEmpty());
    EXPECT_EQ(f->UserListMenu()->actions().size(), 4);
}

// The "JUX list" entries after the four fixed ones, as texts.
QStringList ListEntries(QMenu* menu)
{
    QStringList texts;
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 4; i < actions.size(); ++i)
        texts << actions[i]->text();
    return texts;
}

QStringList ListTexts(const TIntegerStore& list)
{
    QStringList texts;
    for (int i = 1; i <= list.Count(); ++i) {
        int32_t id = 0;
        list.GetInt(i, id);
        texts << QString::number(id);
    }
    return texts;
}

TEST_F(Frame, RetainedTablesFillTheListWithOneMenuRefresh)
{
    f->AddToUserList(7);
    f->userListChanges = 0;
    TIntegerStore retained;
    for (int32_t id : {5, 7, 9, 5})
        retained.AddInt(id);
    for (int32_t id = 100; id < 3100; ++id)
        retained.AddInt(id);
    f->AddIDsToUserList(retained);
    EXPECT_EQ(f->userListChanges, 1);
    ASSERT_EQ(f->UserJUXList()->Count(), 3003);
    EXPECT_EQ(ListTexts(*f->UserJUXList()).mid(0, 4), (QStringList{"7", "5", "9", "100"}));
    EXPECT_EQ(ListEntries(f->UserListMenu()), ListTexts(*f->UserJUXList()));

    // Removing one in the middle and adding one keep the menu in the list's order.
    f->RemoveFromUserList(9);
    f->AddToUserList(42);
    EXPECT_EQ(ListEntries(f->UserListMenu()), ListTexts(*f->UserJUXList()));
    EXPECT_EQ(ListEntries(f->UserListMenu()).back(), "42");
    f->ClearUserList();
    EXPECT_EQ(f->UserListMenu()->actions().size(), 4);
    f->AddIDsToUserList(TIntegerStore());
    EXPECT_EQ(f->UserListMenu()->actions().size(), 4);
}

TEST(GridCell, SelectedCellsAreHalvedWithWhiteText)
{
    App();
    QImage image(40, 16, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintGridCell(painter, QRect(0, 0, 40, 16), QString(), kMoneyGreen, true);
    EXPECT_EQ(RGBFromColor(image.pixelColor(1, 1)), HalveColor(kMoneyGreen));
    PaintGridCell(painter, QRect(0, 0, 40, 16), QString(), kSkyBlue, false);
    EXPECT_EQ(RGBFromColor(image.pixelColor(20, 8)), kSkyBlue);
    // Text lands inside the cell: some pixel differs from the fill.
    PaintGridCell(painter, QRect(0, 0, 40, 16), QStringLiteral("88"), kSkyBlue, false, THorzAlign::Left,
                  TVertAlign::Top);
    painter.end();
    bool inked = false;
    for (int x = 0; x < 40 && !inked; ++x)
        for (int y = 0; y < 16 && !inked; ++y)
            inked = RGBFromColor(image.pixelColor(x, y)) != kSkyBlue;
    EXPECT_TRUE(inked);
    EXPECT_EQ(RGBFromColor(image.pixelColor(39, 15)), kSkyBlue);
}

} // namespace
