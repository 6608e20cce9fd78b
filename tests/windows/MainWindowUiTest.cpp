// The main window on Qt's offscreen platform, answered by scripted dialogs:
// menus by the states a user reaches, the start question, pausing and
// resuming through the run button, the questions on closing, the options
// page, the active field list and the run state commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <memory>

#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "rules/MainWindowRules.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "widgets/DisplayFrame.h"
#include "widgets/QtDialogs.h"
#include "widgets/WindowPlacement.h"
#include "windows/Application.h"
#include "windows/DrawModifyF.h"
#include "windows/MainFrm.h"

namespace {

using qttest::EveryPass;

const char* const kStartQuestion = "A prediction is in memory.\n\rPress YES to clear it and perform a new run.\n\r"
                                   "Press NO to resume JUX scanning.\n\r";
const char* const kTerminateQuestion = "Do you want to terminate the scan?";

std::string WriteGame(const std::string& name, const TGameInfo& info, int draws)
{
    TDrawClass model(info);
    fixtures::FillDraws(model, info, draws);
    const std::string path = fixtures::TmpDir() + name;
    EXPECT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
    DeleteFile(ChangeFileExt(path, ".ini"));
    return path;
}

class MainWindowUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Nothing of an earlier test's settings is read.
        DeleteFile(TGameOptions::ProgramSettingsPath(objects.Environment().DataFolder));
        window.SetAutoLoadOnShow(false);
        window.show();
    }

    void TearDown() override
    {
        // Leave no run in memory for the destructors.
        if (env().RunState == STARTED)
            env().ChangeState(PAUSED);
        if (env().RunState == PAUSED)
            env().ChangeState(FINISHED);
    }

    TEnvironmentClass& env() { return objects.Environment(); }
    QAction* Action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    QPushButton* Button(const char* name) { return window.findChild<QPushButton*>(QString::fromLatin1(name)); }
    QLabel* Label(const char* name) { return window.findChild<QLabel*>(QString::fromLatin1(name)); }

    void Open(const std::string& path, int maxTables = 4)
    {
        env().OpenGame(path);
        ASSERT_TRUE(env().GameOpen());
        window.RefreshLotteryHeader();
        window.UpdateControls();
        env().Options().MaximumJUXsToScan = maxTables;
    }

    void OpenDefaultGame(int maxTables = 4) { Open(WriteGame("lotto.drw", fixtures::MakeGame(6, 49), 160), maxTables); }

    // The visible menu items, in the order of the menu table.
    std::vector<bool> Visibility()
    {
        std::vector<bool> v;
        for (const char* name : {"mniManageLottery", "mniSaveLottery", "mniCloseLottery", "mniLotteryDraws", "mniExit",
                                 "mniImportRunState", "mniExportRunState", "mniClearPrediction", "mniOddsCalculator"})
            v.push_back(Action(name)->isVisible());
        v.push_back(Button("btnFinalResults")->isEnabled());
        v.push_back(Button("btnOptions")->isEnabled());
        return v;
    }

    std::vector<bool> Expected(uint8_t state, bool modified = false)
    {
        const TMenuVisibility m = MenuVisibility(state, modified, true);
        return {m.ManageLotteries, m.SaveLottery,    m.CloseLottery,    m.LotteryDraws,   m.Exit,
                m.ImportRunState,  m.ExportRunState, m.ClearPrediction, m.OddsCalculator, m.FinalResultsEnabled,
                m.OptionsEnabled};
    }

    // `action` once the run has computed a table beyond `count`.
    void AfterTable(int32_t count, std::function<void()> action)
    {
        EveryPass(&window, [this, count, action] {
            if (env().RunState != STARTED || env().Engine().Context.TablesComputed <= count)
                return false;
            action();
            return true;
        });
    }

    // TablesComputed at every pass while STARTED, until the run ends.
    void RecordTables()
    {
        auto seen = std::make_shared<std::vector<int32_t>>();
        recorded_ = seen;
        EveryPass(&window, [this, seen] {
            if (env().RunState == STARTED)
                seen->push_back(env().Engine().Context.TablesComputed);
            return false;
        });
    }
    std::vector<int32_t> Recorded() const { return recorded_ ? *recorded_ : std::vector<int32_t>{}; }

    // The title of the modal window a click opens; the window is closed.
    std::string ModalOpenedBy(QPushButton* button)
    {
        auto opened = std::make_shared<QString>();
        EveryPass(&window, [opened] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return false;
            *opened = modal->windowTitle();
            modal->close();
            return true;
        });
        button->click();
        return opened->toStdString();
    }

    void RunToFinish()
    {
        Button("btnStart")->click();
        ASSERT_EQ(env().RunState, FINISHED);
    }

    TScriptedDialogs dialogs;
    TApplicationObjects objects;
    TfrmMain window{objects.Environment()};
    std::shared_ptr<std::vector<int32_t>> recorded_;
};

