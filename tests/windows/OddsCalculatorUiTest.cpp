// The odds calculator on Qt's offscreen platform: the preset from the main
// window during a paused run, ticking rows by mouse and keys, the popup
// commands, the system clipboard and the refusals.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeWidget>

#include <cstdlib>
#include <functional>

#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "platform/Paths.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "widgets/ClipboardUi.h"
#include "widgets/QtText.h"
#include "windows/Application.h"
#include "windows/MainFrm.h"
#include "windows/OddsCalculatorF.h"

namespace {

using qttest::Child;
using qttest::EveryPass;
using qttest::Snap;

std::string Text(const QLabel* label) { return ToText(label->text()); }

class OddsCalculatorUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.show();
        QApplication::processEvents();
    }
    QTreeWidget* List() { return Child<QTreeWidget>(&form, "lvProb"); }
    std::string Combined() { return Text(Child<QLabel>(&form, "pnlCombined")); }
    void Enter(const char* total, const char* drawn, const char* selected)
    {
        Child<QLineEdit>(&form, "edtTotalNumbers")->setText(QString::fromLatin1(total));
        Child<QLineEdit>(&form, "edtNumbersDrawn")->setText(QString::fromLatin1(drawn));
        Child<QLineEdit>(&form, "edtNumbersSelected")->setText(QString::fromLatin1(selected));
        Child<QPushButton>(&form, "btnComputeOdds")->click();
    }
    void Trigger(const char* name) { Child<QAction>(form.Popup(), name)->trigger(); }

    // A left click on the check box of a row.
    void ClickCheckBox(int row)
    {
        QTreeWidget* list = List();
        QTreeWidgetItem* item = list->topLevelItem(row);
        list->scrollToItem(item);
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = list->visualItemRect(item);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        const QPointF at = box.center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &event);
        }
    }
    void PressSpaceOn(int row)
    {
        QTreeWidget* list = List();
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(row));
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QApplication::sendEvent(list, &event);
        }
    }

    TScriptedDialogs dialogs;
    TfrmOddsCalculator form;
};

TEST_F(OddsCalculatorUi, ComputesTheDefaultsWhenShown)
{
    EXPECT_EQ(ToText(form.windowTitle()), "Odds Calculator");
    EXPECT_EQ(ToText(Child<QLineEdit>(&form, "edtTotalNumbers")->text()), "49");
    EXPECT_EQ(ToText(Child<QLineEdit>(&form, "edtNumbersDrawn")->text()), "6");
    EXPECT_EQ(ToText(Child<QLineEdit>(&form, "edtNumbersSelected")->text()), "10");
    QTreeWidget* list = List();
    ASSERT_EQ(list->topLevelItemCount(), 7);
    EXPECT_EQ(ToText(list->headerItem()->text(0)), "Correct numbers");
    EXPECT_EQ(ToText(list->headerItem()->text(1)), "Probability %");
    EXPECT_EQ(ToText(list->headerItem()->text(2)), "once in X draws");
    const TOddsTable want = ComputeOddsTable(49, 6, 10);
    for (int r = 0; r < 7; ++r) {
        const QTreeWidgetItem* item = list->topLevelItem(r);
        EXPECT_EQ(ToText(item->text(0)), want.Rows[size_t(r)].Caption);
        EXPECT_EQ(ToText(item->text(1)), want.Rows[size_t(r)].PercentText);
        EXPECT_EQ(ToText(item->text(2)), want.Rows[size_t(r)].OnceInText);
        EXPECT_EQ(item->data(0, Qt::UserRole).toInt(), r);
        EXPECT_EQ(item->checkState(0), Qt::Unchecked);
    }
    EXPECT_EQ(Combined(), "No correct numbers selected.");
    EXPECT_TRUE(dialogs.shown.empty());

    // Tails carry the tag -1.
    Enter("90", "30", "45");
    ASSERT_EQ(list->topLevelItemCount(), 29);
    EXPECT_EQ(ToText(list->topLevelItem(0)->text(0)), "0 to 1 correct");
    EXPECT_EQ(list->topLevelItem(0)->data(0, Qt::UserRole).toInt(), -1);
    EXPECT_EQ(list->topLevelItem(28)->data(0, Qt::UserRole).toInt(), -1);
}

TEST_F(OddsCalculatorUi, TickingRowsUpdatesTheCombinedLine)
{
    Enter("49", "6", "6");
    ClickCheckBox(6);
    EXPECT_EQ(form.Ticked(), std::vector<bool>({false, false, false, false, false, false, true}));
    EXPECT_EQ(Combined(), "Combined : 0.0000071511% [once in 13983816.00 draws]");
    PressSpaceOn(5);
    EXPECT_EQ(List()->topLevelItem(5)->checkState(0), Qt::Checked);
    EXPECT_EQ(Combined(),
              OddsCombinedLine(ComputeOddsTable(49, 6, 6), {false, false, false, false, false, true, true}));
    ClickCheckBox(6);
    PressSpaceOn(5);
    EXPECT_EQ(Combined(), "No correct numbers selected.");

    Trigger("mniSelectAll");
    EXPECT_EQ(form.Ticked(), std::vector<bool>(7, true));
    EXPECT_EQ(Combined(), "Combined : 100.0000000000% [once in 1.00 draws]");
    Snap(form, "odds-calculator");
    Trigger("mniDeselectAll");
    EXPECT_EQ(form.Ticked(), std::vector<bool>(7, false));
    EXPECT_EQ(Combined(), "No correct numbers selected.");
}

