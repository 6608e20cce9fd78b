// The draws editor on Qt's offscreen platform with scripted dialogs: adding,
// inserting, replacing and deleting with their questions, getting a draw by
// double click, random and clear, saving, the close reminder, the export
// with its replace question and write failure, the grid's paste, and a
// 100,000-draw list that pages and sorts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "data/DrawsExport.h"
#include "data/GameFile.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "models/Clipboard.h"
#include "platform/Paths.h"
#include "support/GameFixtures.h"
#include "support/ScriptedDialogs.h"
#include "widgets/DisplayFrame.h"
#include "widgets/NaviButtonFrame.h"
#include "widgets/NumberFrame.h"
#include "windows/Application.h"
#include "windows/DrawModifyF.h"
#include "windows/ShellHooks.h"

namespace {

class DrawModifyUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDateSettings(0, "/");
        InstallSaveLotteryHook([this] { SaveGameFile(env().Game()); });
    }
    void TearDown() override
    {
        InstallSaveLotteryHook(nullptr);
        dialogs.defaultAnswer = TModalResult::Yes;
        env().CloseGame();
    }

    TEnvironmentClass& env() { return objects.Environment(); }

    std::string Open(const std::string& name, const TGameInfo& info, int draws)
    {
        TDrawClass model(info);
        fixtures::FillDraws(model, info, draws);
        const std::string path = fixtures::TmpDir() + name;
        EXPECT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
        DeleteFile(ChangeFileExt(path, ".ini"));
        env().OpenGame(path);
        EXPECT_TRUE(env().GameOpen());
        return path;
    }

    static QPushButton* Button(QWidget& form, const char* name)
    {
        auto* b = form.findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    static void Pick(TDrawModifyForm& form, std::initializer_list<int> numbers)
    {
        for (int n : numbers)
            form.NumbersFrame()->Button(n)->click();
    }
    static void DoubleClickRow(TDrawModifyForm& form, int32_t key)
    {
        form.DisplayF()->SelectByKey(key);
        QTreeWidget* view = form.DisplayF()->ListView();
        ASSERT_NE(view->currentItem(), nullptr);
        emit view->itemDoubleClicked(view->currentItem(), 1);
    }
    TDrawClass& draws() { return *env().Game().Draws; }

    TScriptedDialogs dialogs;
    TApplicationObjects objects;
};

} // namespace

