// The lottery manager and the new-game wizard on Qt's offscreen platform,
// with a real environment whose OpenGame and CloseGame are the draw file
// hooks and scripted dialogs: creating and opening a game, the local list,
// deleting and exporting, the wizard's pages, checks and cancelling.
// With JUX_SCREENSHOT_DIR set, each page is also saved there as a picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "service/GamesServer.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "widgets/QtText.h"
#include "windows/Application.h"
#include "windows/CreateLotteryFrm.h"
#include "windows/LotteryManagerFrm.h"

namespace {

using qttest::Child;
using qttest::EveryPass;
using qttest::Snap;

namespace fs = std::filesystem;

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

std::string Text(const QWidget* w)
{
    if (auto* l = qobject_cast<const QLabel*>(w))
        return ToText(l->text());
    if (auto* b = qobject_cast<const QPushButton*>(w))
        return ToText(b->text());
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return ToText(e->text());
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return ToText(c->currentText());
    return {};
}

class LotteryManagerUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        dataFolder = objects.Environment().DataFolder;
        drawsFolder = TLocalGamesClass::GamesFolder(dataFolder);
        std::error_code ec;
        fs::remove_all(drawsFolder, ec);
        SetDatabaseAddress("");
        TIniFile ini(TGameOptions::ProgramSettingsPath(dataFolder));
        ini.WriteString(kProgramIniSection, "DatabaseContact", "");
        EXPECT_TRUE(ini.UpdateFile());
    }

    void SetDatabaseAddress(const std::string& address)
    {
        TIniFile ini(TGameOptions::ProgramSettingsPath(dataFolder));
        ini.WriteString(kProgramIniSection, "DatabaseAddress", address);
        EXPECT_TRUE(ini.UpdateFile());
    }

    // A database on 127.0.0.1 serving games 7 (6/49) and 9 (5/50 + 2/10).
    std::unique_ptr<TGamesServer> StartDatabase(std::vector<std::string>& log)
    {
        const std::string served = fixtures::TmpDir() + "served/";
        fs::remove_all(served);
        ForceDirectories(served);
        for (const auto& [id, info] :
             {std::pair{7, fixtures::MakeGame(6, 49)}, std::pair{9, fixtures::MakeGame(5, 50, 1, 1, 2, 10)}}) {
            TGameInfo g = info;
            g.Name = id == 7 ? "Lotto Seven" : "Euro Nine";
            g.OnlineID = id;
            g.LastUpdate = EncodeDateTime(2021, 6, 7, 8, 9, 10);
            TDrawClass model(g);
            fixtures::FillDraws(model, g, 20 + id);
            EXPECT_TRUE(fixtures::WriteFile(served + std::to_string(id) + ".drw", fixtures::BuildImage(g, model)));
        }
        auto server = std::make_unique<TGamesServer>(
            TGamesServer::TOptions{served, "127.0.0.1", 0, [&log](const std::string& l) { log.push_back(l); }});
        std::string error;
        EXPECT_TRUE(server->Start(error)) << error;
        SetDatabaseAddress("127.0.0.1:" + std::to_string(server->Port()));
        return server;
    }

    TEnvironmentClass& env() { return objects.Environment(); }
    TCurrentGame& game() { return objects.Game(); }

    std::string WriteGame(const std::string& file, const std::string& name, int draws = 10)
    {
        ForceDirectories(drawsFolder);
        TGameInfo info = fixtures::MakeGame(6, 49);
        info.Name = name;
        TDrawClass model(info);
        fixtures::FillDraws(model, info, draws);
        const std::string path = drawsFolder + file;
        EXPECT_TRUE(fixtures::WriteFile(path, fixtures::BuildImage(info, model)));
        return path;
    }

    void WriteBytes(const std::string& file, const fixtures::Bytes& bytes)
    {
        ForceDirectories(drawsFolder);
        EXPECT_TRUE(fixtures::WriteFile(drawsFolder + file, bytes));
    }

    std::unique_ptr<TfrmLotteryManager> Manager()
    {
        auto m = std::make_unique<TfrmLotteryManager>(dataFolder, InstalledDrawFileHooks());
        EXPECT_TRUE(m->Created());
        m->show();
        QApplication::processEvents();
        return m;
    }

    // Chooses an action and moves on to the local page.
    void ToLocalPage(TfrmLotteryManager& m, QRadioButton* action)
    {
        action->click();
        Child<QPushButton>(&m, "btnNext")->click();
        ASSERT_EQ(m.Page(), TManagerPage::Local);
    }

    std::vector<std::string> Column(TfrmLotteryManager& m, int column)
    {
        std::vector<std::string> texts;
        QTableWidget* list = Child<QTableWidget>(&m, "lvLocal");
        for (int r = 0; r < list->rowCount(); ++r)
            texts.push_back(ToText(list->item(r, column)->text()));
        return texts;
    }

    TScriptedDialogs dialogs;
    TApplicationObjects objects;
    std::string dataFolder;
    std::string drawsFolder;
};

