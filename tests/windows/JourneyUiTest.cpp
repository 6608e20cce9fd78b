// The everyday journey of a new user, scripted on Qt's offscreen platform in
// a home folder whose name is not ASCII: the start button opens the manager,
// the wizard creates a game (refusing a name the file cannot hold), the draws
// editor imports a real history and adds a draw, the run starts, pauses and
// shows a table, the run state is exported through the save dialog, and the
// lottery is closed. Each window is driven as a user drives it, from the
// event loop of the modal window above it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "models/PanoramaModel.h"
#include "platform/Paths.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "widgets/DisplayFrame.h"
#include "widgets/JUXDisplayFrame.h"
#include "widgets/JUXTableUi.h"
#include "widgets/NumberFrame.h"
#include "widgets/PathsUi.h"
#include "windows/Application.h"
#include "windows/CreateLotteryFrm.h"
#include "windows/DrawModifyF.h"
#include "windows/ImportDrawF.h"
#include "windows/LotteryManagerFrm.h"
#include "windows/MainFrm.h"

namespace fs = std::filesystem;
using qttest::Child;

namespace {

// "hömé" as the file system spells it, and as the core's texts (Windows-1252) do.
const std::string kHomeBytes = "h\xC3\xB6m\xC3\xA9";
const std::string kHomeText = "h\xF6m\xE9";

const fs::path kSample = fs::path(JUX_TESTS_DIR) / "data" / "import-cases" / "real-pl-lotto" / "input.txt";

// A fresh data folder under the non-ASCII home, made before the environment reads it.
std::string FreshHome()
{
    const std::string home = fixtures::TmpDir() + kHomeBytes + "/";
    std::error_code ec;
    fs::remove_all(home, ec);
    fs::create_directories(home);
    setenv("JUX_DATA_HOME", (home + "data").c_str(), 1);
    return home;
}

// A click that opens a modal window must not run inside the timer that
// drives the windows: that timer would not fire again until it returned.
void ClickLater(QPushButton* button) { QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection); }

