// The draws import analysis: golden cases (a text file and the layout and
// draws it must yield), real published files, encodings and hostile input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "data/ImportDrawsAI.h"
#include "data/TextCodec.h"
#include "data/Utils.h"
#include "support/ScriptedDialogs.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kCases = fs::path(JUX_TESTS_DIR) / "data" / "import-cases";

fs::path TempDir()
{
    const char* tmp = std::getenv("JUX_TEST_TMP");
    fs::path dir = tmp ? fs::path(tmp) : fs::temp_directory_path() / "jux_import_test";
    fs::create_directories(dir);
    return dir;
}

std::string WriteTemp(const std::string& name, const std::string& bytes)
{
    const fs::path path = TempDir() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

TGameInfo Game(const std::string& formation, int drawsPerDay)
{
    TGameInfo g;
    g.Name = "Import";
    ParseFormationCode(formation, g.Fields, g.Field2Kind);
    g.FieldCount = g.Field2Kind == 0 ? 1 : 2;
    g.DrawsPerDay = drawsPerDay;
    return g;
}

std::string Iso(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    if (date == 0 || !DecodeDate(date, y, m, d))
        return "";
    return Format("%4.4d-%2.2d-%2.2d", y, m, d);
}

json Candidates(const TImportDrawsAIClass& ai, bool dated)
{
    json list = json::array();
    for (const TImportCandidate& c : ai.FoundDraws)
        list.push_back({dated ? json(Iso(c.Date)) : json(nullptr), c.Index, c.Numbers});
    return list;
}

TImportLayout LayoutOf(const json& j)
{
    TImportLayout layout;
    EXPECT_TRUE(TImportLayout::FromText(j.dump(), layout)) << j.dump();
    return layout;
}

bool RunCase(TImportDrawsAIClass& ai, const std::string& file, const json& caseJson)
{
    if (caseJson.contains("layout"))
        return ai.AnalyzeFile(file, LayoutOf(caseJson["layout"]));
    if (!caseJson.contains("manual"))
        return ai.AnalyzeFile(file);
    const json& m = caseJson["manual"];
    return ai.ExtractManual(file, m["skip"], m["date_format"], m["after_date"]);
}

std::vector<fs::path> CaseFolders()
{
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(kCases))
        if (entry.is_directory())
            folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders;
}

} // namespace

TEST(ImportDrawsAI, GoldenCasesGiveTheirLayoutAndDraws)
{
    const auto folders = CaseFolders();
    ASSERT_GE(folders.size(), 20u);
    for (const fs::path& folder : folders) {
        SCOPED_TRACE(folder.filename().string());
        const json caseJson = json::parse(std::ifstream(folder / "case.json"));
        const json expected = json::parse(std::ifstream(folder / "expected.json"));
        const std::string input = (folder / caseJson["input"].get<std::string>()).string();
        TDrawClass model(Game(caseJson["formation"], caseJson["draws_per_day"]));
        TScriptedDialogs dialogs;
        if (caseJson.value("import_first", false)) {
            TImportDrawsAIClass first(model);
            ASSERT_TRUE(RunCase(first, input, caseJson));
            ASSERT_GT(ImportCandidates(model, first.FoundDraws, false), 0);
            dialogs.shown.clear();
        }
        TImportDrawsAIClass ai(model);
        EXPECT_EQ(RunCase(ai, input, caseJson), expected["ready"].get<bool>());
        EXPECT_EQ(json(ai.Messages), expected["messages"]);
        EXPECT_EQ(dialogs.Texts(), ai.Messages);
        EXPECT_EQ(ai.DateStart, expected["date_start"]);
        EXPECT_EQ(ai.DateType, expected["date_type"]);
        EXPECT_EQ(ai.NumbersStart, expected["numbers_start"]);
        EXPECT_EQ(json(ai.SkippedTexts()), expected["skipped_texts"]);
        EXPECT_EQ(Candidates(ai, model.Dated()), expected["candidates"]);
        EXPECT_EQ(json::parse(ai.Layout.ToText()), expected["layout"]);
        EXPECT_EQ(ai.SequenceColumn, expected.value("sequence_column", 0));
        if (expected.contains("column_names")) {
            ASSERT_NE(ai.Table(), nullptr);
            json names = json::array();
            for (int c = 0; c < ai.Table()->Columns; ++c)
                names.push_back(Win1252ToUtf8(ai.Table()->ColumnName(c)));
            EXPECT_EQ(names, expected["column_names"]);
        }

        // The layout found, stored and given back, reads the same draws as it stands.
        if (!ai.Ready || caseJson.contains("manual"))
            continue;
        TImportLayout stored;
        ASSERT_TRUE(TImportLayout::FromText(ai.Layout.ToText(), stored));
        ASSERT_TRUE(stored.Complete(model.Dated()));
        TImportDrawsAIClass again(model);
        again.ShowMessages = false;
        ASSERT_TRUE(again.AnalyzeFile(input, stored));
        EXPECT_TRUE(again.Messages.empty());
        EXPECT_EQ(again.Fits, ai.Fits);
        EXPECT_EQ(Candidates(again, model.Dated()), expected["candidates"]);
        EXPECT_EQ(json(again.SkippedTexts()), expected["skipped_texts"]);
        if (ai.Layout.Kind != TImportLayout::TKind::Integers)
            continue;
        // The controls show what the analysis found; "Analyze" with them reads the same draws.
        TImportDrawsAIClass manual(model);
        manual.ShowMessages = false;
        const int skip = model.Dated() ? ai.DateStart - 1 : ai.NumbersStart - 1;
        ASSERT_TRUE(manual.ExtractManual(input, skip, ai.DateType, ai.AfterDate()));
        EXPECT_EQ(manual.NumbersStart, ai.NumbersStart);
        EXPECT_EQ(Candidates(manual, model.Dated()), expected["candidates"]);
    }
}

