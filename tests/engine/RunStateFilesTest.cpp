#include <gtest/gtest.h>

#include <random>
#include <zlib.h>

#include "data/Utils.h"
#include "engine/RunStateFiles.h"
#include "platform/Paths.h"
#include "support/EngineRig.h"

using namespace rig;

namespace {

using fixtures::Bytes;

void Options(TGameOptions& o, int32_t field, int32_t maxTables)
{
    o.SetFieldSelected(field);
    o.TotalTestDraws = 20;
    o.MaxStatData = 6;
    o.SetStartPoint(o.DrawCount() - 20 - 3); // a run factor of 3
    o.MaximumJUXsToScan = maxTables;
    o.SetCompareNums(TIntArray{3, 9});
}

// Everything of a run that must survive a file: tables and lists.
struct TRunPicture {
    std::vector<int32_t> ids;
    std::vector<TShortIntArray> finals;
    std::vector<TArrayOfShortIntArray> orders, hits;
    std::vector<std::vector<int32_t>> lists;
    int32_t tables = 0;

    static TRunPicture Of(const TJUXEngine& e)
    {
        TRunPicture p;
        p.tables = e.Context.TablesComputed;
        for (int t = 1; t <= e.TableRegistry.Count(); ++t) {
            const TJUXClass* table = e.TableRegistry.GetRecord(t);
            p.ids.push_back(table->Id);
            p.finals.push_back(table->FinalOrder);
            p.orders.push_back(table->RowOrders());
            p.hits.push_back(table->RowHits());
        }
        for (int32_t m = 0; m < kModeCount; ++m)
            for (int32_t i = 1; i < e.Context.PoolSize; ++i)
                for (int32_t j = 1; j <= std::min(i, e.Context.HitWidth()); ++j) {
                    std::vector<int32_t> l;
                    const TCategoryList* list = e.CategoryList(i, j, m);
                    for (int q = 1; list && q <= list->Count(); ++q) {
                        int32_t v = 0;
                        list->GetInt(q, v);
                        l.push_back(v);
                    }
                    p.lists.push_back(l);
                }
        return p;
    }
};

void ExpectSameRun(const TRunPicture& a, const TRunPicture& b)
{
    EXPECT_EQ(a.tables, b.tables);
    EXPECT_EQ(a.ids, b.ids);
    EXPECT_EQ(a.finals, b.finals);
    EXPECT_EQ(a.orders, b.orders);
    EXPECT_EQ(a.hits, b.hits);
    EXPECT_EQ(a.lists, b.lists);
}

struct TGameCase {
    const char* name;
    TGameInfo game;
    int32_t field;
};

std::vector<TGameCase> Games()
{
    return {{"six49", fixtures::MakeGame(6, 49), 1},
            {"bonus", fixtures::MakeGame(6, 49, 1, 2, 1), 2},
            {"power", fixtures::MakeGame(5, 50, 1, 1, 2, 10), 2}};
}

Bytes Inflate(const Bytes& z)
{
    Bytes out(64u << 20);
    uLongf n = out.size();
    if (uncompress(out.data(), &n, z.data(), z.size()) != Z_OK)
        return {};
    out.resize(n);
    return out;
}

// A damaged image with a checksum that matches again, so the reader's own
// checks are what refuses it.
Bytes Deflate(Bytes raw)
{
    if (raw.size() >= 12)
        fixtures::Put32(raw, 8, WordChecksum(raw.data() + 12, raw.size() - 12));
    Bytes out(compressBound(raw.size()));
    uLongf n = out.size();
    compress2(out.data(), &n, raw.data(), raw.size(), 9);
    out.resize(n);
    return out;
}

// A paused run of `n` tables of a game, exported to `file`.
std::string ExportedRun(const TGameCase& c, int32_t n, const std::string& file, bool finished = false)
{
    TRig r;
    r.env.OpenGame(WriteGameFile(std::string(c.name) + ".drw", c.game, 120));
    Options(r.options, c.field, finished ? n : 1000000);
    r.options.SetKeepJUXs(TIntArray{2});
    if (!finished)
        r.PauseAt(n);
    r.env.ChangeState(STARTED);
    const std::string path = fixtures::TmpDir() + file;
    r.dialogs.defaultAnswer = TModalResult::OK;
    r.env.ExportRunState(path);
    return path;
}

// Expects a refused import: a clear error, nothing left behind.
void ExpectRefused(const std::string& path, const char* what)
{
    TRig r;
    EXPECT_FALSE(r.env.ImportRunState(path)) << what;
    EXPECT_EQ(r.env.RunState, STANDBY) << what;
    EXPECT_FALSE(r.env.GameOpen()) << what;
    EXPECT_EQ(r.game.Draws, nullptr) << what;
    EXPECT_EQ(r.engine.TableRegistry.Count(), 0) << what;
    EXPECT_EQ(r.engine.TableIds.Count(), 0) << what;
    EXPECT_EQ(r.display.user.Count(), 0) << what;
    ASSERT_FALSE(r.dialogs.shown.empty()) << what;
    EXPECT_EQ(r.dialogs.shown.back().kind, TDialogKind::Error) << what;
}

} // namespace

