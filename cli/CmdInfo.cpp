// jux-cli info: what examining a game file tells, without opening the game.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RefusedRecords.h"

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
        std::fprintf(stderr, "jux-cli info: %s\n", Win1252ToUtf8(e.what()).c_str());
        return kExitFailure;
    }
    // Loading tells which records the history refuses.
    TCurrentGame game;
    if (info.Status == gioValid) {
        try {
            OpenGameFile(path, game);
        } catch (const std::exception&) {
        }
    }
    const TGameInfo& g = info.Game;
    // The definition is only known once the definition passed.
    const bool known = info.Status > gioInvalidDefinition;
    const std::string formation = known ? FormationText(g.Fields, g.Field2Kind) : "";
    const std::string last = gamecli::IsoDate(info.LastDrawDate);
    using clitext::Out;
    if (a.has("json")) {
        clitext::Json doc;
        doc["file"] = path;
        doc["status"] = info.Status;
        doc["status_text"] = GameIOStatusText(info.Status);
        doc["valid"] = info.Status == gioValid;
        if (known) {
            doc["draw_count"] = info.DrawCount;
            doc["last_draw_date"] = last.empty() ? clitext::Json(nullptr) : clitext::Json(last);
            doc["formation"] = Out(formation);
            doc["name"] = Out(g.Name);
            doc["field_names"] = clitext::Json::array();
            for (int f = 0; f < g.FieldCount; ++f)
                doc["field_names"].push_back(Out(g.FieldNames[f]));
            doc["draws_per_day"] = g.DrawsPerDay;
            doc["online_id"] = g.OnlineID;
        }
        if (game.Draws) {
            doc["loaded_draw_count"] = game.Draws->DrawCount();
            doc["records_not_loaded"] = gamecli::RefusedRecordsJson(game.Refused);
        }
        clitext::PrintJson(doc);
    } else {
        std::printf("File: %s\n", path.c_str());
        std::printf("Status: %d %s\n", info.Status,
                    info.Status == gioValid ? "Valid game file." : GameIOStatusText(info.Status).c_str());
        if (known) {
            std::printf("Name: %s\n", Out(g.Name).c_str());
            std::printf("Formation: %s\n", Out(formation).c_str());
            std::string names;
            for (int f = 0; f < g.FieldCount; ++f)
                names += (f ? ", " : "") + g.FieldNames[f];
            std::printf("Field names: %s\n", Out(names).c_str());
            std::printf("Draws per day: %d\n", g.DrawsPerDay);
            std::printf("Draw count: %u\n", info.DrawCount);
            std::printf("Last draw date: %s\n", last.empty() ? "Undefined" : last.c_str());
            std::printf("Online ID: %d\n", g.OnlineID);
        }
        const std::string note = game.Draws ? gamecli::RefusedRecordsNote(game) : std::string();
        if (!note.empty())
            std::printf("%s\n", note.c_str());
    }
    return info.Status == gioValid ? kExitOk : kExitFailure;
}

const TCliRegistrar registrar({"info", "GAME.drw [--json]",
                               "examine a game file: status, definition, draw count, last draw date", RunInfo});

} // namespace