// What a person reads in the published files: the columns, the first and last
// draw, and every data line accounted for (imported or reported as skipped).
TEST(ImportDrawsAI, RealFilesYieldWhatAPersonReadsInThem)
{
    const json samples = json::parse(std::ifstream(kCases / "real-samples.json"));
    int checked = 0;
    for (const fs::path& folder : CaseFolders()) {
        const json caseJson = json::parse(std::ifstream(folder / "case.json"));
        if (!caseJson.contains("sample"))
            continue;
        SCOPED_TRACE(folder.filename().string());
        const auto sample = std::find_if(samples.begin(), samples.end(),
                                         [&](const json& s) { return s["file"] == caseJson["sample"]; });
        ASSERT_NE(sample, samples.end());
        const int dpd = caseJson["draws_per_day"];
        TDrawClass model(Game(caseJson["formation"], dpd));
        TImportDrawsAIClass ai(model);
        ai.ShowMessages = false;
        ASSERT_TRUE(ai.AnalyzeFile((folder / caseJson["input"].get<std::string>()).string()));
        // The positions a person counts among the integers of a line; a file read
        // by its columns names its columns instead (the golden case checks them).
        if (ai.Layout.Kind == TImportLayout::TKind::Integers) {
            EXPECT_EQ(ai.DateStart, (*sample)["date_column"]);
            EXPECT_EQ(ai.NumbersStart, (*sample)["numbers_column"]);
        } else {
            EXPECT_EQ(ai.Layout.Kind, TImportLayout::TKind::Columns);
            EXPECT_EQ(ai.Table()->Delimiter, ',');
        }
        EXPECT_EQ(ai.Descending, (*sample)["newest_first"]);
        int header = 0;
        for (const TImportSkip& s : ai.Skipped)
            if (s.Reason == "too few numbers")
                header += s.Count;
        EXPECT_LE(header, 1);
        EXPECT_EQ(static_cast<int>(ai.FoundDraws.size()) + ai.SkippedCount() - header, (*sample)["data_lines"]);

        // The file's first and last draws are the oldest and newest candidates.
        const bool newestFirst = (*sample)["newest_first"];
        const json& oldest = (*sample)[newestFirst ? "last_draw" : "first_draw"];
        const json& newest = (*sample)[newestFirst ? "first_draw" : "last_draw"];
        ASSERT_FALSE(ai.FoundDraws.empty());
        const std::pair<const json*, const TImportCandidate*> ends[] = {{&oldest, &ai.FoundDraws.front()},
                                                                        {&newest, &ai.FoundDraws.back()}};
        for (const auto& [want, got] : ends) {
            TArrayOfShortIntArray numbers{(*want)["main"].get<TShortIntArray>()};
            if (!(*want)["second"].empty())
                numbers.push_back((*want)["second"].get<TShortIntArray>());
            EXPECT_EQ(got->Numbers, numbers);
            // Dates are written in the file's own order of day, month and year.
            std::string digits;
            for (char ch : (*want)["date"].get<std::string>())
                if (std::isdigit(static_cast<unsigned char>(ch)))
                    digits += ch;
            const std::string iso = Iso(got->Date);
            const std::string y = iso.substr(0, 4), m = iso.substr(5, 2), d = iso.substr(8, 2);
            static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
            const std::string named = d + "-" + months[std::stoi(m) - 1] + "-" + y;
            EXPECT_TRUE(digits == d + m + y || digits == m + d + y || digits == y + m + d || (*want)["date"] == named)
                << (*want)["date"] << " vs " << iso;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 6);
}

// The layouts the classic all-lines-agree search finds on well-behaved files
// (one integer count, unique dates in order a few days apart) stay the same.
TEST(ImportDrawsAI, WellBehavedFilesKeepTheClassicLayout)
{
    std::mt19937 rng(2024);
    const char* formations[] = {"0649", "0649|01BB", "0550|0212", "0545", "0569|0126"};
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE(trial);
        const std::string formation = formations[trial % 5];
        const bool dated = trial % 4 != 0;
        const TGameInfo g = Game(formation, dated ? 1 : 0);
        const int dateType = static_cast<int>(rng() % 8);
        const int leading = static_cast<int>(rng() % 3);
        const bool monthName = dateType < 4 && rng() % 3 == 0;
        std::ostringstream text;
        TDateTime date = EncodeDate(1995 + static_cast<int>(rng() % 20), 1 + static_cast<int>(rng() % 12), 1);
        std::vector<TArrayOfShortIntArray> draws;
        for (int line = 0; line < 40; ++line) {
            for (int k = 0; k < leading; ++k)
                text << 100 + line * 7 + k << ' ';
            int y = 0, m = 0, d = 0;
            DecodeDate(date, y, m, d);
            static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
            const std::string mm = monthName ? std::string(months[m - 1]) : Format("%2.2d", m);
            if (dated) {
                switch (dateType) {
                case 0: text << Format("%2.2d/", d) << mm << Format("/%4.4d ", y); break;
                case 1: text << mm << Format("/%2.2d/%4.4d ", d, y); break;
                case 2: text << Format("%4.4d-", y) << mm << Format("-%2.2d ", d); break;
                case 3: text << Format("%4.4d-%2.2d-", y, d) << mm << ' '; break;
                case 4: text << Format("%2.2d%2.2d%4.4d ", d, m, y); break;
                case 5: text << Format("%2.2d%2.2d%4.4d ", m, d, y); break;
                case 6: text << Format("%4.4d%2.2d%2.2d ", y, m, d); break;
                default: text << Format("%4.4d%2.2d%2.2d ", y, d, m); break;
                }
            }
            TArrayOfShortIntArray draw;
            for (int f = 0; f < g.FieldCount; ++f) {
                TShortIntArray balls;
                while (static_cast<int>(balls.size()) < g.Fields[f].Picked) {
                    const int b = 1 + static_cast<int>(rng() % static_cast<unsigned>(g.Fields[f].Total));
                    const bool inMain =
                        f == 1 && g.Field2Kind == 2 && std::find(draw[0].begin(), draw[0].end(), b) != draw[0].end();
                    if (!inMain && std::find(balls.begin(), balls.end(), b) == balls.end())
                        balls.push_back(static_cast<int8_t>(b));
                }
                std::sort(balls.begin(), balls.end());
                for (int8_t b : balls)
                    text << int(b) << ' ';
                draw.push_back(balls);
            }
            draws.push_back(draw);
            text << '\n';
            date += 3 + static_cast<int>(rng() % 5);
        }
        const std::string file = WriteTemp("classic.txt", text.str());
        TDrawClass model(g);
        TImportDrawsAIClass ai(model);
        ai.ShowMessages = false;
        ASSERT_TRUE(ai.AnalyzeFile(file)) << text.str().substr(0, 200);
        const int dateLen = dated ? ImportDateLength(dateType) : 0;
        // Where the same text reads as several formats, the classic search takes the first.
        EXPECT_LE(ai.DateType, dated ? dateType : 0);
        EXPECT_EQ(ai.DateStart, dated ? leading + 1 : 0);
        EXPECT_EQ(ai.NumbersStart, leading + dateLen + 1);
        EXPECT_EQ(ai.NumbersPerLine,
                  leading + dateLen +
                      static_cast<int>(draws[0][0].size() + (g.FieldCount == 2 ? draws[0][1].size() : 0)));
        ASSERT_EQ(ai.FoundDraws.size(), draws.size());
        for (size_t i = 0; i < draws.size(); ++i)
            EXPECT_EQ(ai.FoundDraws[i].Numbers, draws[i]);
    }
}

