// Reproducible pseudo-random draws.
#include "data/RandomDraws.h"

#include <algorithm>

TShortIntArray RandomBalls(std::mt19937& rng, const TGameField& field, const TShortIntArray& avoid)
{
    TShortIntArray balls;
    while (static_cast<int>(balls.size()) < field.Picked) {
        const int b = static_cast<int>(rng() % static_cast<unsigned>(field.Total)) + field.Lowest;
        const auto same = [b](int8_t x) { return x == b; };
        const bool clash = (!field.Ordered && std::any_of(balls.begin(), balls.end(), same)) ||
                           std::any_of(avoid.begin(), avoid.end(), same);
        if (!clash)
            balls.push_back(static_cast<int8_t>(b));
    }
    return balls;
}

TArrayOfShortIntArray RandomDraw(std::mt19937& rng, const TGameInfo& game)
{
    TArrayOfShortIntArray draw;
    draw.push_back(RandomBalls(rng, game.Fields[0]));
    if (game.FieldCount == 2)
        draw.push_back(RandomBalls(rng, game.Fields[1], game.Field2Kind == 2 ? draw[0] : TShortIntArray{}));
    return draw;
}