TEST(RunStateFiles, ResumedRunEqualsAnUninterruptedOne)
{
    for (const TGameCase& c : Games()) {
        SCOPED_TRACE(c.name);
        TRunPicture whole;
        {
            TRig r;
            r.env.OpenGame(WriteGameFile(std::string(c.name) + ".drw", c.game, 120));
            Options(r.options, c.field, 1000000);
            r.options.SetKeepJUXs(TIntArray{2});
            r.PauseAt(60);
            r.env.ChangeState(STARTED);
            ASSERT_EQ(r.Tables(), 60);
            whole = TRunPicture::Of(r.engine);
        }
        const std::string path = ExportedRun(c, 30, std::string(c.name) + ".jsf");

        TRig r;
        r.dialogs.defaultAnswer = TModalResult::OK;
        ASSERT_TRUE(r.env.ImportRunState(path));
        EXPECT_EQ(r.env.RunState, PAUSED);
        EXPECT_TRUE(r.env.GameOpen());
        EXPECT_TRUE(r.game.FilePath.empty());
        EXPECT_EQ(r.Tables(), 30);
        EXPECT_EQ(r.dialogs.shown.back().text, "Importing state of " + path + " has been successful.");
        EXPECT_TRUE(r.display.user.ContainsInt(2));
        EXPECT_EQ(r.options.CompareNums, (TShortIntArray{3, 9}));
        r.PauseAt(60);
        r.env.ChangeState(STARTED);
        ASSERT_EQ(r.Tables(), 60);
        ExpectSameRun(whole, TRunPicture::Of(r.engine));
    }
}

TEST(RunStateFiles, FinishedRunKeepsItsResults)
{
    const TGameCase c = Games()[0];
    TRunPicture before;
    {
        TRig r;
        r.env.OpenGame(WriteGameFile("fin.drw", c.game, 120));
        Options(r.options, 1, 25);
        r.env.ChangeState(STARTED);
        ASSERT_EQ(r.env.RunState, FINISHED);
        before = TRunPicture::Of(r.engine);
        r.dialogs.defaultAnswer = TModalResult::OK;
        r.env.ExportRunState(fixtures::TmpDir() + "fin.jsf");
    }
    TRig r;
    ASSERT_TRUE(r.env.ImportRunState(fixtures::TmpDir() + "fin.jsf"));
    ExpectSameRun(before, TRunPicture::Of(r.engine));
    // The maximum is reached: continuing ends in FINISHED with nothing new.
    r.env.ChangeState(STARTED);
    EXPECT_EQ(r.env.RunState, FINISHED);
    EXPECT_EQ(r.Tables(), 25);
}