TEST_F(MainWindowUi, StartsWithoutALottery)
{
    EXPECT_EQ(env().RunState, STANDBY);
    EXPECT_EQ(Label("txtActiveLottery")->text(), "-");
    EXPECT_EQ(Label("txtActiveField")->text(), "-");
    EXPECT_EQ(Label("txtDraws")->text(), "-");
    EXPECT_EQ(Label("lblLastDraw")->text(), "");
    EXPECT_EQ(window.windowTitle(), "J.U.X. Engine 2.3b");
    EXPECT_EQ(Visibility(), Expected(STANDBY));
    EXPECT_TRUE(window.findChild<QMenu*>("mniLottery")->menuAction()->isEnabled());

    // With no lottery, the start button opens the lottery manager.
    EXPECT_EQ(ModalOpenedBy(Button("btnStart")), "Lottery Games Manager");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(env().RunState, STANDBY);
}

// A first start says where to begin, with a button that opens the manager;
// the line goes once a lottery is open.
TEST_F(MainWindowUi, FirstStartSaysWhereToBegin)
{
    EXPECT_TRUE(window.findChild<QWidget*>("pnlFirstStep")->isVisible());
    EXPECT_EQ(Label("lblFirstStep")->text(), "Open or create a lottery game to begin.");
    EXPECT_EQ(ModalOpenedBy(Button("btnFirstStep")), "Lottery Games Manager");

    OpenDefaultGame();
    EXPECT_FALSE(window.findChild<QWidget*>("pnlFirstStep")->isVisible());
    for (const uint8_t state : {LOADED, STARTED, PAUSED, FINISHED})
        EXPECT_TRUE(FirstStep(state, true).Text.empty()) << int(state);
    EXPECT_TRUE(FirstStep(PAUSED, false).Text.empty());
}

TEST(MainWindowStart, OpensTheRememberedGameOrNothing)
{
    TScriptedDialogs dialogs;
    const std::string game = WriteGame("remembered.drw", fixtures::MakeGame(6, 49), 150);
    {
        TApplicationObjects objects;
        objects.Options().AutoLoadDraw = game;
        objects.Options().SaveProgramSettings(objects.Environment().DataFolder);
        objects.Options().AutoLoadDraw.clear();
        TfrmMain window(objects.Environment());
        window.show();
        EXPECT_EQ(objects.Environment().RunState, LOADED);
        EXPECT_EQ(window.findChild<QLabel*>("txtActiveLottery")->text(), "Test Lotto");
        EXPECT_EQ(window.findChild<QLabel*>("txtActiveField")->text(), "Main numbers");
        EXPECT_EQ(window.findChild<QLabel*>("txtDraws")->text(), "100");
        EXPECT_TRUE(window.findChild<QLabel*>("lblLastDraw")->text().startsWith("Last draw in history : Draw #150"));
        // Quitting keeps the game for the next start.
        ASSERT_TRUE(window.close());
    }
    {
        TApplicationObjects objects;
        TfrmMain window(objects.Environment());
        window.show();
        EXPECT_EQ(objects.Environment().RunState, LOADED);
        EXPECT_EQ(objects.Options().AutoLoadDraw, game);
        ASSERT_TRUE(window.close());
    }
    // The game file has gone: the window opens with no lottery.
    DeleteFile(game);
    TApplicationObjects objects;
    TfrmMain window(objects.Environment());
    window.show();
    EXPECT_EQ(objects.Environment().RunState, STANDBY);
    EXPECT_EQ(window.findChild<QLabel*>("txtActiveLottery")->text(), "-");
    EXPECT_EQ(window.findChild<QLabel*>("txtDraws")->text(), "-");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainWindowUi, MenusFollowTheStatesReached)
{
    OpenDefaultGame(3);
    EXPECT_EQ(env().RunState, LOADED);
    EXPECT_EQ(Visibility(), Expected(LOADED));

    std::vector<bool> whileStarted, whilePaused;
    bool lotteryMenuPaused = true;
    AfterTable(0, [&] {
        whileStarted = Visibility();
        Button("btnStopCalculations")->click();
        whilePaused = Visibility();
        lotteryMenuPaused = window.findChild<QMenu*>("mniLottery")->menuAction()->isEnabled();
    });
    Button("btnStart")->click();
    EXPECT_EQ(whileStarted, Expected(STARTED));
    EXPECT_EQ(env().RunState, PAUSED);
    EXPECT_EQ(whilePaused, Expected(PAUSED));
    EXPECT_FALSE(lotteryMenuPaused);

    dialogs.Queue(TModalResult::Yes); // terminate the scan
    Button("btnStopCalculations")->click();
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(Visibility(), Expected(FINISHED));
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::MainActions);

    // "Final Results" shows the analysis page; the run button returns.
    Button("btnFinalResults")->click();
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::Analysis);
    Button("btnStopCalculations")->click();
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::MainActions);
}

