// The workbook of table details, read back with a zip and XML reader: layout,
// values, fills against the engine's own hit records, styles, sheet order and
// the failures that must leave no file behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>

#include "data/Utils.h"
#include "models/DisplayState.h"
#include "models/PanoramaModel.h"
#include "models/SpreadsheetExport.h"
#include "support/EngineRig.h"
#include "support/WriteLimit.h"
#include "support/XlsxReader.h"

namespace {

struct TGameCase {
    const char* name;
    TGameInfo game;
    int32_t field;
    int32_t tested;
    int32_t k; // balls of a draw row
};

// Runs `tables` tables of a game of `draws` draws with T tested draws.
void RunGame(rig::TRig& r, const std::string& name, const TGameInfo& g, int32_t field, int32_t tested,
             int32_t tables = 3, int draws = 300)
{
    const std::string path = rig::WriteGameFile(name + ".drw", g, draws);
    std::remove((fixtures::TmpDir() + name + ".ini").c_str());
    r.env.OpenGame(path);
    ASSERT_EQ(r.env.RunState, LOADED);
    r.options.SetFieldSelected(field);
    r.options.TotalTestDraws = tested;
    r.options.MaxStatData = 20;
    r.options.SetStartPoint(r.options.DrawCount() - tested);
    r.options.MaximumJUXsToScan = tables;
    r.env.ChangeState(STARTED);
    ASSERT_EQ(r.env.RunState, FINISHED);
}

std::string OutPath(const std::string& name) { return fixtures::TmpDir() + name + ".xlsx"; }

// A store of IDs in the order given.
struct Ids : TIntegerStore {
    Ids(std::initializer_list<int32_t> ids)
    {
        for (int32_t id : ids)
            AddInt(id);
    }
    explicit Ids(const std::vector<int32_t>& ids)
    {
        for (int32_t id : ids)
            AddInt(id);
    }
};

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void ExpectStyle(const xlsx::TCell* c, const char* horizontal, int64_t fill, double fontSize, const std::string& where)
{
    ASSERT_NE(c, nullptr) << where;
    EXPECT_EQ(c->style.horizontal, horizontal) << where;
    EXPECT_EQ(c->style.vertical, "center") << where;
    EXPECT_EQ(c->style.fill, fill) << where;
    EXPECT_EQ(c->style.fontSize, fontSize) << where;
}

} // namespace

