// Delimited text for the import: what one field yields, which delimiter a file
// uses, how its rows are split (quotes, line ends, bounds), and the layout value
// that is stored in a game's options file.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "data/DelimitedText.h"
#include "data/ImportDrawsAI.h"
#include "data/ImportLayout.h"
#include "data/Utils.h"

namespace {

std::vector<std::string> RowCells(const TImportTable& t, size_t row)
{
    std::vector<std::string> cells;
    for (int c = 0; c < t.Fields(row); ++c)
        cells.emplace_back(t.Cell(row, c));
    return cells;
}

TImportTable Split(const std::string& text, char delimiter)
{
    TImportTable t;
    std::string error;
    EXPECT_TRUE(SplitColumns(text, delimiter, t, 1000, error)) << error;
    return t;
}

} // namespace

TEST(DelimitedText, AFieldYieldsItsIntegersOrNothing)
{
    const struct {
        std::string field;
        bool numbers;
        std::vector<int32_t> values;
    } rows[] = {
        {"", true, {}},
        {"  ", true, {}},
        {"-", true, {}},
        {"14", true, {14}},
        {" 07 ", true, {7}},
        {"14.0", true, {14}},
        {"14.00", true, {14}},
        {"-3", true, {-3}},
        {"201.", true, {201}},
        {"{4,9,22,31,33,40}", true, {4, 9, 22, 31, 33, 40}},
        {"[1, 2]", true, {1, 2}},
        {"'5;6'", true, {5, 6}},
        {"10 13 14 22 52 11", true, {10, 13, 14, 22, 52, 11}},
        {"03 - 43 - 60 - 66 - 69", true, {3, 43, 60, 66, 69}},
        {"4-9-22-31-33+7", true, {4, 9, 22, 31, 33, 7}},
        {"4/9/22", true, {4, 9, 22}},
        {"2019.03.15.", true, {2019, 3, 15}},
        {"15. 3. 2019", true, {15, 3, 2019}},
        {"2019-03-15", true, {2019, 3, 15}},
        {"99999999999999999999", true, {INT32_MAX}},
        {"14.5", false, {}},
        {"1.714.650,23", false, {}},
        {"1.714.650", false, {}},
        {"435 530,60 EUR", false, {}},
        {"435 530,60", false, {}},
        {"1 714 650", false, {}},
        {"1,000,000", false, {}},
        {"$40,000,000", false, {}},
        {"HZQP15472", false, {}},
        {"3f2a9c1e-04b2-4c71", false, {}},
        {"20:59", false, {}},
        {"2021-03-13T22:59:00", false, {}},
        {"nan", false, {}},
        {"2x", false, {}},
        {"7*", false, {}},
        {"1.2.3.4.5", false, {}},
    };
    std::vector<int32_t> out{99};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(ReadFieldIntegers(row.field, out), row.numbers);
        if (row.numbers) {
            EXPECT_EQ(out, row.values);
        }
    }
    // A list longer than any draw is something else (codes, a whole history in one field).
    std::string list;
    for (int i = 0; i < kMaxFieldIntegers; ++i)
        list += std::to_string(i % 50) + ",";
    EXPECT_TRUE(ReadFieldIntegers(list, out));
    EXPECT_EQ(out.size(), size_t(kMaxFieldIntegers));
    EXPECT_FALSE(ReadFieldIntegers(list + "7", out));
}