TEST_F(MainWindowUi, PausedRunResumesWithTheNextTableAfterNo)
{
    OpenDefaultGame(5);
    int32_t atPause = 0;
    AfterTable(0, [&] {
        Button("btnStopCalculations")->click();
        atPause = env().Engine().Context.TablesComputed;
    });
    Button("btnStart")->click();
    ASSERT_EQ(env().RunState, PAUSED);
    ASSERT_GE(atPause, 1);
    ASSERT_LT(atPause, 5);
    EXPECT_EQ(env().Engine().Context.TablesComputed, atPause);

    RecordTables();
    dialogs.Queue(TModalResult::No);
    Button("btnStopCalculations")->click();
    EXPECT_EQ(dialogs.Texts().back(), kTerminateQuestion);
    ASSERT_FALSE(Recorded().empty());
    EXPECT_EQ(Recorded().front(), atPause + 1);
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(env().Engine().Context.TablesComputed, 5);
}

TEST_F(MainWindowUi, PanoramaStripFitsTheSmallestWindow)
{
    OpenDefaultGame(3);
    window.resize(window.minimumSize());
    RunToFinish();
    window.btnFinalResultsClick();
    QApplication::processEvents();

    // Left to right, each control of the strip whole and clear of the next.
    std::vector<QWidget*> strip;
    for (const char* name :
         {"btnPanoramaLess", "btnPanoramaMore", "lblReqNumbers", "lblPanoramaMode", "cbPanoramaDisplayType"}) {
        QWidget* w = window.findChild<QWidget*>(QString::fromLatin1("FrmJUXDisplay"))
                         ->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        strip.push_back(w);
    }
    for (QWidget* w : {strip[2], strip[3], strip[4]})
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
    for (size_t i = 1; i < strip.size(); ++i)
        EXPECT_LT(strip[i - 1]->geometry().right(), strip[i]->geometry().left());
    QWidget* frame = window.findChild<QWidget*>(QString::fromLatin1("FrmJUXDisplay"));
    EXPECT_LE(frame->minimumSizeHint().width(), frame->width());
}

TEST_F(MainWindowUi, StartQuestionInFinished)
{
    OpenDefaultGame(3);
    RunToFinish();
    EXPECT_EQ(env().Engine().Context.TablesComputed, 3);

    // Cancel: nothing happens.
    dialogs.Queue(TModalResult::Cancel);
    Button("btnStart")->click();
    EXPECT_EQ(dialogs.Texts().back(), kStartQuestion);
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(env().Engine().Context.TablesComputed, 3);

    // No: continue scanning, here with room for two more tables.
    env().Options().MaximumJUXsToScan = 5;
    dialogs.Queue(TModalResult::No);
    Button("btnStart")->click();
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(env().Engine().Context.TablesComputed, 5);

    // No at the maximum: back to FINISHED at once.
    dialogs.Queue(TModalResult::No);
    Button("btnStart")->click();
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(env().Engine().Context.TablesComputed, 5);

    // Yes: the prediction is cleared and a new run computes from table 1.
    dialogs.Queue(TModalResult::Yes);
    RecordTables();
    Button("btnStart")->click();
    const std::vector<int32_t> seen = Recorded();
    ASSERT_FALSE(seen.empty());
    EXPECT_LE(*std::min_element(seen.begin(), seen.end()), 1);
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(env().Engine().Context.TablesComputed, 5);
    EXPECT_EQ(dialogs.shown.size(), 4u);
}