// A year written with more than two digits is read as written: "0018" and
// "018" are the year 18, outside every game's dates, never 2018.
TEST(ImportDrawsAI, LongYearsAreReadAsWritten)
{
    const std::string text = "27/12/2018 1 2 3 4 5 6\n"
                             "28/12/0018 7 8 9 10 11 12\n"
                             "29/12/18 13 14 15 16 17 18\n"
                             "30/12/018 19 20 21 22 23 24\n"
                             "31/12/99 25 26 27 28 29 30\n";
    std::string columns = text; // the same lines as a delimited file
    for (char& c : columns)
        c = c == ' ' ? ';' : c;
    const TGameInfo g = Game("0649", 1);
    TDrawClass model(g);
    for (const std::string& body : {text, columns})
        for (const bool manual : {true, false}) {
            if (manual && body == columns)
                continue; // the integer-skip layout is for undelimited text
            const std::string file = WriteTemp("years.txt", body);
            TImportDrawsAIClass ai(model);
            ai.ShowMessages = false;
            ASSERT_TRUE(manual ? ai.ExtractManual(file, 0, 0, 0) : ai.AnalyzeFile(file)) << manual << body;
            std::vector<std::string> dates;
            for (const TImportCandidate& c : ai.FoundDraws)
                dates.push_back(Iso(c.Date));
            EXPECT_EQ(dates, (std::vector<std::string>{"1999-12-31", "2018-12-27", "2018-12-29"})) << manual << body;
            ASSERT_EQ(ai.Skipped.size(), 1u) << manual << body;
            EXPECT_EQ(ai.Skipped[0].Lines, (std::vector<int>{2, 4})) << manual << body;
        }
}

