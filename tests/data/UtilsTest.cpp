#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "data/Utils.h"
#include "platform/Paths.h"

namespace {

// C(n, k) by the multiplicative formula, the reference of the tables; 0 on overflow.
int64_t CombinationsExact(int n, int k)
{
    if (n < 0 || k < 0 || k > n)
        return 0;
    if (k == 0 || k == n)
        return 1;
    int64_t v = 1;
    const int m = std::min(k, n - k);
    for (int i = 0; i < m; ++i) {
        int64_t product = 0;
        if (__builtin_mul_overflow(v, int64_t(n) - i, &product))
            return 0;
        v = product / (i + 1);
    }
    return v < 0 ? 0 : v;
}

// The rank straight from its definition: for each ball, the subsets that
// start with a smaller value at that place.
int64_t DirectRank(const TShortIntArray& balls, int v, int k)
{
    int64_t rank = 0;
    int previous = 0;
    for (int i = 1; i <= k; ++i) {
        for (int j = previous + 1; j < balls[i - 1]; ++j)
            rank += CombinationsExact(v - j, k - i);
        previous = balls[i - 1];
    }
    return rank;
}

TShortIntArray RandomSet(std::mt19937& rng, int v, int k)
{
    std::set<int> chosen;
    while (static_cast<int>(chosen.size()) < k)
        chosen.insert(static_cast<int>(rng() % v) + 1);
    return TShortIntArray(chosen.begin(), chosen.end());
}

std::string TempFolder(const std::string& leaf)
{
    const char* t = std::getenv("JUX_TEST_TMP");
    std::string dir = std::string(t ? t : "/tmp/jux_utils_test") + "/" + leaf + "/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

} // namespace

TEST(Counting, CombinationTables)
{
    struct Case {
        int n, k;
        int32_t c32;
        int64_t c64;
    } cases[] = {
        {49, 6, 13983816, 13983816},
        {99, 7, 0, 14887031544LL},
        {75, 7, 1984829850, 1984829850},
        {76, 7, 0, 2186189400LL},
        {0, 0, 1, 1},
        {99, 99, 1, 1},
        {99, 0, 1, 1},
        {10, 11, 0, 0},
        {-1, 0, 0, 0},
        {100, 1, 0, 0},
        {35, 5, 324632, 324632},
        {99, 49, 0, 0}, // 5.0e28 does not fit 64 bits
        {66, 33, 0, 7219428434016265740LL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Combinations(c.n, c.k), c.c32) << c.n << "," << c.k;
        EXPECT_EQ(Combinations64(c.n, c.k), c.c64) << c.n << "," << c.k;
    }
    // The table agrees with the multiplicative formula wherever both fit.
    for (int n = 0; n <= 99; ++n)
        for (int k = 0; k <= n; ++k) {
            const int64_t exact = CombinationsExact(n, k);
            if (exact > 0 && Combinations64(n, k) > 0) {
                EXPECT_EQ(exact, Combinations64(n, k)) << n << "," << k;
            }
        }
    EXPECT_EQ(CombinationsExact(5, 0), 1);
    EXPECT_EQ(CombinationsExact(5, 5), 1);
    EXPECT_EQ(CombinationsExact(5, 6), 0);
    EXPECT_EQ(CombinationsExact(1000, 500), 0); // overflow answers 0
}

TEST(Counting, Powers)
{
    struct Case {
        int a, b;
        int32_t power;
    } cases[] = {{2, 10, 1024}, {7, 7, 823543}, {0, 0, 1},           {0, 3, 0},   {5, -2, 1},  {10, 9, 1000000000},
                 {10, 10, 0},   {2, 31, 0},     {2, 30, 1073741824}, {-2, 3, -8}, {-2, 33, 0}, {99, 7, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(PowerTable(c.a, c.b), c.power) << c.a << "^" << c.b;
    // Inside the table and just past it.
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b) {
            int64_t power = 1;
            for (int i = 0; i < b; ++i)
                power *= a;
            EXPECT_EQ(PowerTable(a, b), power) << a << "^" << b;
        }
}

TEST(Balls, RankOfTheKnownDraw)
{
    const TShortIntArray balls{5, 12, 23, 31, 40, 44};
    EXPECT_EQ(RankBalls(balls, 49, 6), 0x62C563);
    EXPECT_EQ(RankBalls(TShortIntArray{1, 2, 3, 4, 5, 6}, 49, 6), 0);
    EXPECT_EQ(RankBalls(TShortIntArray{44, 45, 46, 47, 48, 49}, 49, 6), 13983815);
    TShortIntArray back;
    ASSERT_TRUE(UnrankBalls(6473059, 49, 6, back));
    EXPECT_EQ(back, balls);
}

TEST(Balls, RankUnrankRoundTripsForEveryPick)
{
    std::mt19937 rng(20240611);
    for (int k = 1; k <= 7; ++k) {
        const int maxV = k <= 6 ? 99 : 75;
        for (int round = 0; round < 3000; ++round) {
            const int v = k + 1 + static_cast<int>(rng() % (maxV - k));
            const TShortIntArray balls = RandomSet(rng, v, k);
            const int64_t rank = RankBalls(balls, v, k);
            ASSERT_EQ(rank, DirectRank(balls, v, k)) << "k=" << k << " v=" << v;
            ASSERT_GE(rank, 0);
            ASSERT_LT(rank, Combinations64(v, k));
            TShortIntArray back;
            ASSERT_TRUE(UnrankBalls(rank, v, k, back));
            ASSERT_EQ(back, balls) << "k=" << k << " v=" << v << " rank=" << rank;
        }
        // The two ends of the range.
        const int v = maxV;
        TShortIntArray lowest, highest;
        for (int i = 1; i <= k; ++i) {
            lowest.push_back(static_cast<int8_t>(i));
            highest.push_back(static_cast<int8_t>(v - k + i));
        }
        EXPECT_EQ(RankBalls(lowest, v, k), 0);
        EXPECT_EQ(RankBalls(highest, v, k), Combinations64(v, k) - 1);
    }
}

TEST(Balls, BadRankArgumentsAreRefused)
{
    TShortIntArray out{9};
    struct Case {
        int64_t rank;
        int v, k;
    } unrank[] = {{-1, 49, 6}, {13983816, 49, 6}, {0, 0, 1},   {0, 100, 1},
                  {0, 5, 6},   {0, 49, 0},        {0, 49, 13}, {LLONG_MAX, 99, 7}};
    for (const auto& c : unrank) {
        EXPECT_FALSE(UnrankBalls(c.rank, c.v, c.k, out)) << c.rank << " " << c.v << " " << c.k;
        EXPECT_EQ(out, TShortIntArray{9});
    }
    struct RankCase {
        TShortIntArray balls;
        int v, k;
    } rank[] = {{{3, 2}, 10, 2}, {{2, 2}, 10, 2},  {{0, 2}, 10, 2},  {{1, 11}, 10, 2},
                {{1}, 10, 2},    {{-5, 3}, 10, 2}, {{1, 2}, 100, 2}, {{1, 2}, 10, 0}};
    for (const auto& c : rank)
        EXPECT_EQ(RankBalls(c.balls, c.v, c.k), -1);
    EXPECT_EQ(RankBalls(nullptr, 10, 2), -1);
}

TEST(StreamStrings, Encoding)
{
    struct Case {
        std::string text;
        std::vector<uint8_t> bytes;
    } cases[] = {{"AB", {0x41, 0x42, 0x00}}, {"", {0x00}}, {"\xE9t\xE9", {0xE9, 0x74, 0xE9, 0x00}}};
    for (const auto& c : cases) {
        TMemoryStream s;
        StoreString(s, c.text);
        EXPECT_EQ(s.Bytes(), c.bytes);
        s.Seek(0);
        EXPECT_EQ(LoadString(s), c.text);
        EXPECT_TRUE(s.AtEnd());
    }
    TMemoryStream s;
    try {
        StoreString(s, std::string("A\0B", 3));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "StoreString error : string contains control character #0.");
    }
    EXPECT_EQ(s.Bytes(), (std::vector<uint8_t>{0x41})); // raised before the zero byte
}

TEST(StreamStrings, UnterminatedStringRaises)
{
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{0x41, 0x42}, std::vector<uint8_t>(1 << 20, 0x41)}) {
        TMemoryStream s(bytes);
        EXPECT_THROW(LoadString(s), EStreamError);
        EXPECT_EQ(s.Position(), 0u);
    }
    TMemoryStream two(std::vector<uint8_t>{'a', 0, 'b', 0});
    EXPECT_EQ(LoadString(two), "a");
    EXPECT_EQ(LoadString(two), "b");
    EXPECT_THROW(LoadString(two), EStreamError);
}

