// The two "Export JUX details to EXCEL" entries of the display frame: the save
// dialog's preset, the workbook written, and a failed write told as an error.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTableWidget>

#include "data/Utils.h"
#include "support/EngineRig.h"
#include "support/QtTestSupport.h"
#include "support/XlsxReader.h"
#include "widgets/JUXDisplayFrame.h"

namespace {

QApplication& App() { return qttest::App("export_ui_test"); }

// The frame with its save dialog answered from a script.
class TSavingFrame : public TFrmJUXDisplay {
public:
    using TFrmJUXDisplay::TFrmJUXDisplay;
    std::string answer;
    std::vector<std::string> presets;

protected:
    bool SaveFileQuery(const std::string& preset, std::string& fileName) override
    {
        presets.push_back(preset);
        fileName = answer;
        return !answer.empty();
    }
};

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

std::vector<std::string> SheetNames(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& sheet : xlsx::Read(path).sheets)
        names.push_back(sheet.name);
    return names;
}

} // namespace

TEST(SpreadsheetExportUi, BothEntriesWriteTheWorkbookOrTellTheError)
{
    App();
    rig::TRig r;
    ASSERT_TRUE(rig::OpenShortRun(r, "ExportUi"));
    TSavingFrame f(r.env);
    f.resize(800, 500);
    f.show();
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, FINISHED);

    // Panorama: a selection from the header rows down to two table cells.
    QTableWidget* grid = f.findChild<QTableWidget*>(QStringLiteral("sgJUXPanorama"));
    ASSERT_NE(grid, nullptr);
    const int32_t a = CellID(f.Panorama(), 1, 3), b = CellID(f.Panorama(), 2, 3);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    grid->setRangeSelected(QTableWidgetSelectionRange(0, 1, 3, 2), true);
    f.UpdatePanoramaMenu();
    QAction* panoramaEntry = f.PanoramaMenu()->findChild<QAction*>(QStringLiteral("mniExportPanoramaExcel"));
    ASSERT_NE(panoramaEntry, nullptr);
    const std::string path = fixtures::TmpDir() + "ExportUi.xlsx";
    std::remove(path.c_str());
    f.answer = path;
    panoramaEntry->trigger();
    EXPECT_EQ(f.presets, std::vector<std::string>{"Test Lotto.xlsx"});
    EXPECT_TRUE(r.dialogs.shown.empty()) << r.dialogs.Texts().front();
    const std::vector<std::string> both{Format("JUX %d", std::max(a, b)), Format("JUX %d", std::min(a, b))};
    EXPECT_EQ(SheetNames(path), a == b ? std::vector<std::string>{both[0]} : both);

    // Table page: the current table only.
    f.SelectJUX(a);
    f.UpdateTableMenu();
    QAction* tableEntry = f.TableMenu()->findChild<QAction*>(QStringLiteral("mniExportTableExcel"));
    ASSERT_NE(tableEntry, nullptr);
    tableEntry->trigger();
    EXPECT_EQ(f.presets.size(), 2u);
    EXPECT_EQ(SheetNames(path), std::vector<std::string>{Format("JUX %d", a)});

    // A folder that does not exist: an error naming the file, nothing written.
    const std::string bad = fixtures::TmpDir() + "no such folder/ExportUi.xlsx";
    f.answer = bad;
    tableEntry->trigger();
    ASSERT_EQ(r.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.dialogs.shown[0].kind, TDialogKind::Error);
    EXPECT_NE(r.dialogs.shown[0].text.find(bad), std::string::npos);
    EXPECT_FALSE(Exists(bad));

    // Cancelled: nothing asked, nothing written.
    f.answer.clear();
    std::remove(path.c_str());
    tableEntry->trigger();
    EXPECT_EQ(r.dialogs.shown.size(), 1u);
    EXPECT_FALSE(Exists(path));
}