TEST_F(DrawModifyUi, AddInsertSaveAndTheCloseReminder)
{
    TGameInfo g = fixtures::MakeGame(6, 49, 1);
    g.Name = "Day Lotto";
    const std::string path = Open("day.drw", g, 3);
    {
        TDrawModifyForm form(env());
        form.show();
        ASSERT_TRUE(form.Created());
        EXPECT_EQ(form.findChild<QLabel*>("lblTitle")->text(), "Day Lotto");
        EXPECT_EQ(form.DisplayF()->Title(), "Viewing draws 1 - 3 of total 3");
        EXPECT_EQ(form.DisplayF()->SelectedKey(), 3);
        EXPECT_FALSE(form.FieldUD()->isVisible());
        EXPECT_FALSE(form.IndexSE()->isVisible());
        EXPECT_EQ(form.FieldLabel()->text(), "Main numbers");
        EXPECT_FALSE(Button(form, "AddB")->isEnabled());
        EXPECT_FALSE(Button(form, "btnSave")->isEnabled());

        form.Calendar()->setSelectedDate(QDate(2030, 1, 1));
        Pick(form, {40, 3, 17, 8, 22});
        EXPECT_FALSE(Button(form, "AddB")->isEnabled());
        EXPECT_EQ(form.NumbersFrame()->Button(1)->toolTip(), "1 number(s) remaining to complete selection");
        Pick(form, {1});
        EXPECT_EQ(form.NumbersFrame()->Button(1)->toolTip(), "Numbers selection completed");
        ASSERT_TRUE(Button(form, "AddB")->isEnabled());
        // A day after today is asked about; No (the default) adds nothing.
        Button(form, "AddB")->click();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text,
                  "The date of this draw, 01/01/2030, lies after today.\n\rDo you want to enter it anyway?");
        EXPECT_EQ(dialogs.shown[0].buttons, dbYes | dbNo | dbDefaultNo);
        EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Warning);
        EXPECT_EQ(draws().DrawCount(), 3);
        dialogs.Queue(TModalResult::Yes);
        Button(form, "AddB")->click();
        ASSERT_EQ(draws().DrawCount(), 4);
        EXPECT_EQ(draws().GetDraw(4)->Numbers[0], TShortIntArray({1, 3, 8, 17, 22, 40}));
        EXPECT_EQ(form.DisplayF()->SelectedKey(), 4);
        // The picks stay for the next draw; the day is taken now.
        EXPECT_EQ(form.NumbersFrame()->SelectedCount(), 6);
        EXPECT_FALSE(Button(form, "AddB")->isEnabled());
        EXPECT_FALSE(Button(form, "InsertB")->isEnabled());
        EXPECT_TRUE(Button(form, "ReplaceB")->isEnabled());
        EXPECT_TRUE(Button(form, "btnSave")->isEnabled());
        form.Calendar()->setSelectedDate(QDate(2029, 6, 1));
        ASSERT_TRUE(Button(form, "InsertB")->isEnabled());
        dialogs.Queue(TModalResult::Yes); // after today, too
        Button(form, "InsertB")->click();
        EXPECT_EQ(draws().DrawCount(), 5);
        EXPECT_EQ(form.DisplayF()->SelectedKey(), 4);
        EXPECT_EQ(form.DisplayF()->Title(), "Viewing draws 1 - 5 of total 5");

        dialogs.Queue(TModalResult::Yes); // "Do you really want to save current game file?"
        Button(form, "btnSave")->click();
        EXPECT_FALSE(draws().Modified);
        EXPECT_FALSE(Button(form, "btnSave")->isEnabled());
        EXPECT_EQ(ReadGameInfo(path).DrawCount, 5u);
        dialogs.shown.clear();
        form.close();
        // Saved: nothing to remind of.
        EXPECT_TRUE(dialogs.shown.empty());
    }
    {
        TDrawModifyForm form(env());
        form.show();
        form.DisplayF()->SelectByKey(1);
        dialogs.Queue(TModalResult::Yes);
        Button(form, "DeleteB")->click();
        EXPECT_EQ(draws().DrawCount(), 4);
        dialogs.shown.clear();
        // Cancel on the reminder goes back to the editor; OK closes it.
        dialogs.Queue(TModalResult::Cancel);
        Button(form, "CloseB")->click();
        EXPECT_TRUE(form.isVisible());
        Button(form, "CloseB")->click();
        EXPECT_FALSE(form.isVisible());
        ASSERT_EQ(dialogs.Texts().size(), 2u);
        EXPECT_EQ(dialogs.Texts()[0], "Current lottery game 'Day Lotto' has been modified.\n\r"
                                      "Please remember to save the draws history file.");
        EXPECT_EQ(dialogs.Texts()[1], dialogs.Texts()[0]);
        EXPECT_EQ(dialogs.shown[0].buttons, dbOK | dbCancel);
    }
    {
        // Escape leaves the same way, once.
        draws().Modified = false;
        TDrawModifyForm form(env());
        form.show();
        form.DisplayF()->SelectByKey(1);
        dialogs.Queue(TModalResult::Yes);
        Button(form, "DeleteB")->click();
        dialogs.shown.clear();
        form.reject();
        form.close();
        EXPECT_EQ(dialogs.Texts().size(), 1u);
    }
    {
        // A game that came from a run state file has no file to save into.
        env().Game().FilePath.clear();
        draws().Modified = false;
        TDrawModifyForm form(env());
        form.show();
        form.DisplayF()->SelectByKey(1);
        dialogs.Queue(TModalResult::Yes);
        Button(form, "DeleteB")->click();
        EXPECT_TRUE(draws().Modified);
        EXPECT_FALSE(Button(form, "btnSave")->isEnabled());
        dialogs.shown.clear();
        form.close();
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

TEST_F(DrawModifyUi, GetReplaceDeleteRandomAndClearOnABonusGame)
{
    TGameInfo g = fixtures::MakeGame(6, 49, 0, 2, 1);
    Open("bonus.drw", g, 5);
    TDrawModifyForm form(env());
    form.SetRandomSeed(3);
    form.show();
    EXPECT_TRUE(form.FieldUD()->isVisible());
    EXPECT_FALSE(form.FieldUD()->isEnabled());
    EXPECT_FALSE(form.Calendar()->isVisible());

    DoubleClickRow(form, 2);
    const TDraw stored = *draws().GetDraw(2);
    EXPECT_EQ(form.Editor().Work(), stored.Numbers);
    EXPECT_EQ(form.NumbersFrame()->SelectedCount(), 6);
    ASSERT_TRUE(form.FieldUD()->isEnabled());
    form.FieldUD()->setValue(2);
    EXPECT_EQ(form.FieldLabel()->text(), "Bonus ball");
    for (int8_t ball : stored.Numbers[0]) {
        EXPECT_FALSE(form.NumbersFrame()->Button(ball)->isEnabled());
        EXPECT_EQ(form.NumbersFrame()->Button(ball)->text(), "-");
    }
    const int bonus = stored.Numbers[1][0];
    EXPECT_EQ(form.NumbersFrame()->NumberState(bonus), 1);
    EXPECT_TRUE(Button(form, "ReplaceB")->isEnabled());

    // A new bonus ball: refused at the question first, then accepted.
    int other = 1;
    while (other == bonus || !form.NumbersFrame()->Button(other)->isEnabled())
        ++other;
    Pick(form, {bonus, other});
    dialogs.Queue(TModalResult::No);
    Button(form, "ReplaceB")->click();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text.rfind(
                  "Do you want to replace draw\n\r" + draws().DrawToText(2) + "\n\rwith draw\n\r", 0),
              0u);
    EXPECT_EQ(draws().GetDraw(2)->Numbers[1][0], bonus);
    dialogs.Queue(TModalResult::Yes);
    Button(form, "ReplaceB")->click();
    EXPECT_EQ(draws().GetDraw(2)->Numbers[1][0], other);
    EXPECT_EQ(form.DisplayF()->SelectedKey(), 2);

    // Delete: No keeps the draw, Yes removes it and selects the same position.
    dialogs.Queue(TModalResult::No);
    Button(form, "DeleteB")->click();
    EXPECT_EQ(dialogs.shown.back().text, "Do you want to delete\n\r" + draws().DrawToText(2) + "?");
    EXPECT_EQ(draws().DrawCount(), 5);
    dialogs.Queue(TModalResult::Yes);
    Button(form, "DeleteB")->click();
    EXPECT_EQ(draws().DrawCount(), 4);
    EXPECT_EQ(form.DisplayF()->SelectedKey(), 2);
    form.DisplayF()->SelectByKey(4);
    dialogs.Queue(TModalResult::Yes);
    Button(form, "DeleteB")->click();
    EXPECT_EQ(form.DisplayF()->SelectedKey(), 3);

    Button(form, "RandomB")->click();
    TArrayOfShortIntArray main = form.Editor().Work();
    EXPECT_TRUE(CheckNumbersFor(main, 1, g.Fields, 0));
    EXPECT_EQ(form.NumbersFrame()->SelectedCount(), form.Editor().ActiveField() == 1 ? 6 : 1);

    Button(form, "ClearB")->click();
    EXPECT_EQ(form.Editor().ActiveField(), 1);
    EXPECT_EQ(form.Editor().Work()[0], TShortIntArray(6, -1));
    EXPECT_EQ(form.NumbersFrame()->SelectedCount(), 0);
    EXPECT_FALSE(form.FieldUD()->isEnabled());

    // Copy and paste through the grid's menu; a hostile clipboard text picks
    // only what fits.
    Pick(form, {3, 17, 41});
    TStringClipboard clipboard;
    InstallClipboard(&clipboard);
    form.NumbersFrame()->PopupMenuPopup();
    EXPECT_TRUE(form.NumbersFrame()->CopyNumbersItem()->isEnabled());
    form.NumbersFrame()->CopyNumbersItem()->trigger();
    EXPECT_EQ(clipboard.Text, "03 17 41");
    InstallClipboard(nullptr);
    Button(form, "ClearB")->click();
    QApplication::clipboard()->setText(QString(1000000, QChar('-')) + " 256 -12, 300; 5");
    form.NumbersFrame()->PopupMenuPopup();
    ASSERT_TRUE(form.NumbersFrame()->PasteNumbersItem()->isEnabled());
    form.NumbersFrame()->PasteNumbersItem()->trigger();
    EXPECT_EQ(form.Editor().Work()[0], TShortIntArray({5, 12, -1, -1, -1, -1}));
    QApplication::clipboard()->setText("no numbers");
    form.NumbersFrame()->PopupMenuPopup();
    EXPECT_FALSE(form.NumbersFrame()->PasteNumbersItem()->isEnabled());

    // Delete everything, then once more on the empty list.
    while (draws().DrawCount() > 0) {
        form.DisplayF()->SelectByKey(1);
        dialogs.Queue(TModalResult::Yes);
        Button(form, "DeleteB")->click();
    }
    EXPECT_EQ(form.DisplayF()->Title(), "No history draws in file");
    dialogs.shown.clear();
    Button(form, "DeleteB")->click();
    Button(form, "ReplaceB")->click();
    Button(form, "GetB")->click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(draws().DrawCount(), 0);
}