TEST(StreamStrings, ByteArrays)
{
    const TArrayOfShortIntArray arrays{{1, -2, 127}, {}, {-128}};
    TMemoryStream s;
    WriteByteArrays(s, arrays);
    EXPECT_EQ(s.Size(), 4u + (4 + 3) + 4 + (4 + 1));
    s.Seek(0);
    EXPECT_EQ(ReadByteArrays(s), arrays);
    EXPECT_TRUE(s.AtEnd());

    // Lengths announcing more than the stream holds are refused before any allocation.
    struct Case {
        int32_t length;
        size_t bytes;
        bool arrays;
    } bad[] = {{INT_MAX, 10, false}, {5, 4, false}, {INT_MAX, 100, true}, {3, 8, true}, {1 << 30, 0, true}};
    for (const auto& c : bad) {
        TMemoryStream m;
        m.WriteI32(c.length);
        for (size_t i = 0; i < c.bytes; ++i)
            m.WriteU8(0);
        m.Seek(0);
        if (c.arrays)
            EXPECT_THROW(ReadByteArrays(m), EStreamError) << c.length;
        else
            EXPECT_THROW(ReadBytes(m), EStreamError) << c.length;
    }
    for (int32_t length : {0, -1, INT_MIN}) {
        TMemoryStream m;
        m.WriteI32(length);
        m.WriteU8(7);
        m.Seek(0);
        EXPECT_TRUE(ReadBytes(m).empty());
        EXPECT_EQ(m.Position(), 4u);
        m.Seek(0);
        EXPECT_TRUE(ReadByteArrays(m).empty());
    }
}

