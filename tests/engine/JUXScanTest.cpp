// Which of the scan's paths serves a table, and that the paths agree.
#include <gtest/gtest.h>

#include <memory>

#include "data/GameModel.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "engine/JUXScan.h"
#include "support/GameFixtures.h"

namespace {

using TPath = TJUXScanner::TPath;
using TVectors = TJUXScanner::TVectors;

struct TScanned {
    std::unique_ptr<TJUXClass> first, second; // from the draws, then from the first
    TPath path = TPath::Recount;
};

TScanned ScanTwo(TJUXEngine& engine, const TDrawClass& model, TVectors vectors)
{
    TJUXScanner scanner(vectors);
    scanner.LoadDraws(&model, engine.Context);
    TScanned out;
    out.first = engine.CreateTable(1);
    scanner.Scan(*out.first, nullptr, engine.Context);
    out.second = engine.CreateTable(2);
    scanner.Scan(*out.second, out.first.get(), engine.Context);
    out.path = scanner.LastPath();
    return out;
}

void ExpectSameTable(const TJUXClass& a, const TJUXClass& b)
{
    EXPECT_EQ(a.FinalOrder, b.FinalOrder);
    EXPECT_EQ(a.RowOrders(), b.RowOrders());
    EXPECT_EQ(a.RowHits(), b.RowHits());
}

TEST(JUXScanPaths, VectorsPoolAndWindowChooseThePathAndAllAgree)
{
    const TPath wideOrSliding = TJUXScanner::WideVectorsAvailable() ? TPath::Wide : TPath::Sliding;
    struct Case {
        int total, window;
        TPath widest, portable; // the path each choice of vectors takes
    } cases[] = {
        {49, 20, wideOrSliding, TPath::Sliding},
        {63, 9, wideOrSliding, TPath::Sliding},    // the largest pool in 64 lanes
        {64, 9, TPath::Sliding, TPath::Sliding},   // one past it
        {99, 20, TPath::Sliding, TPath::Sliding},  // the largest pool
        {49, 800, TPath::Recount, TPath::Recount}, // sums past 16 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pool " << c.total << " window " << c.window);
        TGameInfo info = fixtures::MakeGame(6, c.total);
        TDrawClass model(info);
        fixtures::FillDraws(model, info, 150, 11u + unsigned(c.total));
        TGameOptions options;
        options.SetGame(&model);
        options.SetDefaults();
        options.TotalTestDraws = 30;
        TJUXEngine engine(options);
        engine.StartRun();
        engine.Context.StatWindow = c.window;
        const TScanned widest = ScanTwo(engine, model, TVectors::Widest);
        const TScanned portable = ScanTwo(engine, model, TVectors::Portable);
        EXPECT_EQ(widest.path, c.widest);
        EXPECT_EQ(portable.path, c.portable);
        ExpectSameTable(*widest.first, *portable.first);
        ExpectSameTable(*widest.second, *portable.second);
        // A table made of its predecessor differs from it.
        EXPECT_NE(widest.second->RowOrders(), widest.first->RowOrders());
    }
}

} // namespace
