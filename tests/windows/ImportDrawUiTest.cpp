// The import window on Qt's offscreen platform with scripted dialogs: choosing
// a file analyses it, the layout controls and "Analyze", the reverse box,
// "Remove selected draw", "Import" and its message, and the count the
// editor's entry point answers. With JUX_SCREENSHOT_DIR set, the window
// after analysing a real file is saved there as a picture.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "data/GameFile.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "platform/IniFile.h"
#include "rules/StartArgs.h"
#include "support/GameFixtures.h"
#include "support/QtTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "widgets/DisplayFrame.h"
#include "widgets/QtText.h"
#include "windows/Application.h"
#include "windows/DrawModifyF.h"
#include "windows/ImportDrawF.h"
#include "windows/ImportDrawsEntry.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCases = fs::path(JUX_TESTS_DIR) / "data" / "import-cases";

std::string WriteTemp(const std::string& name, const std::string& text)
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    const fs::path dir = tmp ? fs::path(tmp) : fs::temp_directory_path();
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
}

QString Cell(TImportDrawsForm& form, int row, int column)
{
    return form.sgPreview->model()->index(row, column).data().toString();
}

void SelectRow(TImportDrawsForm& form, int row)
{
    form.sgPreview->selectRow(row);
    QApplication::processEvents();
}

const char* const kUndated = "1 2 3 4 5 6\n7 8 9 10 11 12\n13 14 15 16 17 18\n19 20 21 22 23 24\n25 26 27 28 29 30\n";

} // namespace