TEST(NumberText, TextToBallsAndBack)
{
    EXPECT_EQ(TextToBalls("05 12;23,31-40/44"), (TShortIntArray{5, 12, 23, 31, 40, 44}));
    EXPECT_EQ(TextToBalls(""), TShortIntArray{});
    EXPECT_EQ(TextToBalls("127 0"), (TShortIntArray{127, 0}));
    EXPECT_THROW(TextToBalls("1 128"), ERangeError);
    EXPECT_THROW(TextToBalls(std::string(1000000, '7')), ERangeError);
    std::string many;
    for (int i = 0; i < 200000; ++i)
        many += "1 ";
    EXPECT_EQ(TextToBalls(many).size(), 200000u);

    struct Case {
        TShortIntArray balls;
        const char* separator;
        int digits;
        const char* text;
    } cases[] = {
        {{1, 2, 3}, "-", 0, "1-2-3"}, {{1, 12}, "-", 0, "01-12"}, {{1, 12}, " ", 3, "001 012"},
        {{7}, ", ", 1, "7"},          {{}, "-", 2, ""},           {{5, 9}, "", 0, "59"},
        {{5, 10}, " ", -3, "05 10"},  {{3}, " ", 1000, nullptr},
    };
    for (const auto& c : cases) {
        const std::string out = BallsToText(c.balls, c.separator, c.digits);
        if (c.text)
            EXPECT_EQ(out, c.text);
        else
            EXPECT_EQ(out, std::string(63, '0') + "3"); // width capped
    }
}