TEST_F(LotteryManagerUi, ShowsTheActionPageWithOpenChosen)
{
    auto m = Manager();
    QWidget* w = m.get();
    EXPECT_EQ(m->windowTitle(), "Lottery Games Manager");
    EXPECT_EQ(m->Page(), TManagerPage::Actions);
    EXPECT_EQ(m->Action(), maOpenLocal);
    EXPECT_TRUE(Child<QRadioButton>(w, "rbOpenLocal")->isChecked());
    EXPECT_EQ(Text(Child<QPushButton>(w, "btnNext")), "Next");
    EXPECT_TRUE(Child<QPushButton>(w, "btnNext")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(w, "btnBack")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(w, "btnRequest")->isVisible());
    EXPECT_TRUE(Child<QRadioButton>(w, "rbExportLocal")->isVisible());
    // No database address in the settings: no database search.
    EXPECT_FALSE(Child<QRadioButton>(w, "rbSearchDatabase")->isVisible());
    EXPECT_FALSE(Child<QCheckBox>(w, "chkAutoLoad")->isVisible());
    EXPECT_TRUE(Child<QRadioButton>(w, "rbCreate")->isVisible() &&
                Child<QRadioButton>(w, "rbDeleteLocal")->isVisible());
    EXPECT_TRUE(DirectoryExists(drawsFolder));
    Snap(*m, "manager-actions");
}

TEST_F(LotteryManagerUi, EmptyFolderLeavesNextDisabled)
{
    auto m = Manager();
    ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbOpenLocal"));
    EXPECT_EQ(Child<QTableWidget>(m.get(), "lvLocal")->rowCount(), 0);
    EXPECT_EQ(Text(Child<QPushButton>(m.get(), "btnNext")), "Open");
    EXPECT_FALSE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
    // The empty list says what to do first.
    EXPECT_TRUE(Child<QLabel>(m.get(), "lblLocalHint")->isVisible());
    EXPECT_EQ(Text(Child<QLabel>(m.get(), "lblLocalHint")), LocalListHint(0, maOpenLocal));
    EXPECT_TRUE(Child<QPushButton>(m.get(), "btnBack")->isEnabled());
    Child<QPushButton>(m.get(), "btnBack")->click();
    EXPECT_EQ(m->Page(), TManagerPage::Actions);
    EXPECT_TRUE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
}