// The file is a plain zlib stream of the image, whatever the compression, and
// the tables keep the array-of-rows layout existing readers expect.
TEST(RunStateFiles, FileInflatesWithPlainZlibAndKeepsTheTableLayout)
{
    for (const TGameCase& c : Games()) {
        SCOPED_TRACE(c.name);
        const std::string path = ExportedRun(c, 30, std::string(c.name) + "-layout.jsf");
        Bytes file;
        std::string error;
        ASSERT_TRUE(ReadWholeFile(path, file, error));
        ASSERT_GE(file.size(), 2u);
        EXPECT_EQ(file[0], 0x78);
        const Bytes image = Inflate(file);
        ASSERT_GT(image.size(), 12u);
        EXPECT_EQ(fixtures::Le32(image, 8), WordChecksum(image.data() + 12, image.size() - 12));

        TRig r;
        ASSERT_TRUE(r.env.ImportRunState(path));
        TMemoryStream tables;
        tables.WriteI32(r.engine.TableRegistry.Count());
        for (int t = 1; t <= r.engine.TableRegistry.Count(); ++t) {
            const TJUXClass* table = r.engine.TableRegistry.GetRecord(t);
            tables.WriteI32(table->Id);
            WriteBytes(tables, table->FinalOrder);
            WriteByteArrays(tables, table->RowHits());
            WriteByteArrays(tables, table->RowOrders());
        }
        const Bytes& tail = tables.Bytes();
        ASSERT_GT(image.size(), tail.size());
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), image.end() - std::ptrdiff_t(tail.size())));
    }
}

TEST(RunStateFiles, ExportOnlyWithARunAndImportOnlyWithoutAGame)
{
    TRig r;
    r.env.OpenGame(WriteGameFile("only.drw", Games()[0].game, 120));
    const std::string path = fixtures::TmpDir() + "never.jsf";
    r.env.ExportRunState(path); // LOADED: not offered
    EXPECT_FALSE(FileExists(path));
    const std::string good = ExportedRun(Games()[0], 5, "good.jsf");
    EXPECT_FALSE(r.env.ImportRunState(good));
    EXPECT_EQ(r.env.RunState, LOADED);
}

// Version 0: no reserved integer, no user list.
class TVersion0Writer : public TBaseBinaryFileStream {
public:
    TVersion0Writer(TCurrentGame& g, TGameOptions& o, TJUXEngine& e)
        : TBaseBinaryFileStream(MakeFileHeaderID("JSF "), 0), g_(g), o_(o), e_(e)
    {}

protected:
    void WritePayload() override
    {
        TBinaryFileStreamDraws draws(g_);
        AppendSubStream(draws);
        TBinaryFileStreamOptionsState options(o_, "x.drw");
        AppendSubStream(options);
        const TRunContext& c = e_.Context;
        Data.WriteI32(c.TablesComputed);
        for (const TGameField& f : c.FieldDefsCopy) {
            Data.WriteI32(f.Total);
            Data.WriteI32(f.Picked);
            Data.WriteI32(f.Lowest);
            Data.WriteU8(f.Ordered);
            Data.WriteU8(0);
            Data.WriteU8(0);
            Data.WriteU8(0);
        }
        Data.WriteI32(c.AnalysedField);
        Data.WriteI32(c.PoolSize);
        Data.WriteI32(c.DrawnCount);
        Data.WriteU8(c.CombinedSecondField);
        Data.WriteI32(c.StatWindow);
        Data.WriteI32(c.TestedDraws);
        e_.TableIds.SaveToStream(Data);
        for (int32_t m = 0; m < kModeCount; ++m) {
            const TModeList& mode = e_.Lists.ModeList(m);
            Data.WriteI32(mode.Count());
            for (int i = 1; i <= mode.Count(); ++i) {
                Data.WriteI32(mode.GetRecord(i)->Count());
                for (int j = 1; j <= mode.GetRecord(i)->Count(); ++j)
                    mode.GetRecord(i)->GetRecord(j)->SaveToStream(Data);
            }
        }
        Data.WriteI32(e_.TableRegistry.Count());
        for (int t = 1; t <= e_.TableRegistry.Count(); ++t) {
            const TJUXClass* table = e_.TableRegistry.GetRecord(t);
            Data.WriteI32(table->Id);
            WriteBytes(Data, table->FinalOrder);
            WriteByteArrays(Data, table->RowHits());
            WriteByteArrays(Data, table->RowOrders());
        }
    }

private:
    TCurrentGame& g_;
    TGameOptions& o_;
    TJUXEngine& e_;
};