TEST(DelimitedText, ADateFieldYieldsDayMonthAndYearInItsOrder)
{
    const struct {
        std::string field;
        std::vector<uint32_t> parts;
    } rows[] = {
        {"28-Mar-2023", {28, 3, 2023}},
        {"Friday, November 2, 2018", {11, 2, 2018}},
        {"Sat 15Mar2019", {15, 3, 2019}},
        {"15th March 2019", {15, 3, 2019}},
        {"2021-01-02T22:59:00-05:00", {2021, 1, 2}},
        {"3/15/2019 12:00:00 AM", {3, 15, 2019}},
        {"2019.03.15.", {2019, 3, 15}},
        {"15. 3. 2019", {15, 3, 2019}},
        {"20190315", {20190315}},
        {"Mi, 15.03.2019", {15, 3, 2019}},
        {"", {}},
        {"HZQP15472", {}},
        {"12ab-3-4", {}},
        {"1 2 3 4", {}},
        {"Draw", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        const TDateParts p = ReadDateParts(row.field);
        EXPECT_EQ(std::vector<uint32_t>(p.Values, p.Values + p.Count), row.parts);
    }
    // Read with a format: the count of integers must be the format's.
    EXPECT_EQ(ImportFieldDate("28-Mar-2023", 0), EncodeDate(2023, 3, 28));
    EXPECT_EQ(ImportFieldDate("3/15/2019", 1), EncodeDate(2019, 3, 15));
    EXPECT_EQ(ImportFieldDate("3/15/2019", 0), 0);
    EXPECT_EQ(ImportFieldDate("20190315", 6), EncodeDate(2019, 3, 15));
    EXPECT_EQ(ImportFieldDate("20190315", 0), 0);
    EXPECT_EQ(ImportFieldDate("31/02/2019", 0), 0);
    EXPECT_EQ(ImportFieldDate("15/03/2019", 9), 0);
}

TEST(DelimitedText, TheDelimiterIsTheOneThatSplitsTheLinesAlike)
{
    const struct {
        const char* name;
        std::string text;
        char delimiter;
    } rows[] = {
        {"comma", "Date,N1,N2\n2019-03-15,4,9\n2019-03-18,5,7\n", ','},
        {"semicolon with decimal commas", "15.03.2019;4;9;1.234,50\n18.03.2019;5;7;980,00\n22.03.2019;1;2;7,5\n", ';'},
        {"tab", "15/03/2019\t4\t9\n18/03/2019\t5\t7\n", '\t'},
        {"pipe", "a|4|9\nb|5|7\n", '|'},
        {"lists of numbers in a field", "2019;1,2,3,4,5,6;7\n2019;8,9,10,11,12,13;14\n", ';'},
        {"quoted commas", "\"Friday, March 15, 2019\",4\n\"Tuesday, March 19, 2019\",5\n", ','},
        {"title, header and footer", "Results\nDate;A;B\n1;2;3\n4;5;6\n7;8;9\n10;11;12\nEnd\n", ';'},
        {"spaces", "15/03/2012 3 8 12 25 31 40\n18/03/2012 1 2 3 4 5 6\n", 0},
        {"one field", "1\n2\n3\n", 0},
        {"no agreement", "1,2\n3,4,5\n6,7,8,9\n1;2\n", 0},
        {"empty", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DetectDelimiter(row.text), row.delimiter);
    }
}

TEST(DelimitedText, RowsKeepTheirFieldsLinesAndHeader)
{
    const std::string text = "Lotto results 2019\r\n"
                             "\"Date\",\"Numbers\",\"Note\"\r\n"
                             "\r\n"
                             "2019-03-15,\"4,9,22\",\"said \"\"hi\"\"\"\r"
                             "2019-03-18, 5 ,\"two\nlines\"\n"
                             "2019-03-22,6,last,\n"
                             "2019-03-25,7,x";
    const TImportTable t = Split(text, ',');
    ASSERT_EQ(t.Rows(), 6u);
    EXPECT_EQ(t.Columns, 3);
    EXPECT_EQ(t.HeaderRow, 1);
    EXPECT_EQ(t.ColumnName(1), "Numbers");
    EXPECT_EQ(t.ColumnName(5), "");
    EXPECT_EQ(RowCells(t, 0), (std::vector<std::string>{"Lotto results 2019"}));
    EXPECT_EQ(RowCells(t, 2), (std::vector<std::string>{"2019-03-15", "4,9,22", "said \"hi\""}));
    EXPECT_EQ(RowCells(t, 3), (std::vector<std::string>{"2019-03-18", "5", "two\nlines"}));
    EXPECT_EQ(RowCells(t, 4), (std::vector<std::string>{"2019-03-22", "6", "last", ""}));
    const int lines[] = {1, 2, 4, 5, 7, 8};
    for (size_t r = 0; r < t.Rows(); ++r)
        EXPECT_EQ(t.Line(r), lines[r]) << r;
    EXPECT_EQ(t.Cell(5, 3), "");
    EXPECT_TRUE(t.QuoteLines.empty());

    // Tab delimited: tabs are no spaces to trim; NUL bytes stay inside fields.
    const TImportTable tabs = Split(std::string("a\t\tb\x00x\t c \n", 11), '\t');
    ASSERT_EQ(tabs.Rows(), 1u);
    EXPECT_EQ(RowCells(tabs, 0), (std::vector<std::string>{"a", "", std::string("b\x00x", 3), "c"}));
    EXPECT_EQ(tabs.HeaderRow, -1);
}

// Hostile text costs only what it holds: a quote never closed loses its line,
// a field is kept cut, a row keeps its first columns, rows are counted.
TEST(DelimitedText, HostileTextIsSplitWithinBounds)
{
    std::string text = "2019-03-15,1,2\n2019-03-16,\"3,4\n";
    for (int i = 0; i < 20; ++i)
        text += "2019-04-" + std::to_string(10 + i) + "," + std::to_string(i) + ",9\n";
    TImportTable t = Split(text, ',');
    EXPECT_EQ(t.QuoteCount, 1);
    EXPECT_EQ(t.QuoteLines, std::vector<int>{2});
    ASSERT_EQ(t.Rows(), 21u);
    EXPECT_EQ(t.Line(1), 3);
    EXPECT_EQ(t.Cell(20, 1), "19");
    // A quote open on the last line.
    t = Split("1,2\n3,\"4\n", ',');
    EXPECT_EQ(t.Rows(), 1u);
    EXPECT_EQ(t.QuoteLines, std::vector<int>{2});

    std::string wide;
    for (int i = 0; i < 1'000'000; ++i)
        wide += "7,";
    t = Split(wide + "\n1,2\n", ',');
    ASSERT_EQ(t.Rows(), 2u);
    EXPECT_EQ(t.Fields(0), kMaxImportColumns);
    EXPECT_EQ(t.Cell(0, kMaxImportColumns - 1), "7");

    const std::string huge(kMaxImportFieldBytes * 3, '5');
    t = Split("\"" + huge + "\",1\n", ',');
    ASSERT_EQ(t.Rows(), 1u);
    EXPECT_TRUE(t.Cut(0, 0));
    EXPECT_FALSE(t.Cut(0, 1));
    EXPECT_EQ(t.Cell(0, 0).size(), kMaxImportFieldBytes);

    std::string many;
    for (int i = 0; i < 1001; ++i)
        many += "1,2\n";
    TImportTable limited;
    std::string error;
    EXPECT_FALSE(SplitColumns(many, ',', limited, 1000, error));
    EXPECT_EQ(error, "too many rows");
    EXPECT_EQ(limited.Rows(), 0u);
}

TEST(ImportLayout, WrittenAndReadBackAsOneLine)
{
    TImportLayout columns;
    columns.Kind = TImportLayout::TKind::Columns;
    columns.Delimiter = '\t';
    columns.DateColumn = 4;
    columns.DateType = 2;
    columns.Field1Columns = {5, 6, 7, 8, 9, 10};
    columns.Field2Columns = {12};
    columns.SequenceColumn = 3;
    TImportLayout integers;
    integers.Kind = TImportLayout::TKind::Integers;
    integers.DateStart = 2;
    integers.DateType = 0;
    integers.NumbersStart = 5;
    for (const TImportLayout& layout : {columns, integers, TImportLayout{}}) {
        const std::string text = layout.ToText();
        EXPECT_EQ(text.find('\n'), std::string::npos);
        TImportLayout back;
        back.NumbersStart = 77;
        ASSERT_TRUE(TImportLayout::FromText(text, back)) << text;
        EXPECT_EQ(back, layout) << text;
    }
    EXPECT_EQ(columns.ToText(), "{\"kind\":\"columns\",\"date_format\":2,\"delimiter\":\"\\t\",\"date_column\":4,"
                                "\"field1\":[5,6,7,8,9,10],\"field2\":[12],\"sequence_column\":3}");
    EXPECT_TRUE(columns.Complete(true));
    EXPECT_TRUE(integers.Complete(true));
    EXPECT_FALSE(TImportLayout{}.Complete(false));

    // Damage is refused whole; the layout given stays as it was.
    const std::string damaged[] = {
        "",
        "{}",
        "[1]",
        "not json",
        R"({"kind":"rows"})",
        R"({"kind":"columns","date_format":9})",
        R"({"kind":"columns","date_format":"2"})",
        R"({"kind":"columns","delimiter":"x"})",
        R"({"kind":"columns","delimiter":";;"})",
        R"({"kind":"columns","field1":[0]})",
        R"({"kind":"columns","field1":[257]})",
        R"({"kind":"columns","field1":"5-10"})",
        R"({"kind":"columns","date_column":-1})",
        R"({"kind":"columns","sequence_column":-2})",
        R"({"kind":"integers","numbers_start":-1})",
        R"({"kind":"integers","date_start":1000})",
        "{\"kind\":\"columns\",\"field1\":[" + std::string(4090, ' ') + "1]}",
    };
    for (const std::string& text : damaged) {
        TImportLayout layout = columns;
        EXPECT_FALSE(TImportLayout::FromText(text, layout)) << text;
        EXPECT_EQ(layout, columns);
    }
    std::string long65 = R"({"kind":"columns","field1":[)";
    for (int i = 0; i < 65; ++i)
        long65 += (i ? "," : "") + std::to_string(1 + i);
    TImportLayout layout;
    EXPECT_FALSE(TImportLayout::FromText(long65 + "]}", layout));
}

TEST(ImportLayout, ColumnListsWithRanges)
{
    const struct {
        std::string text;
        bool ok;
        std::vector<int> columns;
    } rows[] = {
        {"5-10,12", true, {5, 6, 7, 8, 9, 10, 12}},
        {"2", true, {2}},
        {"3,1", true, {3, 1}},
        {"256", true, {256}},
        {"", false, {}},
        {"0", false, {}},
        {"257", false, {}},
        {"3-1", false, {}},
        {"1,,2", false, {}},
        {"1,", false, {}},
        {",1", false, {}},
        {"1-", false, {}},
        {"a", false, {}},
        {"1 2", false, {}},
        {"1-65", false, {}},
        {"99999999", false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::vector<int> columns{42};
        EXPECT_EQ(ParseImportColumns(row.text, columns), row.ok);
        EXPECT_EQ(columns, row.ok ? row.columns : std::vector<int>{42});
        if (row.ok && std::is_sorted(row.columns.begin(), row.columns.end())) {
            EXPECT_TRUE(ParseImportColumns(ImportColumnsText(columns), columns) && columns == row.columns);
        }
    }
    EXPECT_EQ(ImportColumnsText({5, 6, 7, 8, 9, 10, 12, 14, 15}), "5-10,12,14-15");
    EXPECT_EQ(ImportColumnsText({}), "");
}