TEST_F(LotteryManagerUi, ListsEveryGameFileWithItsStatus)
{
    WriteGame("lotto.drw", "Lotto 6 of 49", 12);
    WriteBytes("junk.drw", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    fixtures::Bytes damaged;
    ASSERT_TRUE(fixtures::ReadFile(WriteGame("damaged.drw", "Damaged"), damaged));
    damaged[40] ^= 0x55; // the checksum no longer matches
    WriteBytes("damaged.drw", damaged);
    fixtures::Bytes older;
    ASSERT_TRUE(fixtures::ReadFile(WriteGame("older.drw", "Older"), older));
    older[0] = 1;
    WriteBytes("older.drw", older);

    // Dates in the user's short date, here day/month/year.
    const int order = CurrentDateOrder();
    const std::string separator = CurrentDateSeparator();
    SetDateSettings(0, "/");
    auto m = Manager();
    ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbOpenLocal"));
    SetDateSettings(order, separator);
    QTableWidget* list = Child<QTableWidget>(m.get(), "lvLocal");
    ASSERT_EQ(list->rowCount(), 4);
    // Sorted by caption: the files without a readable name come first.
    EXPECT_EQ(Column(*m, 0), (std::vector<std::string>{"", "", "", "Lotto 6 of 49"}));
    std::map<std::string, int> icons;
    for (int r = 0; r < 4; ++r) {
        icons[ToText(list->item(r, 1)->text())] = list->item(r, 0)->data(TfrmLotteryManager::kIconRole).toInt();
        EXPECT_FALSE(list->item(r, 0)->icon().isNull());
    }
    EXPECT_EQ(icons, (std::map<std::string, int>{{"06/49", 0},
                                                 {"Older version game file! Use the conversion tool.", 1},
                                                 {"Corrupted game file.", 2},
                                                 {"Not a game file.", 3}}));
    EXPECT_EQ(ToText(list->item(3, 2)->text()), "12");
    EXPECT_EQ(list->item(3, 2)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(ToText(list->item(3, 3)->text()), "12/01/2000");
    EXPECT_EQ(ToText(list->item(3, 4)->text()), "Unofficial");
    EXPECT_EQ(ToText(list->item(0, 3)->text()), "Undefined");

    // Selecting a row enables "Open"; deselecting disables it again.
    list->selectRow(3);
    EXPECT_TRUE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
    list->clearSelection();
    EXPECT_FALSE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
    list->selectRow(3);
    Snap(*m, "manager-local");
}

TEST_F(LotteryManagerUi, OpensTheSelectedGameAndCloses)
{
    const std::string path = WriteGame("lotto.drw", "Lotto 6 of 49", 30);
    auto m = Manager();
    ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbOpenLocal"));
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(game().Info.State, 2);
    EXPECT_EQ(game().FilePath, path);
    EXPECT_EQ(game().Draws->DrawCount(), 30);
    EXPECT_EQ(env().RunState, LOADED);
}

// Enter goes on as "Next" does, and a double click on a game opens it.
TEST_F(LotteryManagerUi, EnterGoesOnAndADoubleClickOpensAGame)
{
    const std::string path = WriteGame("lotto.drw", "Lotto 6 of 49", 30);
    auto m = Manager();
    EXPECT_TRUE(Child<QPushButton>(m.get(), "btnNext")->isDefault());
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(m.get(), &key);
    }
    ASSERT_EQ(m->Page(), TManagerPage::Local);
    EXPECT_FALSE(Child<QLabel>(m.get(), "lblLocalHint")->isVisible());
    QTableWidget* list = Child<QTableWidget>(m.get(), "lvLocal");
    ASSERT_EQ(list->rowCount(), 1);
    emit list->cellDoubleClicked(0, 1); // no row selected yet: nothing to open
    EXPECT_TRUE(m->isVisible());
    list->selectRow(0);
    emit list->cellDoubleClicked(0, 1);
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(game().FilePath, path);
    EXPECT_EQ(env().RunState, LOADED);
}

TEST_F(LotteryManagerUi, GamesNamedInEitherEncodingOpen)
{
    // Files named from the game's name: earlier in Windows-1252 bytes, now in UTF-8.
    for (const std::string file : {"Loto \xC9t\xE9.drw", "Loto \xC3\x89t\xC3\xA9.drw"}) {
        SCOPED_TRACE(file);
        std::error_code ec;
        fs::remove_all(drawsFolder, ec);
        const std::string path = WriteGame(file, "Loto \xC9t\xE9", 12);
        auto m = Manager();
        ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbOpenLocal"));
        EXPECT_EQ(Column(*m, 0), std::vector<std::string>({"Loto \xC9t\xE9"}));
        Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
        Child<QPushButton>(m.get(), "btnNext")->click();
        EXPECT_EQ(game().FilePath, path);
        EXPECT_EQ(game().Draws->DrawCount(), 12);
        EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts().front();
        ASSERT_TRUE(env().CloseGame());
    }
}

TEST_F(LotteryManagerUi, OpeningAnInvalidFileLeavesNoLotteryAndCloses)
{
    WriteBytes("junk.drw", {'n', 'o', 'p', 'e'});
    auto m = Manager();
    ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbOpenLocal"));
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(game().Info.State, 0);
    EXPECT_EQ(env().RunState, STANDBY);
}

TEST_F(LotteryManagerUi, DeletesAGameWithAllItsFilesAfterAsking)
{
    WriteGame("Lotto.drw", "Lotto A");
    WriteBytes("Lotto.ini", {'[', ']'});
    WriteBytes("lotto.jsf", {1, 2});
    WriteGame("Other.drw", "Other B");
    WriteBytes("Other.ini", {'[', ']'});
    WriteBytes("Other.jsf", {3});

    auto m = Manager();
    ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbDeleteLocal"));
    EXPECT_EQ(Text(Child<QPushButton>(m.get(), "btnNext")), "Delete");
    ASSERT_EQ(Column(*m, 0), (std::vector<std::string>{"Lotto A", "Other B"}));
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);

    dialogs.Queue(TModalResult::No);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Do you want to delete lottery game Lotto A?"});
    EXPECT_EQ(FilesIn(drawsFolder).size(), 6u);
    EXPECT_EQ(Child<QTableWidget>(m.get(), "lvLocal")->rowCount(), 2);

    dialogs.Queue(TModalResult::Yes);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(FilesIn(drawsFolder), (std::set<std::string>{"Other.drw", "Other.ini", "Other.jsf"}));
    EXPECT_EQ(Column(*m, 0), std::vector<std::string>{"Other B"});
    EXPECT_EQ(m->LocalGames()->Count(), 1);
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(m->Page(), TManagerPage::Local);
    EXPECT_FALSE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
}

TEST_F(LotteryManagerUi, ExportCopiesTheGameAndItsOptions)
{
    const std::string path = WriteGame("Lotto.drw", "Lotto A");
    WriteBytes("Lotto.ini", {'[', 'x', ']'});
    WriteBytes("Lotto.jsf", {9});
    const std::string target = fixtures::TmpDir() + "exported";
    DeleteFile(target + ".drw");
    DeleteFile(target + ".ini");

    auto m = Manager();
    m->SetExportChooser([&](const std::string& proposed) {
        EXPECT_EQ(proposed, "Lotto.drw");
        return target;
    });
    ToLocalPage(*m, Child<QRadioButton>(m.get(), "rbExportLocal"));
    EXPECT_EQ(Text(Child<QPushButton>(m.get(), "btnNext")), "Export");
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();

    fixtures::Bytes original, copy, ini;
    ASSERT_TRUE(fixtures::ReadFile(path, original));
    ASSERT_TRUE(fixtures::ReadFile(target + ".drw", copy));
    EXPECT_EQ(copy, original);
    ASSERT_TRUE(fixtures::ReadFile(target + ".ini", ini));
    EXPECT_EQ(ini, (fixtures::Bytes{'[', 'x', ']'}));
    EXPECT_FALSE(FileExists(target + ".jsf"));
    EXPECT_EQ(FilesIn(drawsFolder).size(), 3u);

    // Exporting onto the game itself is refused and leaves it whole.
    m->SetExportChooser([&](const std::string&) { return path; });
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts().back(), "Unable to export lottery game to " + path);
    ASSERT_TRUE(fixtures::ReadFile(path, copy));
    EXPECT_EQ(copy, original);

    // Into a folder named in UTF-8 ("hömé"): a name still without its
    // extension is asked about before the file that has it is replaced.
    const std::string home = fixtures::TmpDir() + "h\xC3\xB6m\xC3\xA9/";
    ForceDirectories(home);
    fixtures::WriteFile(home + "mine.drw", {'o', 'l', 'd'});
    m->SetExportChooser([&](const std::string&) { return home + "mine"; });
    dialogs.shown.clear();
    dialogs.Queue(TModalResult::No);
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();
    const std::string homeText = fixtures::TmpDir() + "h\xF6m\xE9/";
    ASSERT_EQ(dialogs.Texts(),
              std::vector<std::string>({homeText + "mine.drw already exists.\n\rDo you want to replace it?"}));
    ASSERT_TRUE(fixtures::ReadFile(home + "mine.drw", copy));
    EXPECT_EQ(copy.size(), 3u);
    dialogs.Queue(TModalResult::Yes);
    Child<QTableWidget>(m.get(), "lvLocal")->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts().back(), "Lottery game exported to " + homeText + "mine.drw");
    ASSERT_TRUE(fixtures::ReadFile(home + "mine.drw", copy));
    EXPECT_EQ(copy, original);
}