TEST_F(DrawModifyUi, ExportReplacesOnlyWhenAskedAndReportsFailures)
{
    TGameInfo g = fixtures::MakeGame(6, 49, 2);
    g.Name = "Twice";
    Open("twice.drw", g, 0);
    TDrawModifyForm form(env());
    std::string chosen;
    form.SetExportChooser([&] { return chosen; });
    form.findChild<QAction*>("ExportDrawsItem")->trigger();
    EXPECT_EQ(dialogs.shown.back().text, "No draws history to export.");
    EXPECT_FALSE(form.findChild<QAction*>("ExportDrawsOptionsItem")->isVisible());
    EXPECT_FALSE(form.findChild<QAction*>("MissingDrawsItem")->isVisible());
    env().CloseGame();

    Open("twice.drw", g, 13);
    TDrawModifyForm full(env());
    full.SetExportChooser([&] { return chosen; });
    const std::string dir = fixtures::TmpDir();
    chosen = dir + "export.dat";
    DeleteFile(dir + "export.txt");
    full.ExportDrawsItemClick();
    EXPECT_EQ(dialogs.shown.back().text, "File export.txt exported successfully.");
    fixtures::Bytes bytes;
    ASSERT_TRUE(fixtures::ReadFile(dir + "export.txt", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), DrawsExportText(draws(), "Twice"));

    ASSERT_TRUE(fixtures::WriteFile(dir + "export.txt", {'o', 'l', 'd'}));
    dialogs.shown.clear();
    dialogs.Queue(TModalResult::No);
    full.ExportDrawsItemClick();
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0], dir + "export.txt already exists.\n\rDo you want to replace it?");
    ASSERT_TRUE(fixtures::ReadFile(dir + "export.txt", bytes));
    EXPECT_EQ(bytes.size(), 3u);
    dialogs.Queue(TModalResult::Yes);
    full.ExportDrawsItemClick();
    EXPECT_EQ(dialogs.shown.back().text, "File export.txt exported successfully.");

    chosen = "";
    dialogs.shown.clear();
    full.ExportDrawsItemClick();
    EXPECT_TRUE(dialogs.shown.empty());

    const std::string locked = dir + "locked/";
    ForceDirectories(locked);
    chmod(locked.c_str(), 0500);
    if (geteuid() != 0) {
        chosen = locked + "export.txt";
        full.ExportDrawsItemClick();
        EXPECT_EQ(dialogs.shown.back().text, "An error occured while saving \n\r" + locked + "export.txt");
        EXPECT_FALSE(FileExists(locked + "export.txt"));
    }
    chmod(locked.c_str(), 0700);

    // A folder named in UTF-8 is written as it is, and named right in the messages.
    const std::string home = dir + "h\xC3\xB6m\xC3\xA9/";
    ForceDirectories(home);
    chosen = home + "export";
    DeleteFile(home + "export.txt");
    full.ExportDrawsItemClick();
    EXPECT_EQ(dialogs.shown.back().text, "File export.txt exported successfully.");
    EXPECT_TRUE(FileExists(home + "export.txt"));
    dialogs.Queue(TModalResult::No);
    full.ExportDrawsItemClick();
    EXPECT_EQ(dialogs.shown.back().text, dir + "h\xF6m\xE9/export.txt already exists.\n\rDo you want to replace it?");
    EXPECT_EQ(dialogs.shown.back().buttons, dbYes | dbNo | dbDefaultNo);
}

