#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <random>
#include <string>

#include "data/GameFile.h"
#include "platform/Paths.h"
#include "support/GameFixtures.h"
#include "support/ScriptedDialogs.h"

using namespace fixtures;

namespace {

// ---- An independent, deliberately plain writer of the layout ------------

uint64_t Binom(int n, int k)
{
    if (k < 0 || k > n)
        return 0;
    uint64_t r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * static_cast<uint64_t>(n - k + i) / static_cast<uint64_t>(i);
    return r;
}

uint64_t PlainRank(const TShortIntArray& balls, int v)
{
    const int k = static_cast<int>(balls.size());
    uint64_t rank = 0;
    int prev = 0;
    for (int i = 1; i <= k; ++i) {
        for (int j = prev + 1; j <= balls[i - 1] - 1; ++j)
            rank += Binom(v - j, k - i);
        prev = balls[i - 1];
    }
    return rank;
}

struct TPlain {
    Bytes b;
    void u8(uint8_t v) { b.push_back(v); }
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void f64(double d)
    {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        for (int i = 0; i < 8; ++i)
            b.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    void str(const std::string& s)
    {
        for (char c : s)
            b.push_back(static_cast<uint8_t>(c));
        b.push_back(0);
    }
};

// Plain sets numbered from 1 only: the case the layout defines exactly.
Bytes PlainGameFile(const TGameInfo& g, const TDrawClass& model)
{
    TPlain p;
    p.u8(2);
    p.u8('D');
    p.u8('R');
    p.u8('W');
    p.u32(0); // checksum, later
    p.u32(0); // draw offset, later
    p.u32(static_cast<uint32_t>(model.DrawCount()));
    p.u32(static_cast<uint32_t>(g.OnlineID));
    p.f64(g.LastUpdate);
    p.u32(static_cast<uint32_t>(g.FieldCount));
    p.u8(g.Field2Kind);
    p.u32(static_cast<uint32_t>(g.DrawsPerDay));
    p.str(g.Name);
    int widths[2] = {0, 0};
    for (int f = 0; f < g.FieldCount; ++f) {
        const TGameField& fd = g.Fields[f];
        p.u32(fd.Total);
        p.u32(fd.Picked);
        p.u32(fd.Lowest);
        p.u8(fd.Ordered);
        p.u8(0);
        p.u8(0);
        p.u8(0);
        const uint64_t m = Binom(fd.Total, fd.Picked) - 1;
        widths[f] = m <= 0xFF ? 1 : m <= 0xFFFF ? 2 : m <= 0xFFFFFF ? 3 : 4;
        p.u8(static_cast<uint8_t>(widths[f]));
        p.str(g.FieldNames[f]);
    }
    for (uint8_t x : g.OptionalBlock1)
        p.u8(x);
    for (uint8_t x : g.OptionalBlock2)
        p.u8(x);
    for (uint8_t x : g.OptionalBlock3)
        p.u8(x);
    for (uint8_t x : g.OptionalBlock4)
        p.u8(x);
    p.u32(static_cast<uint32_t>(g.Commission.Count()));
    for (int i = 1; i <= g.Commission.Count(); ++i) {
        std::string n, v;
        g.Commission.Get(i, n, v);
        p.str(n);
        p.str(v);
    }
    Put32(p.b, 8, static_cast<uint32_t>(p.b.size()));
    for (int pos = 1; pos <= model.DrawCount(); ++pos) {
        const TDraw* d = model.GetDraw(pos);
        p.u32(static_cast<uint32_t>(static_cast<int32_t>(d->Date)));
        p.u8(static_cast<uint8_t>(d->Index));
        p.u8(d->Status);
        for (int f = 0; f < g.FieldCount; ++f) {
            const uint64_t r = PlainRank(d->Numbers[f], g.Fields[f].Total);
            for (int i = 0; i < widths[f]; ++i)
                p.u8(static_cast<uint8_t>(r >> (8 * i)));
        }
    }
    // Checksum: the word buffer is reused, a short tail overwrites its low bytes.
    uint32_t sum = 0, word = 0;
    for (size_t i = 8; i < p.b.size(); i += 4) {
        for (size_t j = 0; j < 4 && i + j < p.b.size(); ++j)
            word = (word & ~(0xFFu << (8 * j))) | (static_cast<uint32_t>(p.b[i + j]) << (8 * j));
        sum += word;
    }
    Put32(p.b, 4, sum);
    return p.b;
}

TGameInfo RichGame649()
{
    TGameInfo g = MakeGame(6, 49, 1);
    g.OnlineID = 4711;
    g.LastUpdate = 40000.5;
    g.Commission.Set("Operator", "State Lottery");
    g.Commission.Set("Country", "Nowhere");
    g.Commission.Set("Web", "example.org");
    for (size_t i = 0; i < g.OptionalBlock4.size(); ++i)
        g.OptionalBlock4[i] = static_cast<uint8_t>(i * 31);
    g.OptionalBlock1 = {1, 2, 3, 4, 5, 6, 7};
    g.OptionalBlock2 = {8, 9, 10, 11, 12, 13, 14, 15};
    g.OptionalBlock3 = {0xEE};
    return g;
}

void ExpectSameGame(const TGameInfo& a, const TGameInfo& b)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.OnlineID, b.OnlineID);
    EXPECT_EQ(a.LastUpdate, b.LastUpdate);
    EXPECT_EQ(a.FieldCount, b.FieldCount);
    EXPECT_EQ(a.Field2Kind, b.Field2Kind);
    EXPECT_EQ(a.DrawsPerDay, b.DrawsPerDay);
    for (int f = 0; f < 2; ++f) {
        EXPECT_EQ(a.Fields[f].Total, b.Fields[f].Total) << f;
        EXPECT_EQ(a.Fields[f].Picked, b.Fields[f].Picked) << f;
        EXPECT_EQ(a.Fields[f].Lowest, b.Fields[f].Lowest) << f;
        EXPECT_EQ(a.Fields[f].Ordered, b.Fields[f].Ordered) << f;
        EXPECT_EQ(a.FieldNames[f], b.FieldNames[f]) << f;
    }
    EXPECT_EQ(a.OptionalBlock1, b.OptionalBlock1);
    EXPECT_EQ(a.OptionalBlock2, b.OptionalBlock2);
    EXPECT_EQ(a.OptionalBlock3, b.OptionalBlock3);
    EXPECT_EQ(a.OptionalBlock4, b.OptionalBlock4);
    ASSERT_EQ(a.Commission.Count(), b.Commission.Count());
    for (int i = 1; i <= a.Commission.Count(); ++i) {
        std::string n1, v1, n2, v2;
        a.Commission.Get(i, n1, v1);
        b.Commission.Get(i, n2, v2);
        EXPECT_EQ(n1, n2);
        EXPECT_EQ(v1, v2);
    }
}