TEST_F(LotteryManagerUi, FailedDatabaseSearchKeepsItsStatus)
{
    SetDatabaseAddress("127.0.0.1:1"); // nothing listens there
    auto m = Manager();
    QRadioButton* search = Child<QRadioButton>(m.get(), "rbSearchDatabase");
    EXPECT_TRUE(search->isVisible());
    EXPECT_EQ(ToText(search->text()), "Search for an official lottery game in server databases");
    search->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(m->Page(), TManagerPage::Database);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Invalid result received from server"});
    EXPECT_EQ(Text(Child<QLabel>(m.get(), "lblDatabaseStatus")), "Retrieving data. Please wait...");
    EXPECT_FALSE(Child<QTableWidget>(m.get(), "lvDatabase")->isVisible());
    // No contact in the settings: no request to anybody.
    EXPECT_FALSE(Child<QPushButton>(m.get(), "btnRequest")->isVisible());
    EXPECT_EQ(Text(Child<QPushButton>(m.get(), "btnNext")), "Download");
    EXPECT_FALSE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
    Snap(*m, "manager-database");
    // The store stays: a second search in this window asks nobody.
    Child<QPushButton>(m.get(), "btnBack")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(Text(Child<QLabel>(m.get(), "lblDatabaseStatus")),
              "Could not find new lottery games from official database.");
    m.reset();

    // With a contact, the request names it.
    {
        TIniFile ini(TGameOptions::ProgramSettingsPath(dataFolder));
        ini.WriteString(kProgramIniSection, "DatabaseContact", " games@lotto.test ");
        EXPECT_TRUE(ini.UpdateFile());
    }
    m = Manager();
    Child<QRadioButton>(m.get(), "rbSearchDatabase")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    ASSERT_EQ(m->Page(), TManagerPage::Database);
    EXPECT_TRUE(Child<QPushButton>(m.get(), "btnRequest")->isVisible());
    dialogs.shown.clear();
    Child<QPushButton>(m.get(), "btnRequest")->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Information);
    EXPECT_EQ(dialogs.shown[0].text, RequestDatabaseGameText("games@lotto.test"));
}

TEST_F(LotteryManagerUi, DatabaseSearchOffersNewGamesAndDownloadsOne)
{
    std::vector<std::string> log;
    auto server = StartDatabase(log);
    // Game 9 is already here.
    TGameInfo nine = fixtures::MakeGame(5, 50, 1, 1, 2, 10);
    nine.OnlineID = 9;
    ForceDirectories(drawsFolder);
    TDrawClass empty(nine);
    ASSERT_TRUE(fixtures::WriteFile(drawsFolder + "nine.drw", fixtures::BuildImage(nine, empty)));

    auto m = Manager();
    Child<QRadioButton>(m.get(), "rbSearchDatabase")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    ASSERT_TRUE(dialogs.Texts().empty()) << dialogs.Texts()[0];
    QTableWidget* list = Child<QTableWidget>(m.get(), "lvDatabase");
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->rowCount(), 1);
    std::vector<std::string> row;
    for (int c = 0; c < 4; ++c)
        row.push_back(ToText(list->item(0, c)->text()));
    EXPECT_EQ(row, (std::vector<std::string>{"Lotto Seven", "06/49", "27", "2021-06-07 08:09:10"}));
    EXPECT_FALSE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
    EXPECT_EQ(log.size(), 1u);

    // Back and again: the same list, no second request.
    Child<QPushButton>(m.get(), "btnBack")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(log.size(), 1u);

    list->selectRow(0);
    EXPECT_TRUE(Child<QPushButton>(m.get(), "btnNext")->isEnabled());
    Snap(*m, "manager-database-list");
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(game().Info.State, 2);
    EXPECT_EQ(game().FilePath, drawsFolder + "Lotto Seven.drw");
    EXPECT_EQ(game().Info.OnlineID, 7);
    EXPECT_EQ(game().Info.LastUpdate, EncodeDateTime(2021, 6, 7, 8, 9, 10));
    EXPECT_EQ(game().Draws->DrawCount(), 27);
    EXPECT_EQ(env().RunState, LOADED);
}

