// Games made in code for the game file tests: definitions, seeded draws, and
// the damage helpers (checksum recomputation, little-endian patches).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "data/BinaryFileStream.h"
#include "data/GameFile.h"
#include "data/GameModel.h"
#include "data/RandomDraws.h"
#include "data/Utils.h"

namespace fixtures {

using Bytes = std::vector<uint8_t>;
using ::RandomBalls;
using ::RandomDraw;

inline TGameInfo MakeGame(int picked, int total, int drawsPerDay = 1, uint8_t kind = 0, int picked2 = 0, int total2 = 0,
                          int lowest = 1, uint8_t ordered = 0)
{
    TGameInfo g;
    g.Name = "Test Lotto";
    g.FieldCount = kind == 0 ? 1 : 2;
    g.Field2Kind = kind;
    g.DrawsPerDay = drawsPerDay;
    g.Fields[0] = TGameField{total, picked, lowest, ordered};
    if (kind == 2)
        g.Fields[1] = TGameField{total, picked2, lowest, ordered};
    else if (kind == 1)
        g.Fields[1] = TGameField{total2, picked2, 1, 0};
    g.FieldNames[0] = "Main numbers";
    if (kind != 0)
        g.FieldNames[1] = kind == 1 ? "Powerball" : "Bonus ball";
    return g;
}

// Adds `count` draws, one per day (each index of the day in turn when the
// game has several draws a day) from 1 January 2000.
inline void FillDraws(TDrawClass& model, const TGameInfo& g, int count, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    const TDateTime first = EncodeDate(2000, 1, 1);
    const int perDay = g.DrawsPerDay > 0 ? g.DrawsPerDay : 1;
    for (int i = 0; i < count; ++i) {
        const TDateTime date = g.DrawsPerDay > 0 ? first + i / perDay : 0;
        const int index = g.DrawsPerDay > 0 ? 1 + i % perDay : 0;
        model.AddDraw(index, 0, RandomDraw(rng, g), date);
    }
}

inline Bytes BuildImage(const TGameInfo& g, TDrawClass& model)
{
    TMemoryStream s;
    if (!WriteGameHeader(s, g) || !WriteDraws(s, g, model))
        return {};
    return s.Bytes();
}

inline uint32_t Le32(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

inline void Put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void FixChecksum(Bytes& b) { Put32(b, 4, WordChecksum(b.data() + 8, b.size() - 8)); }

inline std::string TmpDir()
{
    const char* dir = std::getenv("JUX_TEST_TMP");
    std::string d = dir ? dir : "/tmp/jux-test";
    std::system(("mkdir -p '" + d + "'").c_str());
    return d + "/";
}

inline bool ReadFile(const std::string& path, Bytes& out)
{
    std::string err;
    return ReadWholeFile(path, out, err);
}

inline bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::string err;
    return WriteWholeFile(path, bytes, err);
}

} // namespace fixtures