TEST_F(MainWindowUi, RefusesToQuitDuringARun)
{
    OpenDefaultGame(4);
    bool closedWhileStarted = true;
    AfterTable(0, [&] {
        closedWhileStarted = window.close();
        Button("btnStopCalculations")->click();
    });
    Button("btnStart")->click();
    EXPECT_FALSE(closedWhileStarted);
    ASSERT_EQ(env().RunState, PAUSED);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(env().GameOpen());

    // FINISHED and No to clearing the prediction: still open.
    dialogs.Queue(TModalResult::Yes);
    Button("btnStopCalculations")->click();
    ASSERT_EQ(env().RunState, FINISHED);
    dialogs.Queue(TModalResult::No);
    EXPECT_FALSE(window.close());
    EXPECT_EQ(dialogs.Texts().back(), kPredictionInMemoryText);
    EXPECT_TRUE(window.isVisible());

    // Yes clears it, and the window closes with the game.
    dialogs.Queue(TModalResult::Yes);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(env().GameOpen());
}

TEST_F(MainWindowUi, ClearPredictionAndCloseLottery)
{
    OpenDefaultGame(2);
    RunToFinish();
    dialogs.Queue(TModalResult::No);
    Action("mniClearPrediction")->trigger();
    EXPECT_EQ(env().RunState, FINISHED);
    dialogs.Queue(TModalResult::Yes);
    Action("mniClearPrediction")->trigger();
    EXPECT_EQ(env().RunState, LOADED);

    RunToFinish();
    dialogs.Queue(TModalResult::No);
    Action("mniCloseLottery")->trigger();
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(Label("txtActiveLottery")->text(), "Test Lotto");

    dialogs.Queue(TModalResult::Yes);
    Action("mniCloseLottery")->trigger();
    EXPECT_EQ(env().RunState, STANDBY);
    EXPECT_EQ(Label("txtActiveLottery")->text(), "-");
    EXPECT_EQ(Label("txtActiveField")->text(), "-");
    EXPECT_TRUE(window.ActiveFieldsMenu().actions().isEmpty());
    EXPECT_TRUE(env().Options().AutoLoadDraw.empty());
    EXPECT_EQ(Visibility(), Expected(STANDBY));
}

TEST_F(MainWindowUi, ActiveFieldListOfAPowerBallGame)
{
    Open(WriteGame("power.drw", fixtures::MakeGame(5, 69, 1, 1, 1, 26), 150));
    QList<QAction*> items = window.ActiveFieldsMenu().actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), "popActiveFieldsItem1");
    EXPECT_EQ(items[1]->objectName(), "popActiveFieldsItem2");
    EXPECT_EQ(items[1]->text(), "Powerball");
    EXPECT_EQ(items[1]->data().toInt(), 2);
    EXPECT_EQ(Label("txtActiveField")->cursor().shape(), Qt::PointingHandCursor);

    items[1]->trigger();
    EXPECT_EQ(env().Options().FieldSelected, 2);
    EXPECT_EQ(Label("txtActiveField")->text(), "Powerball");

    // With a prediction in memory the change is asked; No keeps the field.
    RunToFinish();
    dialogs.Queue(TModalResult::No);
    items[0]->trigger();
    EXPECT_EQ(dialogs.Texts().back(), kPredictionInMemoryText);
    EXPECT_EQ(env().RunState, FINISHED);
    EXPECT_EQ(env().Options().FieldSelected, 2);
    EXPECT_EQ(Label("txtActiveField")->text(), "Main numbers");
    dialogs.Queue(TModalResult::Yes);
    items[0]->trigger();
    EXPECT_EQ(env().RunState, LOADED);
    EXPECT_EQ(env().Options().FieldSelected, 1);
}

TEST_F(MainWindowUi, OneFieldAndEmptyHistory)
{
    TGameInfo info = fixtures::MakeGame(6, 49);
    info.Name = "Empty Lotto";
    // The draws editor opens for the empty history; it is closed as soon as it shows.
    std::string editorTitle;
    EveryPass(&window, [&] {
        auto* editor = qobject_cast<TDrawModifyForm*>(QApplication::activeModalWidget());
        if (!editor)
            return false;
        editorTitle = editor->DisplayF()->Title();
        editor->close();
        return true;
    });
    Open(WriteGame("empty.drw", info, 0));
    EXPECT_EQ(window.ActiveFieldsMenu().actions().size(), 1);
    EXPECT_EQ(Label("txtActiveField")->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(editorTitle, "No history draws in file");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Label("lblLastDraw")->text(), "No draws in history");
}