void ExpectSameDraws(const TDrawClass& a, const TDrawClass& b)
{
    ASSERT_EQ(a.DrawCount(), b.DrawCount());
    for (int pos = 1; pos <= a.DrawCount(); ++pos) {
        const TDraw* x = a.GetDraw(pos);
        const TDraw* y = b.GetDraw(pos);
        EXPECT_EQ(x->Date, y->Date) << pos;
        EXPECT_EQ(x->Index, y->Index) << pos;
        EXPECT_EQ(x->Status, y->Status) << pos;
        EXPECT_EQ(x->Numbers, y->Numbers) << pos;
    }
}

} // namespace

TEST(GameFile, RankOfExampleDrawIsStoredInThreeBytes)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    ASSERT_GT(model.AddDraw(1, 0, {{44, 5, 31, 12, 40, 23}}, EncodeDate(2010, 3, 25)), 0);
    const Bytes image = BuildImage(g, model);
    ASSERT_FALSE(image.empty());
    const size_t at = Le32(image, 8);
    ASSERT_EQ(image.size(), at + 9);
    EXPECT_EQ(static_cast<int32_t>(Le32(image, at)), static_cast<int32_t>(EncodeDate(2010, 3, 25)));
    EXPECT_EQ(image[at + 4], 1); // index
    EXPECT_EQ(image[at + 5], 0); // status
    EXPECT_EQ(image[at + 6], 0x63);
    EXPECT_EQ(image[at + 7], 0xC5);
    EXPECT_EQ(image[at + 8], 0x62);
    EXPECT_EQ(Le32(image, 12), 1u);
}

TEST(GameFile, ImageEqualsThePlainWriterByteForByte)
{
    const struct {
        const char* name;
        TGameInfo game;
        int draws;
    } cases[] = {
        {"6 of 49 dated, 1000 draws", RichGame649(), 1000},
        {"6 of 49 + 1 bonus ball, undated", MakeGame(6, 49, 0, 2, 1), 300},
        {"5 of 50 + 2 of 10, two a day", MakeGame(5, 50, 2, 1, 2, 10), 300},
        {"7 of 75 (4-byte values)", MakeGame(7, 75, 1), 100},
        {"1 of 20 (1-byte values)", MakeGame(1, 20, 3), 100},
        {"new game", RichGame649(), 0},
    };
    for (const auto& c : cases) {
        TDrawClass model(c.game);
        FillDraws(model, c.game, c.draws);
        ASSERT_EQ(model.DrawCount(), c.draws) << c.name;
        const Bytes image = BuildImage(c.game, model);
        EXPECT_EQ(image, PlainGameFile(c.game, model)) << c.name;
    }
}

TEST(GameFile, ThousandDatedDrawsTakeNineThousandBytes)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, 1000);
    const std::string dir = TmpDir();
    TScriptedDialogs dialogs;
    dialogs.defaultAnswer = TModalResult::Yes;
    ASSERT_TRUE(SaveGame(dir, "thousand.drw", g, model));
    Bytes file;
    ASSERT_TRUE(ReadFile(dir + "thousand.drw", file));
    EXPECT_EQ(file.size() - Le32(file, 8), 9000u);
    EXPECT_FALSE(model.Modified);
    EXPECT_FALSE(FileExists(dir + "thousand.tmp"));
}