TEST_F(OddsCalculatorUi, WritesTheLocaleDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Enter("49", "6", "6");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(ToText(List()->topLevelItem(6)->text(1)), "0,0000071511%");
    EXPECT_EQ(ToText(List()->topLevelItem(6)->text(2)), "13983816,00");
    Trigger("mniSelectAll");
    EXPECT_EQ(Combined(), "Combined : 100,0000000000% [once in 1,00 draws]");
    TStringClipboard clipboard;
    InstallClipboard(&clipboard);
    Trigger("mniCopyToClipboard");
    InstallClipboard(nullptr);
    EXPECT_EQ(clipboard.Text, OddsClipboardText(ComputeOddsTable(49, 6, 6, ',')));
}

TEST_F(OddsCalculatorUi, CopiesTheTableToTheClipboard)
{
    TQtClipboard clipboard;
    InstallClipboard(&clipboard);
    QApplication::clipboard()->setText(QStringLiteral("old"));
    Enter("90", "30", "45");
    Trigger("mniCopyToClipboard");
    InstallClipboard(nullptr);
    EXPECT_EQ(ToText(QApplication::clipboard()->text()), OddsClipboardText(ComputeOddsTable(90, 30, 45)));
    EXPECT_EQ(ToText(QApplication::clipboard()->text()).substr(0, 57),
              "Total numbers 90, Drawn numbers 30, Selected numbers 45\r\n");
}

TEST_F(OddsCalculatorUi, RefusedInputLeavesTheListEmpty)
{
    struct Case {
        const char* total;
        const char* drawn;
        const char* selected;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"49", "49", "6", {"Total numbers cannot be less than or equal to drawn numbers."}},
        {"49", "6", "49", {"Total numbers cannot be less than or equal to total selected numbers."}},
        {"0",
         "0",
         "-1",
         {"Cannot have zero or negative values for total numbers/numbers drawn.",
          "Cannot have negative values for total selected numbers.",
          "Total numbers cannot be less than or equal to drawn numbers."}},
        {"49", "six", "6", {"'six' is not a valid integer value"}},
        {"", "6", "6", {"'' is not a valid integer value"}},
    };
    for (const Case& c : cases) {
        Enter("49", "6", "6");
        Trigger("mniSelectAll");
        dialogs.shown.clear();
        Enter(c.total, c.drawn, c.selected);
        EXPECT_EQ(dialogs.Texts(), c.errors) << c.total << "/" << c.drawn << "/" << c.selected;
        for (const auto& s : dialogs.shown)
            EXPECT_EQ(s.kind, TDialogKind::Error);
        EXPECT_EQ(List()->topLevelItemCount(), 0);
        EXPECT_EQ(Combined(), "No correct numbers selected.");
        // Nothing to tick or copy.
        Trigger("mniSelectAll");
        EXPECT_EQ(Combined(), "No correct numbers selected.");
    }
}

TEST(OddsCalculatorPreset, MainWindowHandsOverThePausedRun)
{
    TScriptedDialogs dialogs;
    TApplicationObjects objects;
    TfrmMain window(objects.Environment());
    window.SetAutoLoadOnShow(false);
    window.show();
    TEnvironmentClass& env = objects.Environment();

    // 6 of 49 with one bonus ball from the same drum, its second field active.
    const TGameInfo info = fixtures::MakeGame(6, 49, 1, 2, 1);
    TDrawClass model(info);
    fixtures::FillDraws(model, info, 160);
    const std::string path = fixtures::TmpDir() + "bonus.drw";
    ASSERT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
    DeleteFile(ChangeFileExt(path, ".ini"));
    env.OpenGame(path);
    ASSERT_TRUE(env.GameOpen());
    env.Options().SetFieldSelected(2);
    env.Options().MinReqNumbers = 8;
    env.Options().MaxReqNumbers = 8;
    env.Options().MaximumJUXsToScan = 4;
    window.RefreshLotteryHeader();
    window.UpdateControls();

    // Pause after the first table, then open the calculator from the menu.
    EveryPass(&window, [&] {
        if (env.RunState != STARTED || env.Engine().Context.TablesComputed < 1)
            return false;
        window.findChild<QPushButton*>(QStringLiteral("btnStopCalculations"))->click();
        return true;
    });
    window.findChild<QPushButton*>(QStringLiteral("btnStart"))->click();
    ASSERT_EQ(env.RunState, PAUSED) << (dialogs.shown.empty() ? "" : dialogs.shown.back().text);

    std::vector<std::string> edits;
    int rows = -1;
    std::string combined;
    EveryPass(&window, [&] {
        auto* w = qobject_cast<TfrmOddsCalculator*>(QApplication::activeModalWidget());
        if (!w)
            return false;
        for (const char* name : {"edtTotalNumbers", "edtNumbersDrawn", "edtNumbersSelected"})
            edits.push_back(ToText(Child<QLineEdit>(w, name)->text()));
        rows = Child<QTreeWidget>(w, "lvProb")->topLevelItemCount();
        combined = Text(Child<QLabel>(w, "pnlCombined"));
        w->close();
        return true;
    });
    window.findChild<QAction*>(QStringLiteral("mniOddsCalculator"))->trigger();
    EXPECT_EQ(edits, std::vector<std::string>({"49", "7", "8"}));
    EXPECT_EQ(rows, 8); // 0 to 7 correct, none negligible
    EXPECT_EQ(combined, "No correct numbers selected.");

    env.ChangeState(FINISHED);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