TEST_F(LotteryManagerUi, FailedDownloadWritesNothingAndStays)
{
    std::vector<std::string> log;
    auto server = StartDatabase(log);
    auto m = Manager();
    Child<QRadioButton>(m.get(), "rbSearchDatabase")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    QTableWidget* list = Child<QTableWidget>(m.get(), "lvDatabase");
    ASSERT_EQ(list->rowCount(), 2);
    server->Stop();
    list->selectRow(0);
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Invalid result received from server"});
    EXPECT_TRUE(FilesIn(drawsFolder).empty());
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(m->Page(), TManagerPage::Database);
    EXPECT_EQ(game().Info.State, 0);
}

TEST_F(LotteryManagerUi, DatabaseWithOnlyLocalGamesOffersNothing)
{
    std::vector<std::string> log;
    auto server = StartDatabase(log);
    ForceDirectories(drawsFolder);
    for (int id : {7, 9}) {
        TGameInfo g = fixtures::MakeGame(6, 49);
        g.OnlineID = id;
        TDrawClass empty(g);
        ASSERT_TRUE(fixtures::WriteFile(drawsFolder + std::to_string(id) + ".drw", fixtures::BuildImage(g, empty)));
    }
    auto m = Manager();
    Child<QRadioButton>(m.get(), "rbSearchDatabase")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_EQ(Text(Child<QLabel>(m.get(), "lblDatabaseStatus")),
              "Could not find new lottery games from official database.");
    EXPECT_FALSE(Child<QTableWidget>(m.get(), "lvDatabase")->isVisible());
    EXPECT_EQ(m->DatabaseGames()->Count(), 0);
}

TEST_F(LotteryManagerUi, MissingLoadHookIsAnInternalError)
{
    TfrmLotteryManager m(dataFolder, TDrawFileHooks{nullptr, [] { return true; }});
    m.show();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"INTERNAL ERROR - Undefined Load Draws Function"});
    EXPECT_FALSE(m.isVisible());
}

TEST_F(LotteryManagerUi, UnmakeableDrawsFolderKeepsTheWindowClosed)
{
    // A file where the draws folder should be.
    const std::string blocked = fixtures::TmpDir() + "blocked-data/";
    ForceDirectories(blocked);
    fixtures::WriteFile(blocked + "draw files", {1});
    TfrmLotteryManager m(blocked, InstalledDrawFileHooks());
    EXPECT_FALSE(m.Created());
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Unable to create lottery draws folder."});
}

// --- The wizard --------------------------------------------------------------

struct TWizardSeen {
    std::string description, tickets, f1Name, f2Name, f2Picked, f2Total, gameName, createCaption;
    bool f1PickedEnabled = true, f1TotalEnabled = false, f2TotalVisible = false;
};

TEST_F(LotteryManagerUi, CreatesAPowerballGameAndOpensIt)
{
    auto m = Manager();
    TWizardSeen seen;
    bool driven = false;
    EveryPass(m.get(), [&] {
        auto* w = qobject_cast<TfrmCreateLottery*>(QApplication::activeModalWidget());
        if (!w)
            return false;
        Snap(*w, "wizard-type");
        Child<QComboBox>(w, "cbGameType")->setCurrentIndex(8);
        EXPECT_EQ(ToText(Child<QComboBox>(w, "cbGameType")->currentText()), "Lotto 5 + 2 powerballs");
        EXPECT_NE(
            ToText(Child<QPlainTextEdit>(w, "memGameType")->toPlainText()).find("5 numbers and 2 additional powerball"),
            std::string::npos);
        Child<QPushButton>(w, "btnNext")->click();
        EXPECT_EQ(w->CurrentPage(), TfrmCreateLottery::pgFields);
        seen.gameName = Text(Child<QLineEdit>(w, "edtGameName"));
        Child<QLineEdit>(w, "edtGameName")->setText(QStringLiteral("Lotto 5 of 49 + 2"));
        seen.description = Text(Child<QLabel>(w, "lblDescription"));
        seen.tickets = Text(Child<QLabel>(w, "lblTickets"));
        seen.f1Name = Text(Child<QLineEdit>(w, "edtF1Name"));
        seen.f2Name = Text(Child<QLineEdit>(w, "edtF2Name"));
        seen.f2Picked = Text(Child<QComboBox>(w, "cbF2k"));
        seen.f2Total = Text(Child<QComboBox>(w, "cbF2v"));
        seen.f1PickedEnabled = Child<QComboBox>(w, "cbF1k")->isEnabled();
        seen.f1TotalEnabled = Child<QComboBox>(w, "cbF1v")->isEnabled();
        seen.f2TotalVisible = Child<QComboBox>(w, "cbF2v")->isVisible();
        Snap(*w, "wizard-fields");
        Child<QPushButton>(w, "btnNext")->click();
        EXPECT_EQ(w->CurrentPage(), TfrmCreateLottery::pgDates);
        seen.createCaption = Text(Child<QPushButton>(w, "btnNext"));
        Child<QComboBox>(w, "cbDPD")->setCurrentIndex(1);
        Snap(*w, "wizard-dates");
        Child<QPushButton>(w, "btnNext")->click();
        driven = true;
        return true;
    });
    Child<QRadioButton>(m.get(), "rbCreate")->click();
    Child<QPushButton>(m.get(), "btnNext")->click();

    ASSERT_TRUE(driven);
    EXPECT_EQ(seen.gameName, "Lotto 5 of 49 + 2 of 20");
    EXPECT_EQ(seen.description, "Description : 05/49 + 02/20");
    EXPECT_EQ(seen.tickets, "Tickets : 1906884 + 190");
    EXPECT_EQ(seen.f1Name, "Main numbers");
    EXPECT_EQ(seen.f2Name, "Powerballs");
    EXPECT_EQ(seen.f2Picked, "2");
    EXPECT_EQ(seen.f2Total, "20");
    EXPECT_FALSE(seen.f1PickedEnabled);
    EXPECT_TRUE(seen.f1TotalEnabled);
    EXPECT_TRUE(seen.f2TotalVisible);
    EXPECT_EQ(seen.createCaption, "Create");

    EXPECT_FALSE(m->isVisible());
    const TGameInfo& g = game().Info;
    EXPECT_EQ(g.State, 2);
    EXPECT_EQ(env().RunState, LOADED);
    EXPECT_EQ(game().FilePath, drawsFolder + "Lotto 5 of 49 + 2.drw");
    EXPECT_EQ(g.Name, "Lotto 5 of 49 + 2");
    EXPECT_EQ(FormationText(g.Fields, g.Field2Kind), "05/49 + 02/20");
    EXPECT_EQ(TicketCount(g.Fields[0]), 1906884);
    EXPECT_EQ(TicketCount(g.Fields[1]), 190);
    EXPECT_EQ(g.FieldNames[1], "Powerballs");
    EXPECT_EQ(g.DrawsPerDay, 1);
    EXPECT_EQ(game().Draws->DrawCount(), 0);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts().front();
}