bool Has(const std::vector<std::string>& texts, const std::string& part)
{
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(Journey, FromAnEmptyHomeToAnExportedRun)
{
    qttest::App("journey_test");
    InitLocaleSettings(); // as the program does at start: dd/mm/yyyy in the tests' locale
    const std::string home = FreshHome();
    const std::string sample = home + "Lotto history.txt";
    fs::copy_file(kSample, sample);

    TScriptedDialogs dialogs;
    TApplicationObjects objects;
    TEnvironmentClass& env = objects.Environment();
    ASSERT_EQ(env.DataFolder, home + "data/JUX Engine/");
    TfrmMain window(env);
    window.show();
    QApplication::processEvents();

    // --- Manager, wizard, editor and import, each over the one before ----------
    std::set<QWidget*> done;
    std::vector<std::string> wizardErrors;
    int importedShown = 0;
    bool importAsked = false, importDone = false, importSettled = false;
    qttest::EveryPass(&window, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || done.count(modal))
            return false;
        if (auto* manager = qobject_cast<TfrmLotteryManager*>(modal)) {
            done.insert(manager);
            Child<QRadioButton>(manager, "rbCreate")->click();
            ClickLater(Child<QPushButton>(manager, "btnNext")); // the wizard, modal over it
            return false;
        }
        if (auto* wizard = qobject_cast<TfrmCreateLottery*>(modal)) {
            done.insert(wizard);
            Child<QComboBox>(wizard, "cbGameType")->setCurrentIndex(0); // Lotto 6/49
            Child<QPushButton>(wizard, "btnNext")->click();
            auto* name = Child<QLineEdit>(wizard, "edtGameName");
            // A name the game file cannot hold is refused, the character named.
            name->setText(QString::fromUtf8("Łódź"));
            Child<QPushButton>(wizard, "btnNext")->click();
            wizardErrors = dialogs.Texts();
            EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
            EXPECT_EQ(name->selectedText(), QString::fromUtf8("Ł"));
            name->setText(QString::fromUtf8("Loto Été"));
            Child<QPushButton>(wizard, "btnNext")->click();
            Child<QComboBox>(wizard, "cbDPD")->setCurrentIndex(1); // one draw a day
            Child<QPushButton>(wizard, "btnNext")->click();        // "Create"
            return false;
        }
        if (auto* editor = qobject_cast<TDrawModifyForm*>(modal)) {
            // The import comes first, then this editor again.
            if (!importAsked) {
                importAsked = true;
                ClickLater(Child<QPushButton>(editor, "ImportB"));
                return false;
            }
            if (!importDone)
                return false;
            // One more pass: the editor takes the imported draws once the import window has returned.
            if (!importSettled) {
                importSettled = true;
                return false;
            }
            done.insert(editor);
            // The list shows what the import brought, not the empty history it opened on.
            EXPECT_EQ(editor->DisplayF()->Title().rfind("Viewing draws ", 0), 0u) << editor->DisplayF()->Title();
            EXPECT_NE(editor->DisplayF()->Title().find(" of total 396"), std::string::npos)
                << editor->DisplayF()->Title();
            // A Tuesday in a history drawn on Sundays is asked about; No keeps it out.
            editor->Calendar()->setSelectedDate(QDate(1968, 7, 16));
            for (int n : {3, 9, 15, 27, 33, 41})
                editor->NumbersFrame()->Button(n)->click();
            dialogs.Queue(TModalResult::No);
            Child<QPushButton>(editor, "AddB")->click();
            EXPECT_EQ(objects.Game().Draws->DrawCount(), 396);
            // The next Sunday goes in without a question.
            editor->Calendar()->setSelectedDate(QDate(1968, 7, 21));
            Child<QPushButton>(editor, "AddB")->click();
            EXPECT_EQ(objects.Game().Draws->DrawCount(), 397);
            dialogs.Queue(TModalResult::Yes); // "Do you really want to save current game file?"
            Child<QPushButton>(editor, "btnSave")->click();
            Child<QPushButton>(editor, "CloseB")->click();
            return false;
        }
        if (auto* import = qobject_cast<TImportDrawsForm*>(modal)) {
            done.insert(import);
            import->FileE->setText(PathToQt(sample));
            emit import->FileE->returnPressed();
            EXPECT_TRUE(import->btnImport->isEnabled());
            import->btnImport->click();
            importedShown = static_cast<int>(dialogs.shown.size());
            importDone = true;
            import->btnClose->click();
            return false;
        }
        return false;
    });
    Child<QPushButton>(&window, "btnStart")->click(); // no game yet: the manager
    ASSERT_TRUE(env.GameOpen());

    EXPECT_TRUE(Has(wizardErrors, "The game name cannot hold its character 1 (U+0141).")) << wizardErrors.size();
    EXPECT_GT(importedShown, 0);
    EXPECT_TRUE(Has(dialogs.Texts(), "Imported 396 draws."));
    EXPECT_TRUE(Has(dialogs.Texts(), "16/07/1968 is a Tuesday.")) << ::testing::PrintToString(dialogs.Texts());

    // The game file is named in UTF-8; the name inside stays Windows-1252.
    const std::string gameFile = TLocalGamesClass::GamesFolder(env.DataFolder) + "Loto \xC3\x89t\xC3\xA9.drw";
    EXPECT_EQ(objects.Game().FilePath, gameFile);
    EXPECT_EQ(objects.Game().Info.Name, "Loto \xC9t\xE9");
    const TGameIOInfo onDisk = ReadGameInfo(gameFile);
    EXPECT_EQ(onDisk.Status, gioValid);
    EXPECT_EQ(onDisk.DrawCount, 397u);
    EXPECT_EQ(Child<QLabel>(&window, "txtActiveLottery")->text(), QString::fromUtf8("Loto Été"));

    // --- The options follow the history: a run starts as after a restart -------
    EXPECT_EQ(env.Options().StartPoint, 297);
    EXPECT_EQ(Child<QLabel>(&window, "txtRF")->text(), "0");
    EXPECT_EQ(Child<QLabel>(&window, "txtDraws")->text(), "100");
    // The options page shows the same, and accepting it changes nothing.
    Child<QPushButton>(&window, "btnOptions")->click();
    ASSERT_EQ(window.CurrentPage(), TfrmMain::TPage::Options);
    EXPECT_EQ(Child<QLineEdit>(&window, "edtStartPoint")->text(), "297");
    EXPECT_EQ(Child<QLabel>(&window, "lblStartPoint")->text(), "Draw history start point (Run factor overhead 0)");
    dialogs.shown.clear();
    Child<QPushButton>(&window, "btnOptionsAccept")->click();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front().text;
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::MainActions);

    auto* frame = qobject_cast<TFrmJUXDisplay*>(window.Display().Widget);
    ASSERT_NE(frame, nullptr);
    dialogs.shown.clear();
    qttest::EveryPass(&window, [&] {
        if (env.RunState != STARTED || env.Engine().Context.TablesComputed < 30)
            return false;
        Child<QPushButton>(frame, "btnStopCalculations")->click(); // "Pause"
        return true;
    });
    Child<QPushButton>(&window, "btnStart")->click();
    ASSERT_EQ(env.RunState, PAUSED) << (dialogs.shown.empty() ? "" : dialogs.shown.front().text);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(window.CurrentPage(), TfrmMain::TPage::Analysis);

    // --- A table of the panorama, as a double click opens it -------------------
    const int32_t best = CellID(frame->Panorama(), 1, TPanoramaGrid::kFixedRows);
    ASSERT_GT(best, 0);
    EXPECT_TRUE(frame->OpenCell(1, TPanoramaGrid::kFixedRows));
    EXPECT_EQ(frame->CurrentJUX(), best);
    EXPECT_EQ(Child<QTabWidget>(frame, "pgDisplay")->currentWidget(), Child<QWidget>(frame, "tabJUXTable"));
    EXPECT_TRUE(frame->TablePanel()->ContentShown());
    qttest::Snap(window, "journey-table");

    // --- Export Run State: "myrun" typed over an existing "myrun.jsf" ----------
    // The file there is an earlier save of a run: a save never replaces other data.
    const std::string runFile = home + "myrun.jsf";
    env.ExportRunState(runFile);
    dialogs.shown.clear();
    struct stat earlier {};
    ASSERT_EQ(::stat(runFile.c_str(), &earlier), 0);
    bool askedToReplace = false;
    qttest::EveryPass(&window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return false;
        dialog->setDirectory(PathToQt(home));
        dialog->selectFile(QStringLiteral("myrun"));
        // The dialog's own question about the existing file is answered Yes.
        qttest::EveryPass(dialog, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return false;
            askedToReplace = box->text().contains(QStringLiteral("myrun.jsf"));
            box->button(QMessageBox::Yes)->click();
            return true;
        });
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    window.findChild<QAction*>("mniExportRunState")->trigger();
    EXPECT_TRUE(askedToReplace);
    EXPECT_TRUE(Has(dialogs.Texts(), "Saving state of " + home.substr(0, home.size() - kHomeBytes.size() - 1) +
                                         kHomeText + "/myrun.jsf has been successful."))
        << (dialogs.shown.empty() ? "" : dialogs.shown.back().text);
    struct stat now {};
    ASSERT_EQ(::stat(runFile.c_str(), &now), 0);
    EXPECT_NE(now.st_ino, earlier.st_ino); // a new file took its place

    // --- Finish and close the lottery ------------------------------------------
    dialogs.Queue(TModalResult::Yes); // "Do you want to terminate the scan?"
    Child<QPushButton>(frame, "btnStopCalculations")->click();
    ASSERT_EQ(env.RunState, FINISHED);
    dialogs.Queue(TModalResult::Yes); // "A prediction is in memory. Do you want to clear it?"
    window.findChild<QAction*>("mniCloseLottery")->trigger();
    EXPECT_EQ(env.RunState, STANDBY);
    EXPECT_FALSE(env.GameOpen());
    EXPECT_EQ(Child<QLabel>(&window, "txtActiveLottery")->text(), "-");

    // Reopened, the game keeps its draws and its options run at once.
    env.OpenGame(gameFile);
    ASSERT_TRUE(env.GameOpen());
    EXPECT_EQ(env.Options().StartPoint, 297);
    EXPECT_NO_THROW(env.Options().Validate());
    window.close();
}
