// Random damage to valid game files and snapshots: the examiner and the
// loaders must answer a status or an exception, never crash or hang.
#include <gtest/gtest.h>

#include <random>

#include "support/GameFixtures.h"

using namespace fixtures;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kCases = 1500;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kCases = 1500;
#else
constexpr int kCases = 6000;
#endif
#else
constexpr int kCases = 6000;
#endif

void Mutate(std::mt19937& rng, Bytes& b, bool fixChecksum, size_t checksumFrom)
{
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
        if (b.empty())
            b.push_back(0);
        const size_t at = rng() % b.size();
        switch (rng() % 6) {
        case 0: b[at] = static_cast<uint8_t>(rng()); break;
        case 1: b[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: b.resize(at); break;
        case 3: b.insert(b.begin() + static_cast<long>(at), static_cast<uint8_t>(rng())); break;
        case 4: // a large little-endian count somewhere
            if (at + 4 <= b.size())
                Put32(b, at, (rng() % 2) ? 0xFFFFFFFFu : static_cast<uint32_t>(rng()));
            break;
        default: b.erase(b.begin() + static_cast<long>(at)); break;
        }
    }
    if (fixChecksum && b.size() >= checksumFrom)
        Put32(b, checksumFrom - 4, WordChecksum(b.data() + checksumFrom, b.size() - checksumFrom));
}

} // namespace

TEST(GameFileFuzz, DamagedGameFilesAnswerAStatus)
{
    const TGameInfo games[] = {MakeGame(6, 49, 1), MakeGame(5, 50, 2, 1, 2, 10), MakeGame(3, 10, 0, 0, 0, 0, 0, 1),
                               MakeGame(6, 49, 0, 2, 1)};
    std::vector<Bytes> valid;
    for (const auto& g : games) {
        TGameInfo copy = g;
        copy.Commission.Set("Operator", "Somebody");
        TDrawClass model(copy);
        FillDraws(model, copy, 30);
        valid.push_back(BuildImage(copy, model));
        ASSERT_EQ(ExamineGameImage(valid.back()).Status, gioValid);
    }
    std::mt19937 rng(424242);
    int statuses[9] = {};
    for (int i = 0; i < kCases; ++i) {
        Bytes b = valid[i % valid.size()];
        // Most cases keep a correct checksum so the checks behind it are reached.
        Mutate(rng, b, rng() % 4 != 0, 8);
        TGameIOInfo info = ExamineGameImage(b);
        ASSERT_LE(info.Status, gioValid);
        ++statuses[info.Status];
        if (info.Status == gioValid) {
            TDrawClass model(info.Game);
            LoadDrawsFromImage(b, info, model); // a valid file must load
            EXPECT_LE(static_cast<uint32_t>(model.DrawCount()), info.DrawCount);
        } else {
            // The loader given an unchecked file fails cleanly or loads what fits.
            info.Game = games[i % 4];
            TDrawClass model(info.Game);
            try {
                LoadDrawsFromImage(b, info, model);
            } catch (const Exception&) {
            }
            EXPECT_LE(model.DrawCount(), static_cast<int>(b.size() / 6));
        }
    }
    // The damage reached the later checks, not only the first ones.
    EXPECT_GT(statuses[gioCorrupted], 0);
    EXPECT_GT(statuses[gioInvalidDefinition], 0);
    EXPECT_GT(statuses[gioDrawDataErrors], 0);
    EXPECT_GT(statuses[gioReadError], 0);
    EXPECT_GT(statuses[gioValid], 0);
}

TEST(GameFileFuzz, DamagedSnapshotsFailCleanly)
{
    TCurrentGame source;
    source.Info = MakeGame(5, 50, 2, 1, 2, 10);
    source.Info.Commission.Set("Operator", "Somebody");
    source.Draws = std::make_unique<TDrawClass>(source.Info);
    FillDraws(*source.Draws, source.Info, 25);
    TBinaryFileStreamDraws out(source);
    out.ExportData();
    const Bytes image = out.Stream().Bytes();

    std::mt19937 rng(777);
    int imported = 0;
    for (int i = 0; i < kCases / 2; ++i) {
        Bytes b = image;
        Mutate(rng, b, true, 12);
        TCurrentGame target;
        TBinaryFileStreamDraws in(target);
        in.Stream() = TMemoryStream(b);
        try {
            in.ImportData();
            ++imported;
            ASSERT_TRUE(target.Draws);
            EXPECT_EQ(target.Info.State, 2);
        } catch (const Exception&) {
            EXPECT_FALSE(target.Draws);
            EXPECT_EQ(target.Info.State, 0);
        }
    }
    EXPECT_LT(imported, kCases / 2);
}