// Layout, values and fills of one table's sheet, for a plain game, a game
// whose bonus balls are analysed with the main field (K = 7), a pool starting
// at 0, and a short test stretch where most rank columns never hit.
TEST(SpreadsheetExport, SheetOfOneTable)
{
    const TGameCase cases[] = {
        {"Plain649", fixtures::MakeGame(6, 49), 1, 100, 6},
        {"Bonus649", fixtures::MakeGame(6, 49, 1, 2, 1), 2, 100, 7},
        {"Zero536", fixtures::MakeGame(5, 36, 1, 0, 0, 0, 0), 1, 40, 5},
        {"Short649", fixtures::MakeGame(6, 49), 1, 3, 6},
    };
    for (const TGameCase& c : cases) {
        SCOPED_TRACE(c.name);
        rig::TRig r;
        RunGame(r, c.name, c.game, c.field, c.tested);
        const TJUXClass* table = r.engine.FindTable(2);
        ASSERT_NE(table, nullptr);
        const TDrawClass& game = *r.game.Draws;
        const int32_t n = game.DrawCount();
        const int32_t pool = c.game.Fields[0].Total;
        // The title names the field as the run analysed it, bonus balls included.
        const std::string caption = AnalysedFieldCaption(r.engine);
        EXPECT_EQ(caption, c.field == 2 ? "Main numbers + 1 Bonus ball" : "Main numbers");

        const TJUXToEXCEL done(r.engine, Ids({2}), caption, OutPath(c.name));
        EXPECT_EQ(done.SheetIds(), std::vector<int32_t>{2});
        const xlsx::TBook book = xlsx::Read(OutPath(c.name));
        ASSERT_EQ(book.sheets.size(), 1u);
        const xlsx::TSheet& s = book.sheets[0];
        EXPECT_EQ(s.name, "JUX 2");
        EXPECT_EQ(s.rows, c.tested + 2);
        EXPECT_EQ(s.cols, pool + 1);

        EXPECT_EQ(s.Text(1, 1),
                  Format("%s | %d draws|TD %d|SD 20|SP %d (RF 0)", caption.c_str(), n, c.tested, n - c.tested));
        ExpectStyle(s.At(1, 1), "center", 0x008080, 8, "title");
        for (int32_t i = 1; i <= pool; ++i) {
            EXPECT_EQ(s.Text(1, 1 + i), Format("#%.2d", i));
            ExpectStyle(s.At(1, 1 + i), "center", 0x008080, 8, "rank title");
        }

        std::vector<int32_t> greens(size_t(pool) + 1, 0);
        for (int32_t t = 0; t < c.tested; ++t) {
            const int32_t row = 2 + t;
            const std::string where = Format("row %d", row);
            EXPECT_EQ(s.Text(row, 1), game.DrawToText(n - t)) << where;
            ExpectStyle(s.At(row, 1), "left", 0xA6CAF0, 11, where);
            // The engine recorded which ranks the draw hit: those columns
            // and no others are green.
            const int8_t* order = table->RowOrder(table->Rows() - 1 - t);
            const int8_t* hit = table->RowHit(table->Rows() - 1 - t);
            std::set<int32_t> hitRanks;
            for (int32_t k = 0; k < table->HitWidth(); ++k)
                if (hit[k] > 0)
                    hitRanks.insert(hit[k]);
            int32_t rowGreens = 0;
            for (int32_t i = 1; i <= pool; ++i) {
                const xlsx::TCell* cell = s.At(row, 1 + i);
                ASSERT_NE(cell, nullptr) << where;
                EXPECT_TRUE(cell->number);
                EXPECT_EQ(cell->text, std::to_string(order[i - 1] - 1 + c.game.Fields[0].Lowest)) << where;
                const bool green = hitRanks.count(i) > 0;
                ExpectStyle(cell, "center", green ? 0x008000 : -1, 11, where);
                rowGreens += green;
                greens[size_t(i)] += green;
            }
            EXPECT_EQ(rowGreens, c.k) << where; // every number of the pool is ranked
        }

        const int32_t last = c.tested + 2;
        EXPECT_EQ(s.Text(last, 1), "Exact hits in each #X column");
        ExpectStyle(s.At(last, 1), "right", 0x008080, 11, "count label");
        int32_t zeros = 0;
        for (int32_t i = 1; i <= pool; ++i) {
            EXPECT_EQ(s.Text(last, 1 + i), std::to_string(greens[size_t(i)])) << "count " << i;
            ExpectStyle(s.At(last, 1 + i), "center", 0xA6CAF0, 11, "count");
            zeros += greens[size_t(i)] == 0;
        }
        if (c.tested * c.k < pool) {
            EXPECT_GE(zeros, pool - c.tested * c.k);
        }

        // Columns fitted to their content: the draw texts need far more room
        // than two-digit numbers, and every column has a width.
        ASSERT_EQ(int32_t(s.widths.size()), pool + 1);
        EXPECT_GT(s.widths.at(1), 0.7 * double(game.DrawToText(n).size()));
        for (int32_t i = 2; i <= pool + 1; ++i) {
            EXPECT_GE(s.widths.at(i), 2.0);
            EXPECT_LT(s.widths.at(i), s.widths.at(1));
        }
    }
}

// Which sheets a store of IDs gives, and in which order.
TEST(SpreadsheetExport, SheetsInReverseStoreOrderSkippingDeadIds)
{
    rig::TRig r;
    RunGame(r, "Order", fixtures::MakeGame(6, 49), 1, 30, 6);
    struct {
        std::vector<int32_t> ids;
        std::vector<int32_t> sheets;
    } cases[] = {
        {{1, 3, 5}, {5, 3, 1}},
        {{0, 2, 0, 4}, {4, 2}},    // header cells give 0
        {{5, 999, -1, 2}, {2, 5}}, // no such tables
        {{3, 3}, {3}},
        {{}, {}},
        {{0, 777}, {}},
    };
    for (auto& c : cases) {
        const std::string path = OutPath("Order");
        const TJUXToEXCEL done(r.engine, Ids(c.ids), "Main numbers", path);
        EXPECT_EQ(done.SheetIds(), c.sheets);
        const xlsx::TBook book = xlsx::Read(path);
        std::vector<std::string> names, want;
        for (const auto& s : book.sheets)
            names.push_back(s.name);
        for (int32_t id : c.sheets)
            want.push_back(Format("JUX %d", id));
        if (want.empty()) // a workbook holds at least one sheet
            want.push_back("Sheet1");
        EXPECT_EQ(names, want);
    }
}