TEST(GameFile, SavedGameExaminesAndReopensIdentically)
{
    const struct {
        const char* name;
        TGameInfo game;
    } cases[] = {
        {"rich 6 of 49", RichGame649()},
        {"bonus balls", MakeGame(6, 49, 0, 2, 2)},
        {"power ball", MakeGame(5, 50, 2, 1, 2, 10)},
        {"ordered from 0", MakeGame(3, 10, 1, 0, 0, 0, 0, 1)},
        {"ordered from 1", MakeGame(4, 9, 0, 0, 0, 0, 1, 1)},
        {"set from 0", MakeGame(4, 20, 1, 0, 0, 0, 0, 0)},
        {"7 of 75", MakeGame(7, 75, 9)},
    };
    const std::string dir = TmpDir();
    for (const auto& c : cases) {
        TDrawClass model(c.game);
        FillDraws(model, c.game, 200, 99);
        ASSERT_EQ(model.DrawCount(), 200) << c.name;
        TScriptedDialogs dialogs;
        dialogs.defaultAnswer = TModalResult::Yes;
        ASSERT_TRUE(SaveGame(dir, "reopen.drw", c.game, model)) << c.name;

        const TGameIOInfo info = ReadGameInfo(dir + "reopen.drw");
        EXPECT_EQ(info.Status, gioValid) << c.name << ": " << GameIOStatusText(info.Status);
        EXPECT_EQ(info.DrawCount, 200u);
        EXPECT_EQ(info.LastDrawDate, model.GetDraw(200)->Date);
        for (int f = 0; f < c.game.FieldCount; ++f)
            EXPECT_EQ(info.FieldWidths[f], ValueWidth(c.game.Fields[f])) << c.name;

        TCurrentGame game;
        ASSERT_EQ(OpenGameFile(dir + "reopen.drw", game), gioValid) << c.name;
        EXPECT_EQ(game.Info.State, 2);
        EXPECT_EQ(game.FilePath, dir + "reopen.drw");
        ExpectSameGame(game.Info, c.game);
        ASSERT_TRUE(game.Draws);
        EXPECT_FALSE(game.Draws->Modified);
        ExpectSameDraws(*game.Draws, model);
    }
}

TEST(GameFile, FieldValuesRoundTripWithinTheirWidth)
{
    const TGameField fields[] = {
        {49, 6, 1, 0}, {10, 3, 0, 1}, {10, 3, 1, 1}, {20, 4, 0, 0}, {99, 6, 0, 0},
        {75, 7, 1, 0}, {2, 1, 0, 0},  {9, 7, 0, 1},  {99, 4, 1, 1}, {36, 5, 0, 1},
    };
    std::mt19937 rng(5);
    for (const auto& f : fields) {
        const int64_t tickets = TicketCount(f);
        ASSERT_GT(tickets, 0);
        const int width = ValueWidth(f);
        for (int i = 0; i < 400; ++i) {
            TShortIntArray balls = RandomBalls(rng, f);
            if (!f.Ordered)
                std::sort(balls.begin(), balls.end());
            const int64_t v = EncodeFieldValue(f, balls);
            ASSERT_GE(v, 0);
            ASSERT_LT(v, tickets);
            if (width < 4) {
                ASSERT_EQ(v >> (8 * width), 0) << "does not fit its width";
            }
            TShortIntArray back;
            ASSERT_TRUE(DecodeFieldValue(f, v, back));
            EXPECT_EQ(back, balls);
        }
        TShortIntArray last;
        ASSERT_TRUE(DecodeFieldValue(f, tickets - 1, last));
        EXPECT_EQ(EncodeFieldValue(f, last), tickets - 1);
        EXPECT_FALSE(DecodeFieldValue(f, tickets, last));
        EXPECT_FALSE(DecodeFieldValue(f, -1, last));
    }
    // Values that are not balls of the field.
    EXPECT_EQ(EncodeFieldValue({10, 3, 0, 1}, {0, 10, 2}), -1);
    EXPECT_EQ(EncodeFieldValue({49, 6, 1, 0}, {1, 2, 3, 4, 5, 50}), -1);
    EXPECT_EQ(EncodeFieldValue({49, 6, 1, 0}, {1, 2, 3, 3, 5, 6}), -1);
    EXPECT_EQ(EncodeFieldValue({49, 6, 1, 0}, {1, 2, 3}), -1);
    EXPECT_EQ(EncodeFieldValue({49, 6, 1, 0}, {1, 2, 3, 4, 5, 6}), 0);
    EXPECT_EQ(EncodeFieldValue({49, 6, 1, 0}, {44, 45, 46, 47, 48, 49}), 13983815);
    // 75^7 has no 32-bit ticket count: such a field cannot be stored.
    EXPECT_EQ(EncodeFieldValue({75, 7, 1, 1}, {1, 1, 1, 1, 1, 1, 1}), -1);
}