TEST(ImportDrawsAI, ByteOrderMarksAreReadAsText)
{
    const std::string plain = "Date;N1;N2;N3;N4;N5;N6\r\n15 Mar 2012;3;8;12;25;31;40\r\n18 Mar 2012;1;2;3;4;5;6\r\n"
                              "22 M\xC3\xA4rz 2012;9;8;7;6;5;4\r\n25 Mar 2012;11;12;13;14;15;16\r\n";
    auto utf16 = [&](bool little) {
        std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
        const std::u32string wide =
            U"Date;N1;N2;N3;N4;N5;N6\r\n15 Mar 2012;3;8;12;25;31;40\r\n18 Mar 2012;1;2;3;4;5;6\r\n"
            U"22 M\u00E4rz 2012;9;8;7;6;5;4\r\n25 Mar 2012;11;12;13;14;15;16\r\n";
        for (char32_t ch : wide) {
            const char lo = static_cast<char>(ch & 0xFF), hi = static_cast<char>(ch >> 8);
            out += little ? std::string{lo, hi} : std::string{hi, lo};
        }
        return out;
    };
    const std::vector<std::pair<std::string, std::string>> files = {
        {"plain", plain}, {"utf8", "\xEF\xBB\xBF" + plain}, {"utf16le", utf16(true)}, {"utf16be", utf16(false)}};
    TDrawClass model(Game("0649", 1));
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        TImportDrawsAIClass ai(model);
        ai.ShowMessages = false;
        ASSERT_TRUE(ai.AnalyzeFile(WriteTemp(name + ".csv", bytes)));
        EXPECT_EQ(ai.Layout.Kind, TImportLayout::TKind::Columns);
        EXPECT_EQ(ai.Layout.Delimiter, ';');
        EXPECT_EQ(ai.Layout.DateColumn, 1);
        EXPECT_EQ(ai.Layout.Field1Columns, (std::vector<int>{2, 3, 4, 5, 6, 7}));
        ASSERT_NE(ai.Table(), nullptr);
        EXPECT_EQ(ai.Table()->ColumnName(0), "Date");
        ASSERT_EQ(ai.FoundDraws.size(), 3u);
        EXPECT_EQ(Iso(ai.FoundDraws[0].Date), "2012-03-15");
        EXPECT_EQ(Iso(ai.FoundDraws[2].Date), "2012-03-25");
        // "März" is no English month: that line has no date and says so.
        EXPECT_EQ(ai.SkippedTexts(), (std::vector<std::string>{"1 line skipped: no date"}));
    }
}