// At its smallest the window still shows everything apart: the calendar
// below the grid with its day names whole, every button inside the left
// panel. A page starts at its first row; Get and Delete need a selected draw.
TEST_F(DrawModifyUi, AtItsSmallestNothingOverlapsAndPagesStartAtTheTop)
{
    Open("small.drw", fixtures::MakeGame(6, 49, 2), 250);
    TDrawModifyForm form(env());
    form.show();
    form.resize(1, 1);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), form.minimumSize());
    EXPECT_GE(form.minimumWidth(), 523 - 8);
    auto rectIn = [&form](QWidget* w) { return QRect(w->mapTo(&form, QPoint(0, 0)), w->size()); };
    const QRect grid = rectIn(form.NumbersFrame());
    const QRect calendar = rectIn(form.Calendar());
    const QRect list = rectIn(form.DisplayF());
    EXPECT_LE(grid.bottom(), calendar.top());
    EXPECT_LE(rectIn(form.IndexSE()).right(), list.left());
    for (const char* name : {"GetB", "DeleteB", "ClearB", "CloseB"}) {
        const QRect button = rectIn(Button(form, name));
        EXPECT_TRUE(form.rect().contains(button)) << name;
        EXPECT_LE(button.right(), list.left()) << name;
        EXPECT_GE(button.top(), calendar.bottom()) << name;
    }
    auto* days = form.Calendar()->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(days, nullptr);
    const QFontMetrics metrics(days->font());
    int shown = 0;
    for (int c = 0; c < days->model()->columnCount(); ++c) {
        if (days->isColumnHidden(c) || days->columnWidth(c) == 0)
            continue;
        const QString name = days->model()->index(0, c).data().toString();
        EXPECT_LT(metrics.horizontalAdvance(name), days->columnWidth(c)) << name.toStdString();
        ++shown;
    }
    EXPECT_EQ(shown, 7);

    TDisplayF& display = *form.DisplayF();
    ASSERT_EQ(display.Navi()->Page(), 3);
    display.Navi()->FirstButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(display.Title(), "Viewing draws 1 - 100 of total 250");
    EXPECT_EQ(display.ListView()->verticalScrollBar()->value(), 0);
    const QModelIndex top = display.ListView()->indexAt(QPoint(4, 4));
    ASSERT_TRUE(top.isValid());
    EXPECT_EQ(top.row(), 0);

    display.ListView()->clearSelection();
    EXPECT_FALSE(Button(form, "GetB")->isEnabled());
    EXPECT_FALSE(Button(form, "DeleteB")->isEnabled());
    display.SelectByKey(7);
    EXPECT_TRUE(Button(form, "GetB")->isEnabled());
    EXPECT_TRUE(Button(form, "DeleteB")->isEnabled());
}