TEST_F(MainWindowUi, OptionsPageAccept)
{
    Open(WriteGame("sixty.drw", fixtures::MakeGame(6, 49), 60));
    Button("btnOptions")->click();
    ASSERT_EQ(window.CurrentPage(), TfrmMain::TPage::Options);
    auto* testDraws = window.findChild<QComboBox*>("cbTotalTestDraws");
    auto* statData = window.findChild<QComboBox*>("cbMaxStatData");
    auto* startPoint = window.findChild<QLineEdit*>("edtStartPoint");
    ASSERT_EQ(testDraws->count(), 3);
    EXPECT_EQ(testDraws->itemText(2), "50");
    EXPECT_EQ(statData->count(), 4);
    EXPECT_EQ(window.findChild<QLabel*>("txtTotalDraws")->text(), "60");

    // A typed text that is not a number: the error, the page stays.
    testDraws->setEditText("ten");
    Button("btnOptionsAccept")->click();
    EXPECT_EQ(dialogs.Texts().back(), "A value has not been set correctly ('ten' is not a valid integer value)");
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::Options);
    EXPECT_EQ(env().Options().TotalTestDraws, 100);

    testDraws->setEditText("20");
    statData->setEditText("10");
    Button("btnResetStartPoint")->click();
    EXPECT_EQ(startPoint->text(), "40");
    startPoint->setText("30");
    emit startPoint->editingFinished();
    EXPECT_EQ(window.findChild<QLabel*>("lblStartPoint")->text(), "Draw history start point (Run factor overhead 10)");
    auto* threads = window.findChild<QSpinBox*>("edtAnalysisThreads");
    ASSERT_NE(threads, nullptr);
    EXPECT_EQ(threads->value(), 0);
    EXPECT_EQ(window.findChild<QLabel*>("lblAnalysisThreads")->text(), "Threads used by the analysis");
    threads->setValue(2);
    Button("btnOptionsAccept")->click();
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::MainActions);
    EXPECT_EQ(env().Options().AnalysisThreads, 2);
    EXPECT_EQ(env().Options().TotalTestDraws, 20);
    EXPECT_EQ(env().Options().MaxStatData, 10);
    EXPECT_EQ(env().Options().RunFactorOverhead, 10);
    EXPECT_EQ(Label("txtDraws")->text(), "20");
    EXPECT_EQ(Label("txtRF")->text(), "10");

    // In FINISHED, No to clearing the prediction keeps the page open.
    env().Options().MaximumJUXsToScan = 2;
    RunToFinish();
    Button("btnOptions")->click();
    dialogs.Queue(TModalResult::No);
    Button("btnOptionsAccept")->click();
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::Options);
    EXPECT_EQ(env().RunState, FINISHED);

    // Default, then Cancel: the defaults stay, nothing else changes.
    Button("btnOptionsDefault")->click();
    EXPECT_EQ(testDraws->currentText(), "100");
    Button("btnOptionsCancel")->click();
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::MainActions);
    EXPECT_EQ(env().RunState, FINISHED);
}

TEST_F(MainWindowUi, RunStateExportAndImport)
{
    const std::string stateFile = fixtures::TmpDir() + "run.jsf";
    DeleteFile(stateFile);
    std::string proposed;
    window.SetFileChooser([&](bool, const std::string& name) {
        proposed = name;
        return stateFile;
    });
    OpenDefaultGame(2);
    RunToFinish();
    Action("mniExportRunState")->trigger();
    EXPECT_EQ(proposed, "Test Lotto.jsf");
    ASSERT_TRUE(FileExists(stateFile));

    dialogs.Queue(TModalResult::Yes);
    Action("mniCloseLottery")->trigger();
    ASSERT_EQ(env().RunState, STANDBY);
    proposed.clear();
    Action("mniImportRunState")->trigger();
    EXPECT_EQ(proposed, "-.jsf");
    ASSERT_EQ(env().RunState, PAUSED);
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::Analysis);
    // A lottery from a run state has no game file: marked, never saved.
    EXPECT_EQ(Label("txtActiveLottery")->text(), "Test Lotto");
    EXPECT_EQ(Label("txtActiveLottery")->palette().color(QPalette::WindowText), QColor(96, 0, 144));
    EXPECT_TRUE(Label("txtActiveLottery")->font().italic());
    EXPECT_FALSE(Label("txtActiveLottery")->toolTip().isEmpty());
    env().Game().Draws->Modified = true;
    window.UpdateControls();
    EXPECT_FALSE(Action("mniSaveLottery")->isVisible());
    EXPECT_EQ(Visibility(), Expected(PAUSED, true));
}