TEST(ImportDrawUi, ChoosingAFileAnalysesItAndShowsTheLayoutAndSkippedLines)
{
    TScriptedDialogs dialogs;
    TDrawClass model(fixtures::MakeGame(5, 69, 1, 1, 1, 26));
    TImportDrawsForm form(model);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Import draws wizard");
    EXPECT_EQ(form.lblHeader->text(), "");
    EXPECT_FALSE(form.btnImport->isEnabled());
    EXPECT_TRUE(form.DateTypeCB->isEnabled());
    EXPECT_TRUE(form.AfterDSE->isEnabled());

    const std::string file = (kCases / "real-us-powerball" / "input.csv").string();
    form.SetFileChooser([&] { return file; });
    form.btnBrowse->click();
    EXPECT_EQ(ToText(form.FileE->text()), file);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"File analyzed.\n\rYou can still adjust the parameters if the "
                                                        "results are not satisfactory."});
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");
    EXPECT_EQ(form.lblSkipped->text(), "62 lines skipped: balls outside 1..26\n1 line skipped: draw repeated");
    EXPECT_EQ(form.DateTypeCB->currentIndex(), 1);
    EXPECT_FALSE(form.btnAnalyze->isEnabled());
    EXPECT_TRUE(form.btnImport->isEnabled());
    EXPECT_FALSE(form.ReverseCB->isEnabled());
    // A delimited file shows its columns with the header's names and their roles.
    EXPECT_EQ(form.LayoutCB->currentText(), "Columns split by comma");
    EXPECT_TRUE(form.sgColumns->isVisible());
    EXPECT_FALSE(form.IndexSE->isVisible());
    const QAbstractItemModel* columns = form.sgColumns->model();
    ASSERT_EQ(columns->columnCount(), 3);
    EXPECT_EQ(columns->rowCount(), 399);
    EXPECT_EQ(columns->headerData(0, Qt::Horizontal).toString(), "1 Draw Date\nDate");
    EXPECT_EQ(columns->headerData(1, Qt::Horizontal).toString(), "2 Winning Numbers\nFields 1, 2");
    EXPECT_EQ(columns->headerData(2, Qt::Horizontal).toString(), "3 Multiplier\n");
    EXPECT_EQ(columns->headerData(0, Qt::Vertical).toString(), "2");
    EXPECT_EQ(columns->index(0, 1).data().toString(), "10 13 14 22 52 11");
    const QAbstractItemModel* preview = form.sgPreview->model();
    ASSERT_EQ(preview->rowCount(), 336);
    ASSERT_EQ(preview->columnCount(), 4);
    EXPECT_EQ(preview->headerData(0, Qt::Horizontal).toString(), "Draw #");
    EXPECT_EQ(preview->headerData(1, Qt::Horizontal).toString(), "Date");
    EXPECT_EQ(preview->headerData(2, Qt::Horizontal).toString(), "Field Main numbers");
    EXPECT_EQ(preview->headerData(3, Qt::Horizontal).toString(), "Field Powerball");
    EXPECT_EQ(Cell(form, 0, 0), "1");
    EXPECT_EQ(Cell(form, 0, 1), "18/05/2013");
    EXPECT_EQ(Cell(form, 0, 2), "10 13 14 22 52");
    EXPECT_EQ(Cell(form, 0, 3), "11");
    // The given widths at least, wider where a title or a value needs it.
    const int widths[] = {50, 100, 120, 60};
    for (int c = 0; c < 4; ++c) {
        EXPECT_GE(form.sgPreview->columnWidth(c), widths[c]) << c;
        EXPECT_GE(form.sgPreview->columnWidth(c),
                  form.sgPreview->fontMetrics().horizontalAdvance(preview->headerData(c, Qt::Horizontal).toString()))
            << c;
    }

    qttest::Snap(form, "import-powerball");

    // A click on a column title offers its roles, the current one checked.
    form.ColumnTitleClick(1);
    EXPECT_TRUE(form.popColumn->isVisible());
    EXPECT_TRUE(form.mniColumnField1->isChecked());
    EXPECT_FALSE(form.mniColumnDate->isChecked());
    form.popColumn->close();
    // Picking columns by hand: the preview follows at once.
    form.ColumnTitleClick(2);
    form.mniColumnField2->trigger();
    EXPECT_EQ(form.ColumnsLayout().Field2Columns, std::vector<int>{3});
    EXPECT_EQ(columns->headerData(2, Qt::Horizontal).toString(), "3 Multiplier\nField 2");
    EXPECT_EQ(form.lblHeader->text(), "Found 0 draws to import");
    EXPECT_EQ(form.lblSkipped->text(), "71 lines skipped: too few numbers\n328 lines skipped: too many numbers");
    EXPECT_FALSE(form.btnImport->isEnabled());
    form.PickColumn(2, TImportDrawsForm::TColumnRole::None);
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");
    form.PickColumn(1, TImportDrawsForm::TColumnRole::Field1); // switched out: no numbers left
    EXPECT_EQ(form.lblStatus->text(), "Choose the columns of field 1.");
    EXPECT_EQ(form.sgPreview->model()->rowCount(), 0);
    EXPECT_FALSE(form.btnImport->isEnabled());
    form.PickColumn(1, TImportDrawsForm::TColumnRole::Field1);
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");
    // Another date format reads the date column at once: days above 12 are no months.
    form.DateTypeCB->setCurrentIndex(0);
    EXPECT_EQ(form.ColumnsLayout().DateType, 0);
    EXPECT_LT(form.sgPreview->model()->rowCount(), 200);
    EXPECT_TRUE(form.lblSkipped->text().contains("lines skipped: no date")) << ToText(form.lblSkipped->text());
    form.PickColumn(0, TImportDrawsForm::TColumnRole::Date); // the format that reads it best
    EXPECT_EQ(form.DateTypeCB->currentIndex(), 1);
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");

    // The integers of each line instead: the classic controls and "Analyze".
    dialogs.shown.clear();
    form.LayoutCB->setCurrentIndex(0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(form.sgColumns->isVisible());
    EXPECT_TRUE(form.IndexSE->isVisible());
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");
    EXPECT_EQ(form.IndexSE->value(), 0);
    EXPECT_EQ(form.AfterDSE->value(), 0);
    form.IndexSE->setValue(1);
    EXPECT_TRUE(form.btnAnalyze->isEnabled());
    form.btnAnalyze->click();
    EXPECT_EQ(form.lblHeader->text(), "Found 0 draws to import");
    EXPECT_FALSE(form.btnImport->isEnabled());
    EXPECT_FALSE(form.btnAnalyze->isEnabled());
    form.DateTypeCB->setCurrentIndex(0);
    EXPECT_TRUE(form.btnAnalyze->isEnabled());
    form.DateTypeCB->setCurrentIndex(1);
    form.IndexSE->setValue(0);
    form.btnAnalyze->click();
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");
    form.LayoutCB->setCurrentIndex(1);
    EXPECT_TRUE(form.sgColumns->isVisible());
    EXPECT_EQ(form.lblHeader->text(), "Found 336 draws to import");

    // "Import" adds them, says so, and the new analysis offers only what is missing.
    dialogs.shown.clear();
    form.btnImport->click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Imported 336 draws."});
    EXPECT_EQ(model.DrawCount(), 336);
    EXPECT_EQ(form.ImportedCount(), 336);
    EXPECT_EQ(form.lblHeader->text(), "Found 0 draws to import");
    EXPECT_TRUE(form.lblSkipped->text().contains("336 lines skipped: already in the game"));
    EXPECT_FALSE(form.btnImport->isEnabled());
}

