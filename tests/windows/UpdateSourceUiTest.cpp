// "Update Draws from Source" and "Update all games" on Qt's offscreen
// platform, against a results server on 127.0.0.1: the download runs while
// the window keeps handling events, Cancel stops it, the open game takes the
// new draws only once its file holds them, failures change nothing; the
// lottery manager lists sources and updates every game with one summary.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include <chrono>
#include <filesystem>

#include "data/LocalGames.h"
#include "engine/Environment.h"
#include "platform/Paths.h"
#include "service/SourceImport.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ResultsFiles.h"
#include "support/ResultsHttpServer.h"
#include "support/ScriptedDialogs.h"
#include "widgets/QtText.h"
#include "windows/Application.h"
#include "windows/LotteryManagerFrm.h"
#include "windows/MainFrm.h"
#include "windows/UpdateSourceFrm.h"

namespace {

namespace fs = std::filesystem;
using qttest::Child;

const std::string kSamplePath = std::string(JUX_TESTS_DIR) + "/data/import-cases/real-ca-lotto649/input.csv";

std::string Sample(size_t lines)
{
    return resultsfiles::Head(resultsfiles::Sample("real-ca-lotto649/input.csv"), lines);
}

// Runs the event loop until `done` or ten seconds; answers the passes made.
int RunUntil(const std::function<bool()>& done)
{
    int passes = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        ++passes;
    }
    EXPECT_TRUE(done());
    return passes;
}

class UpdateSourceUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App("update_source_ui_test");
        ASSERT_TRUE(server.Running());
        drawsFolder = TLocalGamesClass::GamesFolder(env().DataFolder);
        std::error_code ec;
        fs::remove_all(drawsFolder, ec);
        ForceDirectories(drawsFolder);
    }

    TEnvironmentClass& env() { return objects.Environment(); }
    TCurrentGame& game() { return objects.Game(); }

    // A 6/49 + bonus game file holding the first `lines` lines of the sample.
    std::string WriteGame(const std::string& file, size_t lines)
    {
        const TGameInfo info = fixtures::MakeGame(6, 49, 1, 2, 1);
        TDrawClass model(info);
        for (const TDraw& d : ReadSourceDraws(info, Sample(lines), "").Draws)
            model.AddDraw(d.Index, 0, d.Numbers, d.Date);
        const std::string path = drawsFolder + file;
        EXPECT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
        return path;
    }

    fixtures::Bytes Bytes(const std::string& path)
    {
        fixtures::Bytes b;
        fixtures::ReadFile(path, b);
        return b;
    }

    TResultsHttpServer server;
    TScriptedDialogs dialogs;
    TApplicationObjects objects;
    std::string drawsFolder;
};

} // namespace

TEST_F(UpdateSourceUi, UpdatesTheOpenGameWithoutFreezingTheWindow)
{
    const std::string path = WriteGame("lotto.drw", 201);
    env().OpenGame(path);
    ASSERT_TRUE(env().GameOpen());
    TResultsHttpServer::TRoute slow(200, Sample(400), "text/csv", "\"v1\"");
    slow.DelayMs = 600;
    server.Set("/649.csv", slow);

    TfrmUpdateSource w(game());
    w.show();
    EXPECT_EQ(ToText(w.windowTitle()), "Update Draws from Source");
    EXPECT_EQ(ToText(w.LastUpdateLabel().text()), "Never");
    EXPECT_TRUE(w.SourceEdit().text().isEmpty());
    EXPECT_FALSE(w.CancelButton().isEnabled());

    w.SourceEdit().setText(QString::fromStdString(server.Url("/649.csv")));
    w.UpdateButton().click();
    EXPECT_TRUE(w.Running());
    EXPECT_FALSE(w.UpdateButton().isEnabled());
    EXPECT_TRUE(w.CancelButton().isEnabled());
    EXPECT_FALSE(w.SourceEdit().isEnabled());
    // The window handles events while the server is silent.
    const int passes = RunUntil([&] { return !w.Running(); });
    EXPECT_GT(passes, 5);

    EXPECT_EQ(w.LastOutcome().Status, TUpdateStatus::Updated) << w.LastOutcome().Message;
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"199 new draws added"}));
    EXPECT_EQ(game().Draws->DrawCount(), 399);
    EXPECT_FALSE(game().Draws->Modified);
    EXPECT_EQ(ReadGameInfo(path).DrawCount, 399u);
    EXPECT_EQ(ToText(w.StatusLabel().text()), "199 new draws added");
    EXPECT_EQ(w.Progress().value(), w.Progress().maximum());
    EXPECT_NE(ToText(w.LastUpdateLabel().text()).find(": 199 new draws added"), std::string::npos);
    EXPECT_EQ(LoadGameSource(path).Address, server.Url("/649.csv"));
    EXPECT_FALSE(w.CancelButton().isEnabled());
    qttest::Snap(w, "update-source");

    // Asked again, the server answers 304.
    dialogs.shown.clear();
    w.UpdateButton().click();
    RunUntil([&] { return !w.Running(); });
    EXPECT_EQ(w.LastOutcome().Status, TUpdateStatus::NotModified);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Information);
    EXPECT_EQ(dialogs.shown[0].text,
              "The game is up to date.\n\rThe results file has not changed since the last update.");
}