// Saving a run shows a busy cursor and a progress window while it works, and
// both are gone before the success message.
TEST_F(MainWindowUi, RunStateExportShowsBusyCursorAndProgress)
{
    const std::string stateFile = fixtures::TmpDir() + "busy.jsf";
    window.SetFileChooser([&](bool, const std::string&) { return stateFile; });
    OpenDefaultGame(3);
    RunToFinish();
    bool sawBusy = false;
    int highest = -1;
    EveryPass(&window, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("dlgBusyProgress"));
        if (cursor && cursor->shape() == Qt::WaitCursor && progress && progress->isVisible()) {
            sawBusy = true;
            highest = std::max(highest, progress->value());
        }
        return false;
    });
    Action("mniExportRunState")->trigger();
    EXPECT_TRUE(sawBusy);
    EXPECT_GE(highest, 30);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window.findChild<QProgressDialog*>(QStringLiteral("dlgBusyProgress")), nullptr);
    EXPECT_EQ(dialogs.Texts().back(), "Saving state of " + stateFile + " has been successful.");
    EXPECT_TRUE(FileExists(stateFile));
}

TEST_F(MainWindowUi, SaveAndCloseAModifiedLottery)
{
    const std::string path = WriteGame("edited.drw", fixtures::MakeGame(6, 49), 150);
    Open(path);
    EXPECT_FALSE(Action("mniSaveLottery")->isVisible());
    TDrawClass& draws = *env().Game().Draws;
    draws.AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}}, draws.GetDraw(150)->Date + 1);
    ASSERT_TRUE(draws.Modified);
    window.UpdateControls();
    EXPECT_TRUE(Action("mniSaveLottery")->isVisible());
    EXPECT_TRUE(Label("lblLastDraw")->text().contains("Draw #151"));

    // No to closing over the changes keeps the lottery open.
    dialogs.Queue(TModalResult::No);
    Action("mniCloseLottery")->trigger();
    EXPECT_EQ(env().RunState, LOADED);
    EXPECT_NE(dialogs.Texts().back().find("has been modified."), std::string::npos);

    dialogs.Queue(TModalResult::Yes); // save the game file
    Action("mniSaveLottery")->trigger();
    EXPECT_FALSE(Action("mniSaveLottery")->isVisible());
    TGameIOInfo info = ReadGameInfo(path);
    EXPECT_EQ(info.Status, gioValid);
    EXPECT_EQ(info.DrawCount, 151u);
}

TEST_F(MainWindowUi, AboutWindowNamesTheProduct)
{
    QString shown;
    EveryPass(&window, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return false;
        for (QLabel* l : modal->findChildren<QLabel*>())
            shown += l->text() + "|";
        modal->close();
        return true;
    });
    Action("mniAbout")->trigger();
    EXPECT_TRUE(shown.contains("J.U.X. 2.3b|")) << shown.toStdString();
    // Each of the two numbers says what it is.
    EXPECT_TRUE(shown.contains(QString::fromStdString("|Program version " + std::string(kProductVersion) + "|")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString(AboutVersionsNote(kApplicationTitle, kProductVersion))))
        << shown.toStdString();
    EXPECT_NE(AboutVersionsNote("J.U.X. 2.3b", "2.3.0").find("J.U.X. 2.3b names the J.U.X. analysis"),
              std::string::npos);
}