// The display's panorama entry: the selection's IDs in ascending order,
// header cells skipped, sheets listed from the highest ID down; the save
// dialog is preset to the lottery's name.
TEST(SpreadsheetExport, PanoramaSelectionThroughTheDisplay)
{
    struct TSaving : TDisplayState {
        using TDisplayState::TDisplayState;
        std::string path, preset;
        bool SaveFileQuery(const std::string& p, std::string& fileName) override
        {
            preset = p;
            fileName = path;
            return !path.empty();
        }
    };
    rig::TRig r;
    auto d = std::make_unique<TSaving>(r.env);
    RunGame(r, "Panorama", fixtures::MakeGame(6, 49), 1, 30, 40);
    const TGridRect all{0, 0, d->Panorama().ColCount - 1, d->Panorama().RowCount - 1};
    TIntegerStore ids;
    SelectionIDs(d->Panorama(), all, ids);
    std::vector<int32_t> want;
    for (int i = ids.Count(); i >= 1; --i) {
        int32_t id = 0;
        ids.GetInt(i, id);
        if (r.engine.FindTable(id))
            want.push_back(id);
    }
    ASSERT_GE(want.size(), 2u);
    EXPECT_TRUE(ids.ContainsInt(0)); // the selection holds header cells

    d->path = OutPath("Panorama");
    std::remove(d->path.c_str());
    d->ExportPanoramaDetails(all);
    EXPECT_EQ(d->preset, "Test Lotto.xlsx");
    EXPECT_TRUE(r.dialogs.shown.empty());
    const xlsx::TBook book = xlsx::Read(d->path);
    ASSERT_EQ(book.sheets.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(book.sheets[i].name, Format("JUX %d", want[i]));
    for (size_t i = 1; i < want.size(); ++i)
        EXPECT_GT(want[i - 1], want[i]);

    // The current table's entry writes that one table.
    d->SelectJUX(want.back());
    d->ExportCurrentDetails();
    const xlsx::TBook one = xlsx::Read(d->path);
    ASSERT_EQ(one.sheets.size(), 1u);
    EXPECT_EQ(one.sheets[0].name, Format("JUX %d", want.back()));
}

// A failed write names the file, leaves an older workbook as it was and
// leaves no file of its own behind.
TEST(SpreadsheetExport, FailedWriteLeavesNothingBehind)
{
    rig::TRig r;
    RunGame(r, "Fail", fixtures::MakeGame(6, 49), 1, 100, 3);
    const std::string dir = fixtures::TmpDir() + "fail_folder";
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    const std::string target = dir + "/Lotto.xlsx";
    {
        std::ofstream old(target, std::ios::binary);
        old << "the previous workbook";
    }

    {
        TWriteLimit limit(4096); // far below the size of a 100-row sheet
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(ExportToSpreadsheet(r.engine, Ids({1, 2, 3}), "Main numbers", target));
    }
    ASSERT_EQ(r.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.dialogs.shown[0].kind, TDialogKind::Error);
    EXPECT_NE(r.dialogs.shown[0].text.find("Cannot write the workbook \"" + target + "\""), std::string::npos)
        << r.dialogs.shown[0].text;
    EXPECT_EQ(Slurp(target), "the previous workbook");
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"Lotto.xlsx"});

    const std::string missing = dir + "/no such folder/Lotto.xlsx";
    EXPECT_FALSE(ExportToSpreadsheet(r.engine, Ids({1}), "Main numbers", missing));
    ASSERT_EQ(r.dialogs.shown.size(), 2u);
    EXPECT_NE(r.dialogs.shown[1].text.find(missing), std::string::npos);

    // Once the workbook is complete it replaces the old file.
    EXPECT_TRUE(ExportToSpreadsheet(r.engine, Ids({1, 2, 3}), "Main numbers", target));
    EXPECT_EQ(r.dialogs.shown.size(), 2u);
    EXPECT_EQ(xlsx::Read(target).sheets.size(), 3u);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"Lotto.xlsx"});
}

// Texts of the files are Windows-1252; the workbook holds them as UTF-8.
TEST(SpreadsheetExport, CaptionCarriedAsUnicode)
{
    rig::TRig r;
    RunGame(r, "Caption", fixtures::MakeGame(6, 49), 1, 10, 1);
    const std::string path = OutPath("Caption");
    const TJUXToEXCEL done(r.engine, Ids({1}), "Zus\xe4tzliche Zahlen \x80", path);
    EXPECT_EQ(done.FieldCaption(), "Zus\xe4tzliche Zahlen \x80");
    const xlsx::TBook book = xlsx::Read(path);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].Text(1, 1).rfind("Zus\xc3\xa4tzliche Zahlen \xe2\x82\xac | ", 0), 0u)
        << book.sheets[0].Text(1, 1);
}