TEST(GameFile, EveryStatusFromTheDamageItDescribes)
{
    TGameInfo g = MakeGame(6, 49, 1);
    g.Commission.Set("Operator", "X");
    TDrawClass model(g);
    FillDraws(model, g, 20);
    const Bytes valid = BuildImage(g, model);
    ASSERT_EQ(ExamineGameImage(valid).Status, gioValid);
    const size_t drawAt = Le32(valid, 8);
    const size_t lastAt = drawAt + 19 * 9;
    const size_t fieldAt = 37 + g.Name.size() + 1;
    const size_t commissionAt = drawAt - (4 + 9 + 2); // count, "Operator\0", "X\0"

    const struct {
        const char* name;
        std::function<void(Bytes&)> damage;
        bool fixChecksum;
        uint8_t status;
    } cases[] = {
        {"letters", [](Bytes& b) { b[2] = 'X'; }, false, gioNotGameFile},
        {"version 3", [](Bytes& b) { b[0] = 3; }, false, gioNewerVersion},
        {"version 1", [](Bytes& b) { b[0] = 1; }, false, gioOlderVersion},
        {"one byte after offset 8", [&](Bytes& b) { b[lastAt + 7] ^= 0x10; }, false, gioCorrupted},
        {"field count 3", [](Bytes& b) { Put32(b, 28, 3); }, true, gioInvalidDefinition},
        {"field count 0", [](Bytes& b) { Put32(b, 28, 0); }, true, gioInvalidDefinition},
        {"total 100", [&](Bytes& b) { Put32(b, fieldAt, 100); }, true, gioInvalidDefinition},
        {"picked 0", [&](Bytes& b) { Put32(b, fieldAt + 4, 0); }, true, gioInvalidDefinition},
        {"draws per day 10", [](Bytes& b) { Put32(b, 33, 10); }, true, gioInvalidDefinition},
        {"value width 0", [&](Bytes& b) { b[fieldAt + 16] = 0; }, true, gioInvalidDefinition},
        {"empty name", [](Bytes& b) { b[37] = 0; }, true, gioInvalidDefinition},
        {"draw offset + 1", [&](Bytes& b) { Put32(b, 8, static_cast<uint32_t>(drawAt + 1)); }, true,
         gioInvalidOptional},
        {"draw offset - 1", [&](Bytes& b) { Put32(b, 8, static_cast<uint32_t>(drawAt - 1)); }, true,
         gioInvalidOptional},
        {"negative pair count", [&](Bytes& b) { Put32(b, commissionAt, 0xFFFFFFFF); }, true, gioInvalidOptional},
        {"pair count beyond bound", [&](Bytes& b) { Put32(b, commissionAt, kMaxCommissionPairs + 1); }, true,
         gioInvalidOptional},
        {"index 2 of 1", [&](Bytes& b) { b[lastAt + 4] = 2; }, true, gioDrawDataErrors},
        {"status 4", [&](Bytes& b) { b[drawAt + 5] = 4; }, true, gioDrawDataErrors},
        {"rank C(49,6)",
         [&](Bytes& b) {
             b[lastAt + 6] = 0x48; // 13 983 816 = D5 60 48
             b[lastAt + 7] = 0x60;
             b[lastAt + 8] = 0xD5;
         },
         true, gioDrawDataErrors},
        {"rank C(49,6) - 1 is the largest",
         [&](Bytes& b) {
             b[lastAt + 6] = 0x47;
             b[lastAt + 7] = 0x60;
             b[lastAt + 8] = 0xD5;
         },
         true, gioValid},
        {"count + 1", [](Bytes& b) { Put32(b, 12, 21); }, true, gioDrawDataErrors},
        {"count - 1", [](Bytes& b) { Put32(b, 12, 19); }, true, gioDrawDataErrors},
        {"count 2^32-1", [](Bytes& b) { Put32(b, 12, 0xFFFFFFFF); }, true, gioDrawDataErrors},
        {"cut in last record", [](Bytes& b) { b.resize(b.size() - 4); }, false, gioCorrupted},
        {"cut in last record, checksum recomputed", [](Bytes& b) { b.resize(b.size() - 4); }, true, gioReadError},
        {"cut in the name", [](Bytes& b) { b.resize(40); }, true, gioReadError},
        {"pair count beyond the bytes", [&](Bytes& b) { Put32(b, commissionAt, 4000); }, true, gioReadError},
    };
    for (const auto& c : cases) {
        Bytes b = valid;
        c.damage(b);
        if (c.fixChecksum)
            FixChecksum(b);
        const TGameIOInfo info = ExamineGameImage(b);
        EXPECT_EQ(int(info.Status), int(c.status))
            << c.name << ": " << GameIOStatusText(info.Status) << " instead of " << GameIOStatusText(c.status);
    }
}