TEST(RunStateFiles, Version0FileIsUpgraded)
{
    const std::string path = fixtures::TmpDir() + "v0.jsf";
    TRunPicture before;
    {
        TRig r;
        r.env.OpenGame(WriteGameFile("v0.drw", Games()[0].game, 120));
        Options(r.options, 1, 1000000);
        r.options.SetKeepJUXs(TIntArray{4, 1, 9});
        r.PauseAt(12);
        r.env.ChangeState(STARTED);
        before = TRunPicture::Of(r.engine);
        r.engine.Context.ReservedState = 77; // a version 0 file has none
        TVersion0Writer w(r.game, r.options, r.engine);
        w.SaveToFile(path);
    }
    TRig r;
    ASSERT_TRUE(r.env.ImportRunState(path));
    EXPECT_EQ(r.engine.Context.ReservedState, 0);
    std::vector<int32_t> user;
    for (int i = 1; i <= r.display.user.Count(); ++i) {
        int32_t v = 0;
        r.display.user.GetInt(i, v);
        user.push_back(v);
    }
    EXPECT_EQ(user, (std::vector<int32_t>{1, 4, 9}));
    ExpectSameRun(before, TRunPicture::Of(r.engine));

    // Any other old version is refused with the revision message.
    TMemoryStream image;
    image.WriteU32(0);
    try {
        TBinaryFileStreamJUXStateRevision::Upgrade(image, 3);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "[TBinaryFileStreamJUXStateRevision] - invalid revision request 3");
    }
}

TEST(RunStateFiles, OptionsStateReadsModesOnlyWhenExactlyOne)
{
    TRig r;
    r.env.OpenGame(WriteGameFile("jof.drw", Games()[0].game, 120));
    TBinaryFileStreamOptionsState out(r.options, "g.drw");
    out.ExportData();
    Bytes image = out.Stream().Bytes();
    // The three mode items stand after the path "g.drw\0" and ten int32.
    const size_t modes = 12 + 6 + 10 * 4;
    fixtures::Put32(image, modes + 8, 2); // ModeBuildup = 2
    fixtures::Put32(image, 8, WordChecksum(image.data() + 12, image.size() - 12));
    TGameOptions read = r.options;
    TBinaryFileStreamOptionsState in(read, "");
    in.Stream().Bytes() = image;
    in.ImportData();
    EXPECT_EQ(read.Modes, kModeAugmentative | kModeAbsolute);
}

TEST(RunStateFiles, HostileFilesAreRefusedCleanly)
{
    const std::string good = ExportedRun(Games()[1], 8, "hostile.jsf");
    Bytes z;
    ASSERT_TRUE(fixtures::ReadFile(good, z));
    const Bytes image = Inflate(z);
    ASSERT_GT(image.size(), 100u);
    const std::string bad = fixtures::TmpDir() + "bad.jsf";

    std::mt19937 rng(5);
    Bytes random(4096);
    for (auto& b : random)
        b = uint8_t(rng());
    fixtures::WriteFile(bad, random);
    ExpectRefused(bad, "random bytes");
    fixtures::WriteFile(bad, Deflate(random));
    ExpectRefused(bad, "random image");
    fixtures::WriteFile(bad, {});
    ExpectRefused(bad, "empty");
    for (size_t cut : {size_t(5), size_t(12), image.size() / 2, image.size() - 1}) {
        fixtures::WriteFile(bad, Deflate(Bytes(image.begin(), image.begin() + long(cut))));
        ExpectRefused(bad, "truncated");
    }
    fixtures::WriteFile(bad, Bytes(z.begin(), z.begin() + long(z.size() / 2)));
    ExpectRefused(bad, "truncated zlib stream");

    // The table count is the last int32 before the first table: find it by
    // its value right after the lists, from the end of the fixed part.
    TRig probe;
    ASSERT_TRUE(probe.env.ImportRunState(good));
    const int32_t tables = probe.engine.TableRegistry.Count();
    const size_t tableBytes = [&] {
        size_t n = 0;
        for (int t = 1; t <= tables; ++t) {
            const TJUXClass* table = probe.engine.TableRegistry.GetRecord(t);
            n += 16 + table->FinalOrder.size() + size_t(table->Rows()) * (8 + table->PoolSize() + table->HitWidth());
        }
        return n;
    }();
    const size_t countAt = image.size() - tableBytes - 4;
    ASSERT_EQ(int32_t(fixtures::Le32(image, countAt)), tables);
    for (uint32_t count : {0x80000000u, 0x7fffffffu, uint32_t(tables + 1), uint32_t(tables - 1)}) {
        Bytes b = image;
        fixtures::Put32(b, countAt, count);
        fixtures::WriteFile(bad, Deflate(b));
        ExpectRefused(bad, "table count");
    }
    {
        // The first mode list's column count, behind the two sub-streams,
        // the run context and the two integer lists.
        size_t at = 12;
        at += 4 + fixtures::Le32(image, at);
        at += 4 + fixtures::Le32(image, at);
        at += 61;
        at += 4 + 4 * size_t(fixtures::Le32(image, at)) + 1;
        at += 4 + 4 * size_t(fixtures::Le32(image, at)) + 1;
        ASSERT_EQ(fixtures::Le32(image, at), 48u); // 49 - 1 columns
        for (uint32_t columns : {0x80000000u, 0x7fffffffu, 47u, 0u}) {
            Bytes b = image;
            fixtures::Put32(b, at, columns);
            fixtures::WriteFile(bad, Deflate(b));
            ExpectRefused(bad, "column count");
        }
        Bytes b = image;
        fixtures::Put32(b, at + 4, 0x7fffffffu); // category lists of column 1
        fixtures::WriteFile(bad, Deflate(b));
        ExpectRefused(bad, "list count");
    }
    {
        // The first table's FinalOrder one byte shorter than its pool.
        Bytes b = image;
        const size_t lenAt = countAt + 8;
        fixtures::Put32(b, lenAt, fixtures::Le32(b, lenAt) - 1);
        b.erase(b.begin() + long(lenAt + 4));
        fixtures::WriteFile(bad, Deflate(b));
        ExpectRefused(bad, "short table");
    }
}