class WizardUi : public LotteryManagerUi {
protected:
    void SetUp() override
    {
        LotteryManagerUi::SetUp();
        ForceDirectories(drawsFolder);
        wizard = std::make_unique<TfrmCreateLottery>(drawsFolder, InstalledDrawFileHooks());
        ASSERT_TRUE(wizard->Prepare());
        wizard->show();
    }

    void ToFields(int type)
    {
        Child<QComboBox>(wizard.get(), "cbGameType")->setCurrentIndex(type);
        Child<QPushButton>(wizard.get(), "btnNext")->click();
        ASSERT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
    }

    std::unique_ptr<TfrmCreateLottery> wizard;
};

TEST_F(WizardUi, CancellingOnAnyPageAsksAndLeavesNoFile)
{
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        if (!wizard->isVisible()) {
            wizard = std::make_unique<TfrmCreateLottery>(drawsFolder, InstalledDrawFileHooks());
            ASSERT_TRUE(wizard->Prepare());
            wizard->show();
        }
        if (page >= 1)
            ToFields(0);
        if (page >= 2)
            Child<QPushButton>(wizard.get(), "btnNext")->click();
        ASSERT_EQ(wizard->CurrentPage(), page);
        dialogs.shown.clear();
        dialogs.Queue(TModalResult::No);
        Child<QPushButton>(wizard.get(), "btnCancel")->click();
        EXPECT_TRUE(wizard->isVisible());
        dialogs.Queue(TModalResult::Yes);
        wizard->close();
        EXPECT_FALSE(wizard->isVisible());
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>(2, kNotCreatedQuestion));
        EXPECT_TRUE(FilesIn(drawsFolder).empty());
    }
    EXPECT_EQ(game().Info.State, 0);
}

TEST_F(WizardUi, Lotto649ProposesItsNameAndLocksTheFields)
{
    EXPECT_FALSE(Child<QPushButton>(wizard.get(), "btnBack")->isEnabled());
    EXPECT_EQ(Text(Child<QPushButton>(wizard.get(), "btnNext")), "Next");
    EXPECT_EQ(ToText(Child<QPlainTextEdit>(wizard.get(), "memGameType")->toPlainText()),
              "Traditional lotto game with 6 numbers out of 49.");
    ToFields(0);
    EXPECT_EQ(Text(Child<QLineEdit>(wizard.get(), "edtGameName")), "Lotto 6 of 49");
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbF1k")), "6");
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbF1v")), "49");
    EXPECT_FALSE(Child<QComboBox>(wizard.get(), "cbF1k")->isEnabled());
    EXPECT_FALSE(Child<QComboBox>(wizard.get(), "cbF1v")->isEnabled());
    EXPECT_FALSE(Child<QComboBox>(wizard.get(), "cbF2Status")->isEnabled());
    EXPECT_TRUE(Child<QLabel>(wizard.get(), "lblNoParams")->isVisible());
    EXPECT_FALSE(Child<QLineEdit>(wizard.get(), "edtF2Name")->isVisible());
    EXPECT_EQ(Text(Child<QLabel>(wizard.get(), "lblDescription")), "Description : 06/49");
    EXPECT_EQ(Text(Child<QLabel>(wizard.get(), "lblTickets")), "Tickets : 13983816");
    Snap(*wizard, "wizard-fields-649");
    EXPECT_TRUE(Child<QPushButton>(wizard.get(), "btnBack")->isEnabled());
}

