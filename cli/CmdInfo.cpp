// jux-cli info: what examining a game file tells, without opening the game.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace {

int RunInfo(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"json"}, {});
    if (!a.ok())
        return CliUsageError("info", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("info", "one game file expected");
    const std::string& path = a.positional()[0];
    TGameIOInfo info;
    try {
        info = ReadGameInfo(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli info: %s\n", e.what());
        return kExitFailure;
    }
    const TGameInfo& g = info.Game;
    // The definition is only known once the definition passed.
    const bool known = info.Status > gioInvalidDefinition;
    const std::string formation = known ? FormationText(g.Fields, g.Field2Kind) : "";
    const std::string last = gamecli::IsoDate(info.LastDrawDate);
    using gamecli::JsonString;
    if (a.has("json")) {
        std::printf("{\"file\": %s, \"status\": %d, \"status_text\": %s, \"valid\": %s", JsonString(path).c_str(),
                    info.Status, JsonString(GameIOStatusText(info.Status)).c_str(),
                    info.Status == gioValid ? "true" : "false");
        if (known) {
            std::printf(", \"draw_count\": %u, \"last_draw_date\": %s, \"formation\": %s, \"name\": %s, "
                        "\"field_names\": [",
                        info.DrawCount, last.empty() ? "null" : JsonString(last).c_str(), JsonString(formation).c_str(),
                        JsonString(g.Name).c_str());
            for (int f = 0; f < g.FieldCount; ++f)
                std::printf("%s%s", f ? ", " : "", JsonString(g.FieldNames[f]).c_str());
            std::printf("], \"draws_per_day\": %d, \"online_id\": %d", g.DrawsPerDay, g.OnlineID);
        }
        std::printf("}\n");
    } else {
        std::printf("File: %s\n", path.c_str());
        std::printf("Status: %d %s\n", info.Status,
                    info.Status == gioValid ? "Valid game file." : GameIOStatusText(info.Status).c_str());
        if (known) {
            std::printf("Name: %s\n", g.Name.c_str());
            std::printf("Formation: %s\n", formation.c_str());
            std::string names;
            for (int f = 0; f < g.FieldCount; ++f)
                names += (f ? ", " : "") + g.FieldNames[f];
            std::printf("Field names: %s\n", names.c_str());
            std::printf("Draws per day: %d\n", g.DrawsPerDay);
            std::printf("Draw count: %u\n", info.DrawCount);
            std::printf("Last draw date: %s\n", last.empty() ? "Undefined" : last.c_str());
            std::printf("Online ID: %d\n", g.OnlineID);
        }
    }
    return info.Status == gioValid ? kExitOk : kExitFailure;
}

const TCliRegistrar registrar({"info", "GAME.drw [--json]",
                               "examine a game file: status, definition, draw count, last draw date", RunInfo});

} // namespace