TEST(ImportDrawsAI, FilesThatCannotBeReadSaySo)
{
    TDrawClass model(Game("0649", 1));
    const std::string missing = (TempDir() / "no such file.txt").string();
    const std::string folder = TempDir().string();
    const std::string huge = (TempDir() / "huge.txt").string();
    std::string lines;
    for (int i = 0; i <= 1'000'000; ++i)
        lines += "1 2 3 4 5 6\n";
    const std::string many = WriteTemp("many.txt", lines);
    {
        std::ofstream(huge) << "";
        fs::resize_file(huge, size_t(200) << 20); // sparse: no disk is spent
    }
    struct Row {
        std::string file, message;
    } rows[] = {
        {missing, "Unable to load file\n\r'" + missing + "'"},
        {folder, "Unable to load file\n\r'" + folder + "'"},
        {huge,
         "Unable to load file\n\r'" + huge + "'\n\rThe file is larger than 16 MB, far more than a draws history."},
        {many, "Unable to load file\n\r'" + many +
                   "'\n\rThe file holds more than 1000000 lines with numbers, far more than a draws history."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        TScriptedDialogs dialogs;
        TImportDrawsAIClass ai(model);
        EXPECT_FALSE(ai.AnalyzeFile(row.file));
        EXPECT_FALSE(ai.ExtractManual(row.file, 0, 0, 0));
        EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{row.message, row.message}));
        EXPECT_TRUE(ai.FoundDraws.empty());
    }
    fs::remove(huge);
}