// The proposed name is whole and follows the fields until the user types a
// name of their own; Enter presses "Next".
TEST_F(WizardUi, ProposedNameFollowsTheFieldsUntilTyped)
{
    EXPECT_TRUE(Child<QPushButton>(wizard.get(), "btnNext")->isDefault());
    Child<QComboBox>(wizard.get(), "cbGameType")->setCurrentIndex(2); // Lotto 5 (define size)
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(wizard.get(), &key);
    }
    ASSERT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
    QLineEdit* name = Child<QLineEdit>(wizard.get(), "edtGameName");
    QComboBox* total = Child<QComboBox>(wizard.get(), "cbF1v");
    EXPECT_EQ(Text(name), "Lotto 5 of 49");
    total->setCurrentIndex(total->findText("69"));
    EXPECT_EQ(Text(name), "Lotto 5 of 69");
    EXPECT_EQ(wizard->Definition().Name, "Lotto 5 of 69");
    name->setText(QStringLiteral("My Lotto"));
    total->setCurrentIndex(total->findText("50"));
    EXPECT_EQ(Text(name), "My Lotto");
    EXPECT_EQ(wizard->Definition().Name, "My Lotto");
    // Another type starts a fresh proposal, which follows the second field too.
    Child<QPushButton>(wizard.get(), "btnBack")->click();
    ToFields(9); // Lotto 6 + 1 powerball
    EXPECT_EQ(Text(name), "Lotto 6 of 49 + 1 of 20");
    QComboBox* power = Child<QComboBox>(wizard.get(), "cbF2v");
    power->setCurrentIndex(power->findText("26"));
    EXPECT_EQ(Text(name), "Lotto 6 of 49 + 1 of 26");
}

TEST_F(WizardUi, UserDefinedTotalsFollowTheBallsPicked)
{
    ToFields(kUserDefinedType);
    EXPECT_TRUE(Child<QComboBox>(wizard.get(), "cbF1k")->isEnabled());
    EXPECT_TRUE(Child<QComboBox>(wizard.get(), "cbF2Status")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(wizard.get(), "cbF1v")->itemText(Child<QComboBox>(wizard.get(), "cbF1v")->count() - 1),
              "99");
    Child<QComboBox>(wizard.get(), "cbF1v")->setCurrentIndex(Child<QComboBox>(wizard.get(), "cbF1v")->findText("99"));
    Child<QComboBox>(wizard.get(), "cbF1k")->setCurrentIndex(6); // 7 balls
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbF1v")), "75");
    EXPECT_EQ(Child<QComboBox>(wizard.get(), "cbF1v")->itemText(0), "8");
    EXPECT_EQ(Child<QComboBox>(wizard.get(), "cbF1v")->itemText(Child<QComboBox>(wizard.get(), "cbF1v")->count() - 1),
              "75");
    EXPECT_EQ(Text(Child<QLabel>(wizard.get(), "lblDescription")), "Description : 07/75");

    // Bonus balls: the field-2 total is not offered.
    Child<QComboBox>(wizard.get(), "cbF2Status")->setCurrentIndex(1);
    EXPECT_TRUE(Child<QComboBox>(wizard.get(), "cbF2k")->isVisible());
    EXPECT_FALSE(Child<QComboBox>(wizard.get(), "cbF2v")->isVisible());
    EXPECT_FALSE(Child<QLabel>(wizard.get(), "lblNoParams")->isVisible());
    EXPECT_EQ(Text(Child<QLabel>(wizard.get(), "lblDescription")), "Description : 07/75 + 01 BB");
}

TEST_F(WizardUi, FieldPageErrorsKeepThePageAsTyped)
{
    ToFields(kUserDefinedType);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts().back(), "Please specify a name for the lottery game.");
    EXPECT_EQ(dialogs.shown.back().kind, TDialogKind::Error);
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);

    Child<QLineEdit>(wizard.get(), "edtGameName")->setText("Small");
    Child<QComboBox>(wizard.get(), "cbF1k")->setCurrentIndex(5);
    Child<QComboBox>(wizard.get(), "cbF1v")->setCurrentIndex(Child<QComboBox>(wizard.get(), "cbF1v")->findText("8"));
    Child<QComboBox>(wizard.get(), "cbF2Status")->setCurrentIndex(1); // bonus balls
    Child<QLineEdit>(wizard.get(), "edtF2Name")->setText("Bonus");
    Child<QComboBox>(wizard.get(), "cbF2k")->setCurrentIndex(1); // 2 bonus balls of 6/8
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.Texts().back(), "Bonus balls are more than 1 possible!");
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
    EXPECT_EQ(Text(Child<QLineEdit>(wizard.get(), "edtGameName")), "Small");
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbF2k")), "2");

    Child<QComboBox>(wizard.get(), "cbF2k")->setCurrentIndex(0);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgDates);
    EXPECT_EQ(wizard->Definition().Fields[1].Total, 8);
}