TEST(GameFile, StatusTexts)
{
    const char* texts[] = {"Not a game file.",
                           "Newer version game file!",
                           "Older version game file! Use the conversion tool.",
                           "Corrupted game file.",
                           "Invalid specifications.",
                           "Invalid optional parameters.",
                           "Errors in game's draw data.",
                           "I/O error: Cannot read file.",
                           ""};
    for (uint8_t s = 0; s <= 8; ++s)
        EXPECT_EQ(GameIOStatusText(s), texts[s]) << int(s);
}

TEST(GameFile, NewGameHasNoDrawsAndExaminesValid)
{
    TGameInfo g = MakeGame(6, 49, 1, 2, 1);
    TMemoryStream s;
    ASSERT_TRUE(WriteGameHeader(s, g));
    const TGameIOInfo info = ExamineGameImage(s.Bytes());
    EXPECT_EQ(info.Status, gioValid);
    EXPECT_EQ(info.DrawCount, 0u);
    EXPECT_EQ(info.LastDrawDate, 0);
    EXPECT_EQ(Le32(s.Bytes(), 8), s.Size());
    EXPECT_EQ(info.FieldWidths[0], 3);
    EXPECT_EQ(info.FieldWidths[1], 1);

    // An invalid definition is not written.
    TScriptedDialogs dialogs;
    TGameInfo bad = MakeGame(7, 76, 1);
    TMemoryStream t;
    EXPECT_FALSE(WriteGameHeader(t, bad));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Unable to save game file header!"});
}

TEST(GameFile, HostileImagesAnswerAStatus)
{
    EXPECT_EQ(ExamineGameImage({}).Status, gioReadError);
    EXPECT_EQ(ExamineGameImage({2}).Status, gioReadError);
    EXPECT_EQ(ExamineGameImage({2, 'D', 'R'}).Status, gioReadError);
    EXPECT_EQ(ExamineGameImage({'D', 'R', 'W', 2}).Status, gioNotGameFile);
    EXPECT_EQ(ExamineGameImage({2, 'D', 'R', 'W'}).Status, gioReadError); // checksum word missing

    // A name of 10 MB without its terminator.
    Bytes name(37, 0);
    name[0] = 2;
    name[1] = 'D';
    name[2] = 'R';
    name[3] = 'W';
    Put32(name, 28, 1);
    name.resize(37 + (size_t(10) << 20), 'A');
    FixChecksum(name);
    EXPECT_EQ(ExamineGameImage(name).Status, gioReadError);

    // A valid header that announces 2^32-1 draws: the loader refuses before allocating.
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, 3);
    Bytes b = BuildImage(g, model);
    Put32(b, 12, 0xFFFFFFFF);
    FixChecksum(b);
    TGameIOInfo info = ExamineGameImage(b);
    EXPECT_EQ(info.Status, gioDrawDataErrors);
    info.Status = gioValid; // as if the file changed after it was examined
    TDrawClass target(g);
    target.Modified = true;
    EXPECT_THROW(LoadDrawsFromImage(b, info, target), Exception);
    EXPECT_EQ(target.DrawCount(), 0);
    EXPECT_FALSE(target.Modified);
}

TEST(GameFile, LoadKeepsSortedOrderAndDropsDuplicates)
{
    TGameInfo g = MakeGame(6, 49, 2);
    TDrawClass model(g);
    FillDraws(model, g, 6);
    Bytes b = BuildImage(g, model);
    const size_t at = Le32(b, 8);
    // Swap the first two records (same day, indices 1 and 2) and make the
    // last one a copy of the first.
    std::swap_ranges(b.begin() + at, b.begin() + at + 9, b.begin() + at + 9);
    std::copy(b.begin() + at, b.begin() + at + 9, b.end() - 9);
    FixChecksum(b);
    TGameIOInfo info = ExamineGameImage(b);
    ASSERT_EQ(info.Status, gioValid);
    TDrawClass loaded(info.Game);
    LoadDrawsFromImage(b, info, loaded);
    EXPECT_EQ(info.Game.State, 1);
    ASSERT_EQ(loaded.DrawCount(), 5);
    EXPECT_EQ(loaded.GetDraw(1)->Index, 1);
    EXPECT_EQ(loaded.GetDraw(2)->Index, 2);
    EXPECT_EQ(loaded.GetDraw(1)->Numbers, model.GetDraw(1)->Numbers);
    EXPECT_FALSE(loaded.Modified);
}