TEST(RunStateFiles, SnapshotWithAnInvalidGameIsRefused)
{
    const std::string good = ExportedRun(Games()[0], 4, "badgame.jsf");
    Bytes z;
    ASSERT_TRUE(fixtures::ReadFile(good, z));
    const Bytes image = Inflate(z);
    // Field 1's Total in the draws snapshot: after the record length, the
    // snapshot's header, 29 bytes of definition and the name.
    const std::string name = "Test Lotto";
    const size_t totalAt = 12 + 4 + 12 + 29 + name.size() + 1;
    ASSERT_EQ(fixtures::Le32(image, totalAt), 49u);
    const std::string bad = fixtures::TmpDir() + "badgame2.jsf";
    for (uint32_t total : {150u, 6u, 0u, 0xffffffffu}) {
        Bytes b = image;
        fixtures::Put32(b, totalAt, total);
        fixtures::WriteFile(bad, Deflate(b));
        ExpectRefused(bad, "invalid game");
    }
    {
        // A valid game of another pool than the tables were made for.
        Bytes b = image;
        fixtures::Put32(b, totalAt, 45);
        fixtures::WriteFile(bad, Deflate(b));
        ExpectRefused(bad, "other pool");
    }
}

TEST(RunStateFiles, MutatedFilesNeverLeaveAHalfImportedRun)
{
    const std::string good = ExportedRun(Games()[0], 6, "mutate.jsf");
    Bytes z;
    ASSERT_TRUE(fixtures::ReadFile(good, z));
    const Bytes image = Inflate(z);
    const std::string bad = fixtures::TmpDir() + "mutated.jsf";
    std::mt19937 rng(17);
    for (int round = 0; round < 300; ++round) {
        Bytes b = image;
        const int changes = 1 + int(rng() % 3);
        for (int c = 0; c < changes; ++c)
            b[12 + rng() % (b.size() - 12)] = uint8_t(rng());
        fixtures::WriteFile(bad, Deflate(b));
        TRig r;
        const bool ok = r.env.ImportRunState(bad);
        if (ok) {
            // Accepted: the run must be usable.
            EXPECT_EQ(r.env.RunState, PAUSED);
            r.options.MaximumJUXsToScan = r.Tables() + 2;
            r.env.ChangeState(STARTED);
            EXPECT_TRUE(r.env.RunState == FINISHED || r.env.RunState == PAUSED);
        } else {
            EXPECT_EQ(r.env.RunState, STANDBY);
            EXPECT_FALSE(r.env.GameOpen());
            EXPECT_EQ(r.engine.TableRegistry.Count(), 0);
        }
    }
}
