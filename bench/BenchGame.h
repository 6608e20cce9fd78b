// The benchmark game: 6 of 49, 300 seeded draws, one a day.
#pragma once

#include <algorithm>
#include <memory>
#include <random>

#include "data/GameModel.h"
#include "data/Utils.h"

inline std::unique_ptr<TDrawClass> MakeBenchGame(TGameInfo& info)
{
    info.Name = "Bench Lotto";
    info.FieldCount = 1;
    info.DrawsPerDay = 1;
    info.Fields[0] = TGameField{49, 6, 1, 0};
    info.FieldNames[0] = "Main numbers";
    auto model = std::make_unique<TDrawClass>(info);
    std::mt19937 rng(2024);
    const TDateTime first = EncodeDate(2000, 1, 1);
    for (int d = 0; d < 300; ++d) {
        TShortIntArray balls;
        while (balls.size() < 6) {
            const int8_t b = int8_t(1 + rng() % 49);
            if (std::find(balls.begin(), balls.end(), b) == balls.end())
                balls.push_back(b);
        }
        model->AddDraw(1, 0, {balls}, first + d);
    }
    return model;
}