TEST_F(UpdateSourceUi, CancelFailuresAndRefusalsLeaveTheGameAlone)
{
    const std::string path = WriteGame("lotto.drw", 201);
    env().OpenGame(path);
    ASSERT_TRUE(env().GameOpen());
    const fixtures::Bytes before = Bytes(path);
    TResultsHttpServer::TRoute slow(200, Sample(400));
    slow.DelayMs = 5000;
    server.Set("/slow.csv", slow);
    server.Set("/gone.csv", {404, "", "text/html"});

    TfrmUpdateSource w(game());
    w.show();
    w.SourceEdit().setText(QString::fromStdString(server.Url("/slow.csv")));
    w.UpdateButton().click();
    QApplication::processEvents();
    w.CancelButton().click();
    RunUntil([&] { return !w.Running(); });
    EXPECT_EQ(w.LastOutcome().Status, TUpdateStatus::Cancelled);
    EXPECT_EQ(ToText(w.StatusLabel().text()), "The update was cancelled.");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(game().Draws->DrawCount(), 200);

    w.SourceEdit().setText(QString::fromStdString(server.Url("/gone.csv")));
    w.UpdateButton().click();
    RunUntil([&] { return !w.Running(); });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Error);
    EXPECT_EQ(dialogs.shown[0].text, "The server answered HTTP 404 Not Found.");
    EXPECT_EQ(game().Draws->DrawCount(), 200);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_NE(ToText(w.LastUpdateLabel().text()).find("HTTP 404"), std::string::npos);

    // Unsaved edits of the open game: nothing is downloaded.
    game().Draws->Modified = true;
    dialogs.shown.clear();
    server.ClearRequests();
    w.UpdateButton().click();
    EXPECT_FALSE(w.Running());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("not saved"), std::string::npos);
    EXPECT_TRUE(server.Requests().empty());
    game().Draws->Modified = false;

    // Closing during a download cancels it.
    w.SourceEdit().setText(QString::fromStdString(server.Url("/slow.csv")));
    w.UpdateButton().click();
    EXPECT_TRUE(w.Running());
    w.CloseButton().click();
    EXPECT_FALSE(w.Running());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Bytes(path), before);
}