// The layout that imported draws is written to the game's options file and
// used again for the next file, without asking; one that no longer suits is
// not, and the analysis speaks as usual.
TEST(ImportDrawUi, TheLayoutThatWorkedIsRememberedForTheGame)
{
    TScriptedDialogs dialogs;
    TDrawClass model(fixtures::MakeGame(6, 49, 1));
    const std::string options = WriteTemp("remember.ini", "[DrawParams]\nApp=JUX\nMyNote=keep\n");
    std::string text = "Week|Date|Mon|N1|N2|N3|N4|N5|N6\n";
    for (int i = 1; i <= 9; ++i)
        text += Format("%d|0%d.03.2021|x|%d|%d|%d|%d|%d|%d\n", i, i, i, i + 10, i + 20, i + 30, i + 35, 40 + i);
    const std::string first = WriteTemp("first.txt", text);
    {
        TImportDrawsForm form(model);
        form.SetOptionsFile(options);
        form.show();
        form.FileE->setText(FromText(first));
        form.FileEReturn();
        ASSERT_EQ(form.lblHeader->text(), "Found 9 draws to import");
        // Picked by hand: the first five numbers only make no 6 of 49 draw; all six do.
        form.PickColumn(8, TImportDrawsForm::TColumnRole::Field1);
        EXPECT_EQ(form.lblHeader->text(), "Found 0 draws to import");
        form.PickColumn(8, TImportDrawsForm::TColumnRole::Field1);
        form.btnImport->click();
        EXPECT_EQ(model.DrawCount(), 9);
    }
    TImportLayout stored;
    ASSERT_TRUE(LoadImportLayout(options, stored));
    EXPECT_EQ(stored.Delimiter, '|');
    EXPECT_EQ(stored.DateColumn, 2);
    EXPECT_EQ(stored.Field1Columns, (std::vector<int>{4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(TIniFile(options).ReadString("DrawParams", "MyNote", ""), "keep");

    std::string later = text;
    later.replace(later.find("09.03"), 5, "10.03");
    const std::string next = WriteTemp("next.txt", later);
    dialogs.shown.clear();
    {
        TImportDrawsForm form(model);
        form.SetOptionsFile(options);
        form.show();
        form.FileE->setText(FromText(next));
        form.FileEReturn();
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_EQ(form.lblStatus->text(), "The layout remembered for this game was used.");
        EXPECT_EQ(form.lblHeader->text(), "Found 1 draws to import");
        EXPECT_EQ(form.ColumnsLayout().Field1Columns, stored.Field1Columns);
        // Another file the stored columns do not read: the analysis as usual.
        form.FileE->setText(FromText(WriteTemp("plain.txt", "11/03/2021 1 2 3 4 5 6\n")));
        form.FileEReturn();
        EXPECT_EQ(dialogs.Texts().size(), 1u);
        EXPECT_EQ(form.lblStatus->text(), "");
        EXPECT_EQ(form.LayoutCB->currentIndex(), 0);
        EXPECT_EQ(form.lblHeader->text(), "Found 1 draws to import");
    }
}

// A delimited file the analysis reads nothing from still shows its columns,
// for the user to see why and to pick them.
TEST(ImportDrawUi, AFileTheAnalysisCannotReadStillShowsItsColumns)
{
    TScriptedDialogs dialogs;
    TDrawClass model(fixtures::MakeGame(6, 49, 1));
    TImportDrawsForm form(model);
    form.show();
    std::string text = "Datum;Zahlen;Zusatzzahl\n";
    for (int i = 1; i <= 6; ++i)
        text += Format("%d. M\xE4rz 2021;%d %d %d %d %d %d;%d\n", i, i, i + 10, i + 20, i + 30, i + 35, 40 + i, 9);
    form.FileE->setText(FromText(WriteTemp("maerz.csv", text)));
    form.FileEReturn();
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0].find("Unable to analyze the history draw file."), 0u) << dialogs.Texts()[0];
    EXPECT_EQ(form.LayoutCB->currentText(), "Columns split by semicolon");
    EXPECT_TRUE(form.sgColumns->isVisible());
    EXPECT_EQ(form.sgColumns->model()->headerData(1, Qt::Horizontal).toString(), "2 Zahlen\n");
    form.PickColumn(1, TImportDrawsForm::TColumnRole::Field1);
    EXPECT_EQ(form.lblStatus->text(), "Choose the date column.");
    EXPECT_FALSE(form.btnImport->isEnabled());
    // A column without dates in any format: said on the window, not in a dialog.
    form.PickColumn(0, TImportDrawsForm::TColumnRole::Date);
    EXPECT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_TRUE(form.lblStatus->text().startsWith("Unable to analyze the history draw file."))
        << ToText(form.lblStatus->text());
    EXPECT_TRUE(form.sgColumns->isVisible());
    EXPECT_EQ(form.ColumnsLayout().DateColumn, 1);
}

TEST(ImportDrawUi, ReverseRemoveAndImportOfAFileWithoutDates)
{
    TScriptedDialogs dialogs;
    TDrawClass model(fixtures::MakeGame(6, 49, 0));
    TImportDrawsForm form(model);
    form.show();
    EXPECT_FALSE(form.DateTypeCB->isEnabled());
    EXPECT_FALSE(form.AfterDSE->isEnabled());
    form.FileE->setText(FromText(WriteTemp("undated.txt", kUndated)));
    form.FileEReturn();
    EXPECT_EQ(form.lblHeader->text(), "Found 5 draws to import");
    EXPECT_TRUE(form.ReverseCB->isEnabled());
    EXPECT_EQ(form.sgPreview->model()->columnCount(), 2);

    form.ReverseCB->setChecked(true);
    EXPECT_EQ(Cell(form, 0, 0), "5");
    EXPECT_EQ(Cell(form, 4, 0), "1");

    // The selected row goes, whatever number it shows; the selection stays in place.
    EXPECT_FALSE(form.mniRemoveDraw->isEnabled());
    SelectRow(form, 1);
    EXPECT_TRUE(form.mniRemoveDraw->isEnabled());
    form.mniRemoveDraw->trigger();
    ASSERT_EQ(form.sgPreview->model()->rowCount(), 4);
    EXPECT_EQ(Cell(form, 1, 1), "13 14 15 16 17 18");
    EXPECT_EQ(Cell(form, 0, 0), "4");
    EXPECT_EQ(form.sgPreview->selectionModel()->selectedRows().front().row(), 1);
    SelectRow(form, 3);
    form.mniRemoveDraw->trigger();
    EXPECT_EQ(form.sgPreview->selectionModel()->selectedRows().front().row(), 2);
    EXPECT_EQ(form.lblHeader->text(), "Found 3 draws to import");

    // Reversed, the last line of the file becomes the first draw of the game.
    form.btnImport->click();
    EXPECT_EQ(dialogs.Texts().back(), "Imported 3 draws.");
    ASSERT_EQ(model.DrawCount(), 3);
    EXPECT_EQ(model.GetDrawNumbers(1, 1), (TShortIntArray{19, 20, 21, 22, 23, 24}));
    EXPECT_EQ(model.GetDrawNumbers(3, 1), (TShortIntArray{1, 2, 3, 4, 5, 6}));
    // The same preview is not imported twice; "Analyze" reads the file anew.
    EXPECT_FALSE(form.btnImport->isEnabled());
    EXPECT_TRUE(form.btnAnalyze->isEnabled());
    form.btnAnalyze->click();
    EXPECT_FALSE(form.ReverseCB->isChecked());
    EXPECT_TRUE(form.btnImport->isEnabled());
    EXPECT_EQ(form.lblHeader->text(), "Found 5 draws to import");
}

// Enter in the file name analyses that file and opens no chooser; the name
// starts empty under a grey hint; the chooser offers the history files first.
TEST(ImportDrawUi, EnterAnalysesOnlyAndTheChooserOffersHistoryFilesFirst)
{
    TScriptedDialogs dialogs;
    TDrawClass model(fixtures::MakeGame(6, 49, 0));
    TImportDrawsForm form(model);
    form.show();
    EXPECT_EQ(form.FileE->text(), "");
    EXPECT_EQ(form.FileE->placeholderText(), "filename");

    int chooserCalls = 0;
    form.SetFileChooser([&] {
        ++chooserCalls;
        return std::string();
    });
    form.FileE->setText(FromText(WriteTemp("enter.txt", kUndated)));
    form.FileE->setFocus();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(form.FileE, &key);
    }
    EXPECT_EQ(chooserCalls, 0);
    EXPECT_TRUE(form.Analysis().Ready);
    EXPECT_EQ(form.lblHeader->text(), "Found 5 draws to import");

    // The window's own chooser, cancelled.
    TImportDrawsForm fresh(model);
    fresh.show();
    QStringList filters;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        dialog->reject();
    });
    fresh.btnBrowse->click();
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0], "History files (*.txt *.csv *.tsv)");
    EXPECT_EQ(filters[1], "All files (*)");
    EXPECT_FALSE(fresh.Analysis().Ready);
}