TEST_F(WizardUi, NamesAGameFileCannotHoldAreRefusedByCharacter)
{
    ToFields(13); // 5 + 1 bonus ball: three names
    const std::string tail = "\n\rA game file keeps only the letters and signs of Western European languages.";
    struct Case {
        const char* edit;
        const char* typed; // UTF-8
        std::string message;
        const char* selected;
    };
    const Case cases[] = {
        {"edtGameName", "Łódź", "The game name cannot hold its character 1 (U+0141)." + tail, "Ł"},
        {"edtF1Name", "Balls 😀 x", "The name of field 1 cannot hold its character 7 (U+1F600)." + tail, "😀"},
        {"edtF2Name", "Bonus ©ő", "The name of field 2 cannot hold its character 8 (U+0151)." + tail, "ő"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edit);
        auto* edit = Child<QLineEdit>(wizard.get(), c.edit);
        const QString before = edit->text();
        edit->setText(QString::fromUtf8(c.typed));
        dialogs.shown.clear();
        Child<QPushButton>(wizard.get(), "btnNext")->click();
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>({c.message}));
        EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
        EXPECT_EQ(edit->selectedText(), QString::fromUtf8(c.selected));
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.typed));
        edit->setText(before);
    }
    // What Windows-1252 holds goes through as it is.
    Child<QLineEdit>(wizard.get(), "edtGameName")->setText(QString::fromUtf8("Loto Été"));
    dialogs.shown.clear();
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgDates);
    EXPECT_EQ(wizard->Definition().Name, "Loto \xC9t\xE9");
}

TEST_F(WizardUi, MorePowerballTicketsAreAskedAbout)
{
    ToFields(5); // 4 + 1 powerball
    Child<QComboBox>(wizard.get(), "cbF1v")
        ->setCurrentIndex(Child<QComboBox>(wizard.get(), "cbF1v")->findText("5")); // 5 tickets
    Child<QComboBox>(wizard.get(), "cbF2v")
        ->setCurrentIndex(Child<QComboBox>(wizard.get(), "cbF2v")->findText("30")); // 30 tickets
    Child<QLineEdit>(wizard.get(), "edtGameName")->setText("Odd");
    dialogs.Queue(TModalResult::No);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(dialogs.shown.back().kind, TDialogKind::Warning);
    EXPECT_EQ(dialogs.Texts().back(),
              "Field 2 produces more combinations than field 1!\n\rDo you want to keep this formation?");
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
    dialogs.Queue(TModalResult::Yes);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgDates);
}

TEST_F(WizardUi, BackKeepsTheDatesChoiceAndTheFirstPageResets)
{
    ToFields(1); // Lotto 4 (define size)
    Child<QLineEdit>(wizard.get(), "edtGameName")->setText("Four of 30");
    Child<QComboBox>(wizard.get(), "cbF1v")->setCurrentIndex(Child<QComboBox>(wizard.get(), "cbF1v")->findText("30"));
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    Child<QComboBox>(wizard.get(), "cbDPD")->setCurrentIndex(3);
    Child<QPushButton>(wizard.get(), "btnBack")->click();
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgFields);
    EXPECT_EQ(Text(Child<QLineEdit>(wizard.get(), "edtGameName")), "Four of 30");
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbF1v")), "30");
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbDPD")), "3 draws per day");

    Child<QPushButton>(wizard.get(), "btnBack")->click();
    Child<QPushButton>(wizard.get(), "btnBack")->click();
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgGameType);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(Text(Child<QLineEdit>(wizard.get(), "edtGameName")), "Lotto 4 of 49");
    EXPECT_EQ(Text(Child<QComboBox>(wizard.get(), "cbF1v")), "49");
}

TEST_F(WizardUi, ADuplicateNameGetsANumberAndLeavesTheOldGame)
{
    const std::string old = WriteGame("Lotto 6 of 49.drw", "Lotto 6 of 49");
    fixtures::Bytes before, after;
    ASSERT_TRUE(fixtures::ReadFile(old, before));
    ToFields(0);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->FilePath(), drawsFolder + "Lotto 6 of 490.drw");
    ASSERT_TRUE(fixtures::ReadFile(old, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(game().FilePath, drawsFolder + "Lotto 6 of 490.drw");
    EXPECT_EQ(game().Info.State, 2);
}

TEST_F(WizardUi, KeptUnsavedChangesStopTheCreation)
{
    const std::string path = WriteGame("Current.drw", "Current", 5);
    env().OpenGame(path);
    ASSERT_TRUE(env().GameOpen());
    game().Draws->DeleteDraw(1); // unsaved change
    ToFields(0);
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    dialogs.Queue(TModalResult::No); // keep the current lottery
    Child<QPushButton>(wizard.get(), "btnNext")->click();
    EXPECT_EQ(wizard->CurrentPage(), TfrmCreateLottery::pgDates);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(FilesIn(drawsFolder), std::set<std::string>{"Current.drw"});
    EXPECT_EQ(game().FilePath, path);
}

TEST_F(LotteryManagerUi, WizardStartChecks)
{
    ForceDirectories(drawsFolder);
    const auto load = [](const std::string&) {};
    const auto close = [] { return true; };
    struct Case {
        TDrawFileHooks hooks;
        std::string folder;
        std::string error;
    };
    const Case cases[] = {
        {{load, nullptr}, drawsFolder, "INTERNAL ERROR : closeDrawFile function undefined"},
        {{nullptr, close}, drawsFolder, "INTERNAL ERROR : loadDrawFile function undefined"},
        {{load, close}, drawsFolder + "missing/", "INTERNAL ERROR : Cannot find " + drawsFolder + "missing/"},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        TfrmCreateLottery w(c.folder, c.hooks);
        EXPECT_FALSE(w.Prepare());
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{c.error});
        EXPECT_FALSE(w.isVisible());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