TEST_F(UpdateSourceUi, BrowsePicksALocalFileAndTheMenuOffersTheWindow)
{
    const std::string path = WriteGame("lotto.drw", 101);
    env().OpenGame(path);
    ASSERT_TRUE(env().GameOpen());
    TfrmUpdateSource w(game());
    w.SetFileChooser([](const std::string& current) {
        EXPECT_EQ(current, "");
        return kSamplePath;
    });
    w.show();
    Child<QPushButton>(&w, "btnBrowse")->click();
    EXPECT_EQ(w.SourceEdit().text().toStdString(), kSamplePath);
    w.UpdateButton().click();
    RunUntil([&] { return !w.Running(); });
    EXPECT_EQ(w.LastOutcome().HttpStatus, 0);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"299 new draws added"}));
    EXPECT_EQ(game().Draws->DrawCount(), 399);

    TfrmMain window(env());
    window.SetAutoLoadOnShow(false);
    window.show();
    window.UpdateControls();
    QAction* item = window.findChild<QAction*>(QStringLiteral("mniUpdateFromSource"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ToText(item->text()), "&Update Draws from Source...");
    EXPECT_TRUE(item->isVisible());
    window.mniCloseLotteryClick();
    EXPECT_FALSE(item->isVisible());
}

TEST_F(UpdateSourceUi, ManagerListsSourcesAndUpdatesAllGames)
{
    const std::string a = WriteGame("a.drw", 101);
    const std::string b = WriteGame("b.drw", 301);
    WriteGame("c.drw", 51);
    server.Set("/649.csv", {200, Sample(400), "text/csv", "\"x\""});
    TGameSource source;
    SetSourceAddress(source, server.Url("/649.csv"));
    ASSERT_TRUE(SaveGameSource(a, source));
    SetSourceAddress(source, server.Url("/moved.csv"));
    ASSERT_TRUE(SaveGameSource(b, source));

    TfrmLotteryManager m(env().DataFolder, InstalledDrawFileHooks());
    ASSERT_TRUE(m.Created());
    m.show();
    QApplication::processEvents();
    QPushButton* updateAll = Child<QPushButton>(&m, "btnUpdateAll");
    EXPECT_FALSE(updateAll->isVisible());
    Child<QRadioButton>(&m, "rbOpenLocal")->click();
    Child<QPushButton>(&m, "btnNext")->click();
    ASSERT_EQ(m.Page(), TManagerPage::Local);
    EXPECT_TRUE(updateAll->isVisible());
    QTableWidget* list = Child<QTableWidget>(&m, "lvLocal");
    ASSERT_EQ(list->columnCount(), 7);
    EXPECT_EQ(ToText(list->horizontalHeaderItem(5)->text()), "Source");
    EXPECT_EQ(ToText(list->horizontalHeaderItem(6)->text()), "Source update");
    auto rowOf = [&](const std::string& draws) {
        for (int r = 0; r < list->rowCount(); ++r)
            if (ToText(list->item(r, 2)->text()) == draws)
                return r;
        return -1;
    };
    ASSERT_GE(rowOf("100"), 0);
    EXPECT_EQ(list->item(rowOf("100"), 5)->text().toStdString(), server.Url("/649.csv"));
    EXPECT_EQ(ToText(list->item(rowOf("100"), 6)->text()), "Never");
    EXPECT_EQ(ToText(list->item(rowOf("50"), 5)->text()), "");

    const fixtures::Bytes bBefore = Bytes(b);
    updateAll->click();
    ASSERT_EQ(m.LastUpdateAll().size(), 2u);
    EXPECT_EQ(m.LastUpdateAll()[0].Game, "a.drw");
    EXPECT_EQ(m.LastUpdateAll()[0].Outcome.Status, TUpdateStatus::Updated);
    EXPECT_EQ(m.LastUpdateAll()[1].Outcome.Status, TUpdateStatus::Failed);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{
                                   "a.drw: 299 new draws added\n\rb.drw: The server answered HTTP 404 Not Found.\n\r"
                                   "2 games: 1 updated (299 new draws), 0 up to date, 1 failed."}));
    EXPECT_EQ(ReadGameInfo(a).DrawCount, 399u);
    EXPECT_EQ(Bytes(b), bBefore);
    // The list shows the new counts and results.
    ASSERT_GE(rowOf("399"), 0);
    EXPECT_NE(ToText(list->item(rowOf("399"), 6)->text()).find(": 299 new draws added"), std::string::npos);
    EXPECT_NE(ToText(list->item(rowOf("300"), 6)->text()).find(": The server answered HTTP 404"), std::string::npos);
}