// Records of an image in any order (newest first, shuffled, repeated pairs,
// records without a date) load into the history that adding them one by one
// in file order gives; a long history written newest first loads in time.
TEST(GameFile, RecordsInAnyOrderLoadAsAddingThemInFileOrder)
{
    struct TRecord {
        TDateTime date;
        int32_t index;
        TArrayOfShortIntArray numbers;
    };
    const struct {
        const char* name;
        bool snapshot;
        int draws;
        bool reverseOnly;
    } cases[] = {
        {"game file, shuffled", false, 400, false},
        {"snapshot, shuffled", true, 400, false},
        {"game file, 200000 newest first", false, 200000, true},
        {"snapshot, 200000 newest first", true, 200000, true},
    };
    for (const auto& c : cases) {
        const TGameInfo g = MakeGame(6, 49, 2);
        TCurrentGame source;
        source.Info = g;
        source.Draws = std::make_unique<TDrawClass>(g);
        FillDraws(*source.Draws, g, c.draws);
        Bytes image;
        size_t at = 0;
        if (c.snapshot) {
            TBinaryFileStreamDraws out(source);
            out.ExportData();
            image = out.Stream().Bytes();
            at = Le32(image, 12);
        } else {
            image = BuildImage(g, *source.Draws);
            at = Le32(image, 8);
        }
        const size_t size = c.snapshot ? 17 : 9;
        const size_t keySize = c.snapshot ? 12 : 5;
        const size_t count = (image.size() - at) / size;
        ASSERT_EQ(count, size_t(c.draws)) << c.name;

        std::vector<size_t> order(count);
        for (size_t i = 0; i < count; ++i)
            order[i] = count - 1 - i;
        std::mt19937 rng(11);
        if (!c.reverseOnly)
            std::shuffle(order.begin(), order.end(), rng);
        Bytes b = image;
        for (size_t i = 0; i < count; ++i)
            std::copy_n(image.begin() + long(at + order[i] * size), size, b.begin() + long(at + i * size));
        std::vector<TRecord> records;
        for (size_t i = 0; i < count; ++i) {
            const TDraw* d = source.Draws->GetDraw(int(order[i]) + 1);
            records.push_back({d->Date, d->Index, d->Numbers});
        }
        if (!c.reverseOnly) {
            // Later records take the date and index of earlier ones; a few lose their date.
            for (size_t i = 0; i < 40; ++i) {
                const size_t from = rng() % count, to = rng() % count;
                std::copy_n(b.begin() + long(at + from * size), keySize, b.begin() + long(at + to * size));
                records[to].date = records[from].date;
                records[to].index = records[from].index;
            }
            for (size_t i = 0; i < 5; ++i) {
                const size_t to = rng() % count;
                std::fill_n(b.begin() + long(at + to * size), c.snapshot ? 8 : 4, 0);
                records[to].date = 0;
            }
        }
        // Newest first is the source history itself (and adding it one by one
        // is the slow way this test guards against).
        TDrawClass inFileOrder(g);
        if (!c.reverseOnly) {
            for (const TRecord& r : records)
                inFileOrder.AddDraw(r.index, 0, r.numbers, r.date);
        }
        const TDrawClass& expected = c.reverseOnly ? *source.Draws : inFileOrder;

        TCurrentGame loaded;
        if (c.snapshot) {
            Put32(b, 8, WordChecksum(b.data() + 12, b.size() - 12));
            TBinaryFileStreamDraws in(loaded);
            in.Stream() = TMemoryStream(b);
            ASSERT_NO_THROW(in.ImportData()) << c.name;
        } else {
            FixChecksum(b);
            TGameIOInfo info = ExamineGameImage(b);
            ASSERT_EQ(info.Status, gioValid) << c.name;
            loaded.Draws = std::make_unique<TDrawClass>(info.Game);
            LoadDrawsFromImage(b, info, *loaded.Draws);
        }
        ASSERT_TRUE(loaded.Draws) << c.name;
        if (!c.reverseOnly) {
            EXPECT_LT(expected.DrawCount(), c.draws) << c.name;
        }
        ExpectSameDraws(*loaded.Draws, expected);
        EXPECT_FALSE(loaded.Draws->Modified) << c.name;
    }
}

TEST(GameFile, SaveAsksAndSkipsUnmodifiedModels)
{
    const std::string dir = TmpDir();
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, 10);
    TScriptedDialogs dialogs;
    dialogs.Queue(TModalResult::No);
    DeleteFile(dir + "ask.drw");
    EXPECT_FALSE(SaveGame(dir, "ask.drw", g, model));
    EXPECT_FALSE(FileExists(dir + "ask.drw"));
    EXPECT_TRUE(model.Modified);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Do you really want to save current game file?");
    EXPECT_EQ(dialogs.shown[0].kind, TDialogKind::Confirmation);

    dialogs.Queue(TModalResult::Yes);
    ASSERT_TRUE(SaveGame(dir, "ask.drw", g, model));
    EXPECT_FALSE(model.Modified);
    Bytes before;
    ASSERT_TRUE(ReadFile(dir + "ask.drw", before));

    // Unmodified: nothing asked, nothing written.
    model.AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}}, EncodeDate(2030, 1, 1));
    model.Modified = false;
    dialogs.shown.clear();
    EXPECT_TRUE(SaveGame(dir, "ask.drw", g, model));
    EXPECT_TRUE(dialogs.shown.empty());
    Bytes after;
    ASSERT_TRUE(ReadFile(dir + "ask.drw", after));
    EXPECT_EQ(before, after);
}