// Hostile bytes end in a message or an empty preview, never a crash, and nothing reaches the game.
TEST(ImportDrawsAI, HostileFilesEndInAMessageOrNothing)
{
    std::mt19937 rng(7);
    std::string binary(1 << 20, '\0');
    for (char& ch : binary)
        ch = static_cast<char>(rng());
    const std::string nuls = std::string("15/03/2012\0 3 8 12\0 25 31 40\n", 30) + std::string(5000, '\0');
    std::string loneCr;
    for (int i = 0; i < 20; ++i)
        loneCr += Format("%2.2d/03/2012 %d %d %d %d %d %d\r", i + 1, i + 1, i + 2, i + 3, i + 4, i + 5, i + 6);
    const std::string digits(10'000'000, '7');
    std::string commas;
    for (int i = 0; i < 2'000'000; ++i)
        commas += "5,";
    const struct {
        const char* name;
        std::string bytes;
        size_t draws;
    } rows[] = {
        {"binary", binary, 0}, {"nuls", nuls, 1}, {"lonecr", loneCr, 20}, {"digits", digits + "\n1 2 3\n", 0},
        {"commas", commas, 0}, {"empty", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TScriptedDialogs dialogs;
        TDrawClass model(Game("0649", 1));
        TImportDrawsAIClass ai(model);
        const bool ready = ai.AnalyzeFile(WriteTemp(std::string(row.name) + ".txt", row.bytes));
        EXPECT_EQ(ai.FoundDraws.size(), row.draws);
        EXPECT_EQ(ready, row.draws > 0);
        EXPECT_EQ(dialogs.shown.size(), 1u); // "analyzed" or why not
        EXPECT_EQ(model.DrawCount(), 0);
        // A manual layout over the same bytes reads nothing it should not.
        TImportDrawsAIClass manual(model);
        manual.ShowMessages = false;
        manual.ExtractManual(WriteTemp(std::string(row.name) + ".txt", row.bytes), 3, 0, 0);
        for (const TImportCandidate& c : manual.FoundDraws) {
            TArrayOfShortIntArray numbers = c.Numbers;
            EXPECT_TRUE(model.CheckNumbers(numbers));
        }
    }
}

TEST(ImportDrawsAI, ImportAddsInShownOrderAndOnlyOnce)
{
    const std::string undated = WriteTemp("undated.txt", "1 2 3 4 5 6\n7 8 9 10 11 12\n13 14 15 16 17 18\n");
    TDrawClass model(Game("0649", 0));
    TImportDrawsAIClass ai(model);
    ai.ShowMessages = false;
    ASSERT_TRUE(ai.AnalyzeFile(undated));
    // Reversed: a newest-first file becomes oldest first in the game.
    EXPECT_EQ(ImportCandidates(model, ai.FoundDraws, true), 3);
    EXPECT_EQ(model.GetDrawNumbers(1, 1), (TShortIntArray{13, 14, 15, 16, 17, 18}));
    EXPECT_EQ(model.GetDrawNumbers(3, 1), (TShortIntArray{1, 2, 3, 4, 5, 6}));

    // A dated game takes a file's draws once; the second analysis offers none.
    const std::string dated = WriteTemp("dated.txt", "02/01/2020 1 2 3 4 5 6\n01/01/2020 7 8 9 10 11 12\n");
    TDrawClass game(Game("0649", 1));
    TImportDrawsAIClass first(game);
    first.ShowMessages = false;
    ASSERT_TRUE(first.ExtractManual(dated, 0, 0, 0));
    EXPECT_TRUE(first.Descending);
    EXPECT_EQ(ImportCandidates(game, first.FoundDraws, false), 2);
    EXPECT_EQ(Iso(game.GetDraw(1)->Date), "2020-01-01");
    TImportDrawsAIClass second(game);
    second.ShowMessages = false;
    ASSERT_TRUE(second.ExtractManual(dated, 0, 0, 0));
    EXPECT_TRUE(second.FoundDraws.empty());
    EXPECT_EQ(second.SkippedTexts(), std::vector<std::string>{"2 lines skipped: already in the game"});
}

// The entry point a later update of a game reuses: a layout stored from one file
// of a lottery reads its next file as it stands; one that no longer suits says so.
TEST(ImportDrawsAI, AStoredLayoutReadsTheNextFileOfItsLottery)
{
    TDrawClass model(Game("0649|01BB", 1));
    auto lines = [](int from, int count) {
        std::string text = "Draw;Date;N1;N2;N3;N4;N5;N6;Bonus\n";
        for (int i = from; i < from + count; ++i) {
            int y = 0, m = 0, d = 0;
            DecodeDate(EncodeDate(2020, 1, 4) + 7 * i, y, m, d);
            text += Format("%d;%2.2d.%2.2d.%4.4d;%d;%d;%d;%d;%d;%d;%d\n", 500 + i, d, m, y, 1 + i % 8, 10 + i % 7,
                           20 + i % 5, 30, 40, 49 - i % 3, 9);
        }
        return text;
    };
    const TImportResult first = AnalyzeImportText(lines(0, 30), model);
    ASSERT_TRUE(first.Ready);
    EXPECT_TRUE(first.Fits);
    EXPECT_EQ(first.Draws.size(), 30u);
    EXPECT_EQ(first.Messages.size(), 1u); // "File analyzed."
    ASSERT_TRUE(first.Layout.Complete(true));
    EXPECT_EQ(first.Layout.DateColumn, 2);
    EXPECT_EQ(first.Layout.Field2Columns, std::vector<int>{9});

    TImportLayout stored;
    ASSERT_TRUE(TImportLayout::FromText(first.Layout.ToText(), stored));
    const TImportResult next = AnalyzeImportText(lines(25, 40), model, stored);
    EXPECT_TRUE(next.Ready);
    EXPECT_TRUE(next.Fits);
    EXPECT_TRUE(next.Messages.empty());
    ASSERT_EQ(next.Draws.size(), 40u);
    EXPECT_EQ(next.Draws.front().Date, EncodeDate(2020, 1, 4) + 7 * 25);
    EXPECT_EQ(next.Layout, stored);

    // Another lottery's file: the stored columns hold no draws there.
    const std::string other = "Date,Numbers\n2021-01-02,1 2 3 4 5 6 7\n2021-01-05,8 9 10 11 12 13 14\n";
    const TImportResult wrong = AnalyzeImportText(other, model, stored);
    EXPECT_TRUE(wrong.Ready);
    EXPECT_FALSE(wrong.Fits);
    EXPECT_TRUE(wrong.Draws.empty());
    ASSERT_FALSE(wrong.Skipped.empty());
    EXPECT_EQ(wrong.Skipped.front().Reason, "too few numbers");
    const TImportResult fresh = AnalyzeImportText(other, model);
    EXPECT_TRUE(fresh.Fits);
    EXPECT_EQ(fresh.Draws.size(), 2u);
    EXPECT_EQ(fresh.Layout.Field1Columns, std::vector<int>{2});
    EXPECT_TRUE(fresh.Layout.Field2Columns.empty());

    // A kind asked for is kept to: integers of a delimited file, columns of plain text.
    TImportLayout integers;
    integers.Kind = TImportLayout::TKind::Integers;
    const TImportResult byIntegers = AnalyzeImportText(lines(0, 30), model, integers);
    EXPECT_TRUE(byIntegers.Ready);
    EXPECT_EQ(byIntegers.Layout.Kind, TImportLayout::TKind::Integers);
    EXPECT_EQ(byIntegers.Layout.NumbersStart, 5);
    TImportLayout columns;
    columns.Kind = TImportLayout::TKind::Columns;
    const TImportResult plain = AnalyzeImportText("15/03/2012 3 8 12 25 31 40 7\n", model, columns);
    EXPECT_FALSE(plain.Ready);
    EXPECT_EQ(plain.Messages, std::vector<std::string>{"Unable to analyze the history draw file.\n\rCannot find the "
                                                       "required amount of numbers per line.\n\rYou can manually "
                                                       "adjust the import parameters."});
}

// Hostile delimited files: a quote never closed costs its line, a huge field or
// a million columns cost nothing beyond their bytes, NUL bytes are blanks.
TEST(ImportDrawsAI, HostileDelimitedFilesLoseOnlyWhatIsDamaged)
{
    auto draws = [](int from, int to) {
        std::string text;
        for (int i = from; i < to; ++i)
            text += Format("%2.2d/03/2019;%d;%d;%d;%d;%d;%d\n", i + 1, i + 1, i + 2, i + 3, i + 4, i + 5, i + 6);
        return text;
    };
    static const char nuls[] = "15/03/2019;\0 1;2;3;4;5;6\n16/03/2019;2;3;4;5;6;7\0\n";
    std::string wide = "x";
    for (int i = 0; i < 1'000'000; ++i)
        wide += ";7";
    const struct {
        const char* name;
        std::string bytes;
        size_t draws;
        std::vector<std::string> skipped;
    } rows[] = {
        {"open quote",
         draws(0, 3) + "04/03/2019;\"4;5;6;7;8;9\n" + draws(4, 20),
         19,
         {"1 line skipped: a quote never closed"}},
        {"huge field",
         draws(0, 10) + "11/03/2019;\"" + std::string(5'000'000, '1') + "\";2;3;4;5;6\n",
         10,
         {"1 line skipped: not a number where the numbers stand"}},
        {"a million columns", draws(0, 10) + wide + "\n", 10, {"1 line skipped: no date"}},
        {"NUL bytes", std::string(nuls, sizeof nuls - 1), 2, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TDrawClass model(Game("0649", 1));
        TImportDrawsAIClass ai(model);
        ai.ShowMessages = false;
        ASSERT_TRUE(ai.AnalyzeFile(WriteTemp("hostile.csv", row.bytes)));
        EXPECT_EQ(ai.Layout.Kind, TImportLayout::TKind::Columns);
        EXPECT_EQ(ai.FoundDraws.size(), row.draws);
        EXPECT_EQ(ai.SkippedTexts(), row.skipped);
    }
}
