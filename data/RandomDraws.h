// Reproducible pseudo-random draws of a game, for demo games, test fixtures
// and benchmarks: the same seed gives the same draws everywhere.
#pragma once

#include <random>

#include "data/GameModel.h"

// A field's balls drawn at random: distinct unless the field is ordered, and
// never one of `avoid` (the main balls, for a bonus field).
TShortIntArray RandomBalls(std::mt19937& rng, const TGameField& field, const TShortIntArray& avoid = {});

// One draw of every field of the game.
TArrayOfShortIntArray RandomDraw(std::mt19937& rng, const TGameInfo& game);