// A window opens where it was left in the last run; nothing is kept without
// a file, and a damaged entry leaves the window as it was made.
TEST(WindowPlacement, WindowsOpenWhereTheyWereLeft)
{
    qttest::App();
    const std::string file = fixtures::TmpDir() + "windows.ini";
    DeleteFile(file);
    InstallPlacementFile("");
    {
        QDialog first;
        first.resize(300, 200);
        EXPECT_FALSE(SavePlacement(first, "Probe"));
    }
    InstallPlacementFile(file);
    {
        QDialog first;
        TrackPlacement(first, "Probe");
        first.resize(640, 430);
        first.show();
        QApplication::processEvents();
        first.hide(); // closing, accepting or rejecting all hide the window
    }
    ASSERT_TRUE(FileExists(file));
    {
        QDialog second;
        second.resize(300, 200);
        TrackPlacement(second, "Probe");
        EXPECT_EQ(second.size(), QSize(640, 430));
        QDialog other;
        other.resize(300, 200);
        EXPECT_FALSE(RestorePlacement(other, "Other"));
        EXPECT_EQ(other.size(), QSize(300, 200));
    }
    TIniFile ini(file);
    ini.WriteString("Windows", "Probe", "not a placement");
    ASSERT_TRUE(ini.UpdateFile());
    QDialog third;
    third.resize(300, 200);
    EXPECT_FALSE(RestorePlacement(third, "Probe"));
    EXPECT_EQ(third.size(), QSize(300, 200));
    InstallPlacementFile("");
}

TEST_F(MainWindowUi, HelpFileMissing)
{
    const std::string folder = fixtures::TmpDir() + "no-such-folder/";
    env().ProgramFolder = folder;
    Action("mniHelpFile")->trigger();
    std::string expected = std::string(kHelpFileError) + "\n\rThe guide was looked for at:";
    for (const std::string& candidate : HelpFileCandidates(folder))
        expected += "\n\r" + candidate;
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>({expected}));
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Error);
}

TEST(QtDialogs, EnterGivesTheSafeAnswerToQuestionsThatThrowAway)
{
    // The message boxes themselves, answered by the Enter key.
    struct Case {
        unsigned buttons;
        TModalResult enter;
    };
    const Case cases[] = {
        {dbYes | dbNo, TModalResult::Yes},
        {dbYes | dbNo | dbDefaultNo, TModalResult::No},
        {dbYes | dbNo | dbCancel | dbDefaultNo, TModalResult::No},
        {dbOK | dbCancel | dbDefaultNo, TModalResult::Cancel},
    };
    TQtDialogs qt;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        qttest::EveryPass(qApp, [] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return false;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &press);
            return true;
        });
        EXPECT_EQ(qt.ShowMessageDialog("Current lottery 'X' has been modified.\n\rDo you want to continue and "
                                       "discard any changes?",
                                       c.buttons, TDialogKind::Confirmation),
                  c.enter);
    }
}

TEST_F(MainWindowUi, DesktopCommandsNameWhatNothingOpened)
{
    std::vector<QUrl> asked;
    bool opens = false;
    window.SetUrlOpener([&](const QUrl& url) {
        asked.push_back(url);
        return opens;
    });
    // There is no product web page yet: its entry stays hidden.
    EXPECT_FALSE(Action("mniJUXOnline")->isVisible());
    EXPECT_TRUE(Action("mniApplicationDataFolder")->isVisible());

    // A folder named in UTF-8 ("hömé") reaches the desktop encoded once and
    // is named in the message as the user reads it.
    const std::string folder = fixtures::TmpDir() + "h\xC3\xB6m\xC3\xA9/";
    const std::string folderText = fixtures::TmpDir() + "h\xF6m\xE9/";
    ForceDirectories(folder);
    fixtures::WriteFile(folder + kHelpFileName, {'<', 'p', '>'});
    env().DataFolder = folder;
    env().ProgramFolder = folder;
    struct Case {
        const char* action;
        std::string message;
        std::string file;
    };
    const Case cases[] = {
        {"mniApplicationDataFolder", std::string(kNoFileManagerText) + "\n\r" + folderText, folder},
        {"mniHelpFile", std::string(kNoGuideViewerText) + "\n\r" + folderText + kHelpFileName, folder + kHelpFileName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        asked.clear();
        dialogs.shown.clear();
        opens = false;
        Action(c.action)->trigger();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].toLocalFile().toUtf8().toStdString(), c.file);
        EXPECT_TRUE(asked[0].toEncoded().contains("/h%C3%B6m%C3%A9/")) << asked[0].toEncoded().toStdString();
        ASSERT_EQ(dialogs.Texts(), std::vector<std::string>({c.message}));
        EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Error);
        // Opened by the desktop: nothing to say.
        opens = true;
        dialogs.shown.clear();
        Action(c.action)->trigger();
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