TEST(ImportDrawUi, TheEditorsEntryAnswersHowManyDrawsWereImported)
{
    TScriptedDialogs dialogs;
    TApplicationObjects objects;
    TCurrentGame& game = objects.Game();
    game.Info = fixtures::MakeGame(6, 49, 0);
    game.Draws = std::make_unique<TDrawClass>(game.Info);
    const std::string file = WriteTemp("entry.txt", kUndated);
    for (const bool import : {true, false}) {
        SCOPED_TRACE(import);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TImportDrawsForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            seen = true;
            form->FileE->setText(FromText(file));
            form->FileEReturn();
            if (import)
                form->btnImport->click();
            form->btnClose->click();
        });
        EXPECT_EQ(ExecuteImportDraws(nullptr, objects.Environment()), import ? 5 : 0);
        EXPECT_TRUE(seen);
    }
    EXPECT_EQ(game.Draws->DrawCount(), 5);
    ReleaseGame(game);
    EXPECT_EQ(ExecuteImportDraws(nullptr, objects.Environment()), 0);
}

// Through the draws editor: its "Import" opens the window, and once the window
// closes the editor's list holds the imported draws.
TEST(ImportDrawUi, ClosingTheWindowRefreshesTheEditorsList)
{
    TScriptedDialogs dialogs;
    dialogs.defaultAnswer = TModalResult::No;
    TApplicationObjects objects;
    TEnvironmentClass& env = objects.Environment();
    const TGameInfo info = fixtures::MakeGame(6, 49, 1, 2, 1);
    TDrawClass empty(info);
    const std::string game = WriteTemp("editor.drw", "");
    ASSERT_TRUE(fixtures::WriteFile(game, fixtures::BuildImage(info, empty)));
    env.OpenGame(game);
    ASSERT_TRUE(env.GameOpen());
    {
        TDrawModifyForm editor(env);
        ASSERT_TRUE(editor.Created());
        editor.show();
        EXPECT_EQ(editor.DisplayF()->List().RowCount(), 0);
        const std::string file = (kCases / "real-ca-lotto649" / "input.csv").string();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TImportDrawsForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            seen = true;
            form->SetFileChooser([&] { return file; });
            form->btnBrowse->click();
            form->btnImport->click();
            form->close();
        });
        editor.ImportBClick();
        EXPECT_TRUE(seen);
        EXPECT_EQ(env.Game().Draws->DrawCount(), 399);
        EXPECT_EQ(editor.DisplayF()->List().RowCount(), 399);
        const std::vector<std::string> texts = dialogs.Texts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Imported 399 draws."), texts.end());
    }
    env.CloseGame();
}

TEST(ImportDrawUi, ThePictureRunShowsTheImportWindowOfAFile)
{
    const TStartArgs ok =
        ParseStartArgs({"--screenshot", "x.png", "--page", "import", "--game", "g.drw", "--import", "f.csv"});
    EXPECT_EQ(ok.Error, "");
    EXPECT_EQ(ok.Page, "import");
    EXPECT_EQ(ok.Import, "f.csv");
    const std::vector<std::vector<std::string>> wrong = {
        {"--screenshot", "x.png", "--page", "import", "--game", "g.drw"},
        {"--screenshot", "x.png", "--import", "f.csv", "--game", "g.drw"},
        {"--screenshot", "x.png", "--page", "import", "--import", "f.csv"},
        {"--import", "f.csv"},
        {"--screenshot", "x.png", "--page", "import", "--game", "g.drw", "--import", "f.csv", "--import", "f.csv"},
    };
    for (const auto& args : wrong)
        EXPECT_NE(ParseStartArgs(args).Error, "") << args.size();
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InitLocaleSettings();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