TEST(Dates, EncodeDecode)
{
    struct Case {
        int y, m, d;
        TDateTime date;
    } cases[] = {{1899, 12, 30, 0},    {1899, 12, 31, 1},  {1900, 1, 1, 2},         {2010, 3, 25, 40262},
                 {2000, 2, 29, 36585}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {1800, 1, 1, -36522}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.date) << c.y << "-" << c.m << "-" << c.d;
        int y = 0, m = 0, d = 0;
        // A time of day before the epoch counts away from zero.
        ASSERT_TRUE(DecodeDate(c.date < 0 ? c.date - 0.75 : c.date + 0.75, y, m, d));
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
    for (auto [y, m, d] : {std::tuple{2001, 2, 29},
                           {2010, 13, 1},
                           {2010, 4, 31},
                           {0, 1, 1},
                           {10000, 1, 1},
                           {2010, 0, 5},
                           {2010, 5, -1},
                           {INT_MAX, INT_MAX, INT_MAX}})
        EXPECT_EQ(EncodeDate(y, m, d), 0) << y << "-" << m << "-" << d;
    int y, m, d;
    for (double bad : {double(NAN), double(INFINITY), 1e300, -1e300, 2958466.0})
        EXPECT_FALSE(DecodeDate(bad, y, m, d)) << bad;
    EXPECT_DOUBLE_EQ(EncodeDateTime(2010, 3, 25, 18, 0, 0), 40262.75);
    EXPECT_EQ(EncodeDateTime(2010, 3, 25, 24, 0, 0), 0);
}