TEST_F(DrawModifyUi, HundredThousandDrawsPageAndSort)
{
    Open("large.drw", fixtures::MakeGame(6, 49, 0), 100000);
    TDrawModifyForm form(env());
    form.show();
    TDisplayF& list = *form.DisplayF();
    EXPECT_EQ(list.Title(), "Viewing draws 99901 - 100000 of total 100000");
    EXPECT_EQ(list.Navi()->PageCount(), 1000);
    EXPECT_EQ(list.Navi()->Page(), 1000);
    EXPECT_EQ(list.ListView()->topLevelItemCount(), 100);
    list.Navi()->FirstButton()->click();
    EXPECT_EQ(list.Title(), "Viewing draws 1 - 100 of total 100000");
    EXPECT_FALSE(list.Navi()->PreviousButton()->isEnabled());
    list.Navi()->NextButton()->click();
    EXPECT_EQ(list.Title(), "Viewing draws 101 - 200 of total 100000");
    EXPECT_EQ(list.Navi()->ScrollBar()->pageStep(), 10);

    QHeaderView* header = list.ListView()->header();
    emit header->sectionClicked(1); // "Draw #"
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    emit header->sectionClicked(1);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    list.Navi()->FirstButton()->click();
    EXPECT_EQ(list.ListView()->topLevelItem(0)->text(1), "100000");
    EXPECT_EQ(list.Title(), "Viewing draws 99901 - 100000 of total 100000");
}

// Records the history refuses are named when the game opens, before the
// editor (or anything else) can save over them.
TEST_F(DrawModifyUi, OpeningSaysWhichRecordsWereLeftOut)
{
    TGameInfo g = fixtures::MakeGame(6, 49, 1);
    TDrawClass model(g);
    fixtures::FillDraws(model, g, 5);
    fixtures::Bytes b = fixtures::BuildImage(g, model);
    const size_t at = fixtures::Le32(b, 8);
    std::copy(b.begin() + at, b.begin() + at + 5, b.begin() + at + 9);
    b[at + 2 * 9 + 4] = 0; // index 0 in a dated game
    fixtures::FixChecksum(b);
    const std::string path = fixtures::TmpDir() + "left-out.drw";
    ASSERT_TRUE(fixtures::WriteFile(path, b));
    dialogs.shown.clear();
    env().OpenGame(path);
    ASSERT_TRUE(env().GameOpen());
    EXPECT_EQ(draws().DrawCount(), 3);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Warning);
    EXPECT_EQ(dialogs.shown[0].text, "2 of the 5 draw records in the game file were not loaded:\n\r"
                                     "1 repeat the date and index of another draw\n\r1 have no valid date or index\n\r"
                                     "Saving the game file will leave them out.");
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