TEST(GameFile, FailedSaveKeepsTheOldFileAndTheChanges)
{
    const std::string dir = TmpDir() + "failsave/";
    ForceDirectories(dir);
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, 10);
    TScriptedDialogs dialogs;
    dialogs.defaultAnswer = TModalResult::Yes;
    ASSERT_TRUE(SaveGame(dir, "keep.drw", g, model));
    Bytes before;
    ASSERT_TRUE(ReadFile(dir + "keep.drw", before));

    model.AddDraw(1, 0, {{1, 2, 3, 4, 5, 6}}, EncodeDate(2030, 1, 1));
    ASSERT_TRUE(model.Modified);
    // The disk fills up while the temporary file is written.
    SetSafeSaveFault([](TSafeSaveStep step) { return step == TSafeSaveStep::Write ? ENOSPC : 0; });
    dialogs.shown.clear();
    EXPECT_FALSE(SaveGame(dir, "keep.drw", g, model));
    SetSafeSaveFault(nullptr);
    Bytes after;
    ASSERT_TRUE(ReadFile(dir + "keep.drw", after));
    EXPECT_EQ(before, after);
    EXPECT_TRUE(model.Modified);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "An error occured while saving game file\n\rkeep.drw\n\rOriginal file restored.");
    EXPECT_EQ(dialogs.shown[1].kind, TDialogKind::Error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    // A folder that does not exist.
    EXPECT_FALSE(SaveGame(dir + "missing/", "keep.drw", g, model));
    EXPECT_TRUE(model.Modified);

    // A draw the model holds but the file cannot represent fails in memory.
    TDrawClass other(g);
    ASSERT_GT(other.AddDraw(1, 0, {{44, 45, 46, 47, 48, 49}}, EncodeDate(2001, 1, 1)), 0);
    TGameInfo narrower = g;
    narrower.Fields[0].Total = 40; // the draws hold balls above 40
    other.Modified = true;
    EXPECT_FALSE(SaveGame(dir, "keep.drw", narrower, other));
    ASSERT_TRUE(ReadFile(dir + "keep.drw", after));
    EXPECT_EQ(before, after);
    EXPECT_TRUE(other.Modified);
}

TEST(GameFile, OpenRefusesInvalidFilesAndLeavesNoGame)
{
    const std::string dir = TmpDir();
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, 5);
    Bytes b = BuildImage(g, model);
    b[20] ^= 1;
    ASSERT_TRUE(WriteFile(dir + "corrupt.drw", b));
    TCurrentGame game;
    TGameIOInfo info;
    EXPECT_EQ(OpenGameFile(dir + "corrupt.drw", game, &info), gioCorrupted);
    EXPECT_FALSE(game.Draws);
    EXPECT_EQ(game.Info.State, 0);
    EXPECT_TRUE(game.FilePath.empty());
    EXPECT_THROW(OpenGameFile(dir + "no-such.drw", game), EStreamError);
    EXPECT_THROW(ReadGameInfo(dir + "no-such.drw"), EStreamError);
}

TEST(GameFile, SnapshotRoundTripsTheCurrentGame)
{
    TCurrentGame source;
    source.Info = RichGame649();
    source.Info.State = 2;
    source.FilePath = "/somewhere/game.drw";
    source.Draws = std::make_unique<TDrawClass>(source.Info);
    FillDraws(*source.Draws, source.Info, 150);

    TBinaryFileStreamDraws out(source);
    out.ExportData();
    const Bytes image = out.Stream().Bytes();
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "WRD ");
    EXPECT_EQ(Le32(image, 4), 0u);
    EXPECT_EQ(Le32(image, 16), 150u);
    // One field still carries both 16-byte descriptors.
    const size_t descAt = 41 + source.Info.Name.size() + 1;
    EXPECT_EQ(Le32(image, descAt), 49u);
    EXPECT_EQ(Le32(image, descAt + 16), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[descAt + 32])), "Main numbers");
    const size_t drawAt = Le32(image, 12);
    EXPECT_EQ(image.size() - drawAt, 150u * 17);

    TCurrentGame target;
    target.FilePath = "/old/file.drw";
    TBinaryFileStreamDraws in(target);
    in.Stream() = TMemoryStream(image);
    in.ImportData();
    EXPECT_EQ(target.Info.State, 2);
    EXPECT_TRUE(target.FilePath.empty());
    ExpectSameGame(target.Info, source.Info);
    ASSERT_TRUE(target.Draws);
    EXPECT_FALSE(target.Draws->Modified);
    ExpectSameDraws(*target.Draws, *source.Draws);
}