TEST(Dates, DateTexts)
{
    SetWeekdayNames({"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
                    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
    const TDateTime date = EncodeDate(2010, 3, 25);
    struct Case {
        int order;
        const char* separator;
        bool weekday, full;
        TDateTime date;
        const char* text;
    } cases[] = {
        {0, "/", true, false, date, "25/03/2010  Thu"},
        {1, "/", false, false, date, "03/25/2010"},
        {2, "-", false, false, date, "2010-03-25"},
        {3, ".", true, true, date, "2010.25.03  Thursday"},
        {0, "/", true, false, 0, "Undefined"},
        {2, "-", false, false, NAN, "Undefined"},
        {0, "", false, false, EncodeDate(5, 1, 2), "02010005"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateText(c.order, c.separator, c.weekday, c.full, c.date), c.text);
    EXPECT_EQ(WeekdayName(25, 3, 2010, false), "Thu");
    EXPECT_EQ(WeekdayName(1, 1, 1900, true), "Monday");
    EXPECT_EQ(WeekdayName(30, 2, 2010, false), "---");
    EXPECT_EQ(WeekdayName(-1, 1, 2010, false), "---");

    const TDateTime stamp = EncodeDateTime(2010, 3, 25, 7, 8, 9);
    EXPECT_EQ(DateTimeText(0, stamp), "25-03-2010 07:08:09");
    EXPECT_EQ(DateTimeText(1, stamp), "03-25-2010 07:08:09");
    EXPECT_EQ(DateTimeText(2, stamp), "2010-03-25 07:08:09");
    EXPECT_EQ(DateTimeText(3, stamp), "2010-25-03 07:08:09");
    EXPECT_EQ(DateTimeText(2, 0), "Undefined");
    EXPECT_EQ(DateTimeText(2, EncodeDate(2010, 3, 25) + 0.9999999999), "2010-03-25 23:59:59");
}

TEST(Dates, ParseDateTimeNeverRaises)
{
    const TDateTime stamp = EncodeDateTime(2010, 3, 25, 7, 8, 9);
    EXPECT_DOUBLE_EQ(ParseDateTime("2010-03-25 07:08:09"), stamp);
    EXPECT_DOUBLE_EQ(ParseDateTime(DateTimeText(2, stamp)), stamp);
    EXPECT_EQ(ParseDateTime("2010-03-25"), EncodeDate(2010, 3, 25));
    EXPECT_EQ(ParseDateTime("2010-03-25 07:08"), EncodeDate(2010, 3, 25)); // time only at 19 characters
    for (const char* bad : {"Undefined", "", "2010", "2010-13-25", "2010-02-30 00:00:00", "abcd-ef-gh",
                            "2010-03-25 25:00:00", "2010-03-25 07:61:00", "\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"})
        EXPECT_EQ(ParseDateTime(bad), 0) << bad;
    EXPECT_EQ(ParseDateTime(std::string(1000000, '9')), 0);
}

TEST(Dates, SettingsFromLocale)
{
    // The test environment fixes the short date format to dd/mm/yyyy.
    SetDateSettings(2, "-");
    EXPECT_EQ(CurrentDateOrder(), 2);
    EXPECT_EQ(UserDateText(EncodeDate(2010, 3, 25), false), "2010-03-25");
    setenv("JUX_SHORT_DATE_FORMAT", "dd/mm/yyyy", 1);
    InitLocaleSettings();
    EXPECT_EQ(CurrentDateOrder(), 0);
    EXPECT_EQ(CurrentDateSeparator(), "/");
    EXPECT_EQ(UserDateText(EncodeDate(2010, 3, 25), true), "25/03/2010  " + WeekdayName(25, 3, 2010, false));
    setenv("JUX_SHORT_DATE_FORMAT", "m.d.y", 1);
    InitLocaleSettings();
    EXPECT_EQ(CurrentDateOrder(), 1);
    EXPECT_EQ(CurrentDateSeparator(), ".");
    setenv("JUX_SHORT_DATE_FORMAT", "d/y/m", 1); // no known arrangement: the order stays
    InitLocaleSettings();
    EXPECT_EQ(CurrentDateOrder(), 1);
    SetDateSettings(9, "-"); // an unknown order is not taken
    EXPECT_EQ(CurrentDateOrder(), 1);
    setenv("JUX_SHORT_DATE_FORMAT", "dd/mm/yyyy", 1);
    InitLocaleSettings();
}

TEST(FileNames, UniqueFileName)
{
    const std::string dir = TempFolder("unique");
    EXPECT_EQ(UniqueFileName("My: Lotto?", dir), "My Lotto");
    Touch(dir + "My Lotto");
    EXPECT_EQ(UniqueFileName("My: Lotto?", dir), "My Lotto0");
    Touch(dir + "My Lotto0");
    EXPECT_EQ(UniqueFileName("My: Lotto?", dir), "My Lotto1");
    Touch(dir + "game.drw");
    EXPECT_EQ(UniqueFileName("game.drw", "  " + dir.substr(0, dir.size() - 1) + "  "), "game0.drw");
    EXPECT_EQ(UniqueFileName("\\/:*?\"<>|", dir), "Noname");
    EXPECT_EQ(UniqueFileName("", dir), "Noname");
    EXPECT_EQ(UniqueFileName("My Lotto", dir + "missing/"), "My Lotto");
}

TEST(FileNames, BuildFileName)
{
    const std::string dir = TempFolder("build");
    EXPECT_EQ(BuildFileName("", dir + "game.drw", "ini"), dir + "game.ini");
    EXPECT_EQ(BuildFileName(dir, "New Game", "drw"), dir + "New Game.drw");
    EXPECT_EQ(BuildFileName(" " + dir + " ", " old.drw ", ".txt"), dir + "old.txt");
    EXPECT_EQ(BuildFileName(dir, "keep.drw", "  "), dir + "keep.drw");
    EXPECT_EQ(BuildFileName("", "bare.cfg", ""), ProgramFolder() + "bare.cfg");
    struct Case {
        std::string folder, name, ext, message;
    } cases[] = {
        {dir + "missing", "a.drw", "ini", "The provided path '" + dir + "missing/' does not exist."},
        {dir, "   ", "ini", "The provided filename is empty."},
        {dir, dir + "sub/", "ini", "The provided filename is empty."},
        {dir, "noext", "", "No extension defined for file " + dir + "noext"},
    };
    for (const auto& c : cases) {
        try {
            BuildFileName(c.folder, c.name, c.ext);
            ADD_FAILURE() << "no exception for " << c.name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(Colours, HalveAndBlend)
{
    EXPECT_EQ(HalveColor(0x12FFFFFFu), 0x127F7F7Fu);
    EXPECT_EQ(HalveColor(0x00010203u), 0x00000101u);
    EXPECT_EQ(BlendColor(0x00000000u, 0x00FF8040u, 0.5), 0x00804020u);
    EXPECT_EQ(BlendColor(0x00FF8040u, 0x00000000u, 0.5), 0x007F4020u);
    EXPECT_EQ(BlendColor(0x11102030u, 0x22FFFFFFu, 0.0), 0x11102030u);
    EXPECT_EQ(BlendColor(0x11102030u, 0x22FFFFFFu, 7.0), 0x11FFFFFFu);
    EXPECT_EQ(BlendColor(0x11102030u, 0x22FFFFFFu, -1.0), 0x11102030u);
    EXPECT_EQ(BlendColor(0x11102030u, 0x22FFFFFFu, NAN), 0x11102030u);
}