TEST(GameFile, DamagedSnapshotLeavesNoGame)
{
    TCurrentGame source;
    source.Info = MakeGame(5, 50, 1, 1, 2, 10);
    source.Draws = std::make_unique<TDrawClass>(source.Info);
    FillDraws(*source.Draws, source.Info, 20);
    TBinaryFileStreamDraws out(source);
    out.ExportData();
    const Bytes image = out.Stream().Bytes();
    const size_t drawAt = Le32(image, 12);

    const struct {
        const char* name;
        std::function<void(Bytes&)> damage;
        const char* message; // empty: any message
    } cases[] = {
        {"draw offset", [](Bytes& b) { Put32(b, 12, Le32(b, 12) + 1); },
         "INTERNAL ERROR [TBinaryFileStreamDraws] : ImportGameInfo mismatch DrawOffset"},
        {"count 2^32-1", [](Bytes& b) { Put32(b, 16, 0xFFFFFFFF); }, "Stream read error"},
        {"rank out of range", [&](Bytes& b) { Put32(b, drawAt + 13, 0xFFFFFFFF); }, "Errors in game's draw data."},
        {"field count 7", [](Bytes& b) { Put32(b, 32, 7); }, "Invalid specifications."},
        {"truncated", [](Bytes& b) { b.resize(b.size() - 3); }, ""},
    };
    for (const auto& c : cases) {
        Bytes b = image;
        c.damage(b);
        Put32(b, 8, WordChecksum(b.data() + 12, b.size() - 12));
        TCurrentGame target;
        target.Info = MakeGame(6, 49);
        target.Info.State = 2;
        target.Draws = std::make_unique<TDrawClass>(target.Info);
        TBinaryFileStreamDraws in(target);
        in.Stream() = TMemoryStream(b);
        try {
            in.ImportData();
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const Exception& e) {
            if (*c.message) {
                EXPECT_EQ(std::string(e.what()), c.message) << c.name;
            }
        }
        EXPECT_FALSE(target.Draws) << c.name;
        EXPECT_EQ(target.Info.State, 0) << c.name;
    }

    // Writing a draw the field cannot represent.
    TCurrentGame broken;
    broken.Info = MakeGame(6, 49);
    broken.Draws = std::make_unique<TDrawClass>(broken.Info);
    FillDraws(*broken.Draws, broken.Info, 2);
    broken.Info.Fields[0].Total = 10;
    TBinaryFileStreamDraws w(broken);
    try {
        w.ExportData();
        ADD_FAILURE() << "exported";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "INTERNAL ERROR [TBinaryFileStreamDraws] : Unable to get draw 1");
    }
}

// Records the history refuses (a repeated date and index, index 0 in a dated
// game, a bonus ball among the main balls) are counted by reason when the file
// opens, and the user's text names them; a clean file reports nothing.
TEST(GameFile, RefusedRecordsAreCountedAndExplained)
{
    TGameInfo g = MakeGame(6, 49, 1);
    TDrawClass model(g);
    FillDraws(model, g, 6);
    Bytes b = BuildImage(g, model);
    const size_t at = Le32(b, 8);
    const size_t size = 9;
    std::copy(b.begin() + at, b.begin() + at + 5, b.begin() + at + size);     // record 2: date and index of 1
    std::copy(b.begin() + at, b.begin() + at + 5, b.begin() + at + 2 * size); // record 3 as well
    b[at + 3 * size + 4] = 0;                                                 // record 4: index 0
    FixChecksum(b);
    const std::string path = TmpDir() + "refused.drw";
    ASSERT_TRUE(WriteFile(path, b));
    ASSERT_EQ(ReadGameInfo(path).Status, gioValid);

    TCurrentGame game;
    ASSERT_EQ(OpenGameFile(path, game), gioValid);
    EXPECT_EQ(game.Draws->DrawCount(), 3);
    EXPECT_EQ(game.Refused.RepeatedDate, 2u);
    EXPECT_EQ(game.Refused.InvalidDate, 1u);
    EXPECT_EQ(game.Refused.InvalidNumbers, 0u);
    EXPECT_EQ(game.RecordCount, 6u);
    EXPECT_EQ(RefusedRecordsText(game.Refused, game.RecordCount),
              "3 of the 6 draw records in the game file were not loaded:\n\r"
              "2 repeat the date and index of another draw\n\r1 have no valid date or index\n\r"
              "Saving the game file will leave them out.");

    TGameInfo bonus = MakeGame(5, 50, 0, 2, 1);
    TDrawClass bonusModel(bonus);
    bonusModel.AddDraw(0, 0, {{1, 2, 3, 4, 5}, {6}}, 0);
    Bytes c = BuildImage(bonus, bonusModel);
    // Field 2's stored rank 0 is ball 1, already among the main balls.
    const size_t record = Le32(c, 8);
    const size_t field2At = record + 6 + ValueWidth(bonus.Fields[0]);
    for (int i = 0; i < ValueWidth(bonus.Fields[1]); ++i)
        c[field2At + static_cast<size_t>(i)] = 0;
    FixChecksum(c);
    ASSERT_TRUE(WriteFile(path, c));
    ASSERT_EQ(OpenGameFile(path, game), gioValid);
    EXPECT_EQ(game.Draws->DrawCount(), 0);
    EXPECT_EQ(game.Refused.InvalidNumbers, 1u);

    TDrawClass clean(g);
    FillDraws(clean, g, 3);
    ASSERT_TRUE(WriteFile(path, BuildImage(g, clean)));
    ASSERT_EQ(OpenGameFile(path, game), gioValid);
    EXPECT_EQ(game.Refused.Total(), 0u);
    EXPECT_EQ(RefusedRecordsText(game.Refused, game.RecordCount), "");
}
