// jux-cli formation CODE: decodes a compact formation code of the online games
// list and prints the field descriptors, ticket counts and value widths.
#include <cstdio>

#include "cli/Commands.h"
#include "data/GameModel.h"

namespace {

const char* KindName(uint8_t kind)
{
    switch (kind) {
    case 1: return "Power ball";
    case 2: return "Bonus ball";
    default: return "none";
    }
}

int RunFormation(const std::vector<std::string>& args)
{
    TCliArgs parsed(args, {}, {});
    if (!parsed.ok())
        return CliUsageError("formation", parsed.error());
    if (parsed.positional().size() != 1)
        return CliUsageError("formation", parsed.positional().empty() ? "missing formation code"
                                                                      : "exactly one formation code expected");
    std::array<TGameField, 2> fields{};
    uint8_t kind = 0;
    try {
        ParseFormationCode(parsed.positional()[0], fields, kind);
    } catch (const EConvertError& e) {
        std::fprintf(stderr, "jux-cli formation: %s\n", e.what());
        return kExitFailure;
    }
    TGameInfo game;
    game.Name = "formation";
    game.FieldCount = kind ? 2 : 1;
    game.Fields = fields;
    game.Field2Kind = kind;
    const bool valid = ValidateGameInfo(game);

    std::printf("Formation: %s\n", FormationText(fields, kind).c_str());
    std::printf("Second field: %d (%s)\n", kind, KindName(kind));
    for (int i = 0; i < (kind ? 2 : 1); ++i) {
        const TGameField& f = fields[static_cast<size_t>(i)];
        std::printf("Field %d: Total %d, Picked %d, Lowest %d, Ordered %d, Tickets %lld, Value width %d\n", i + 1,
                    f.Total, f.Picked, f.Lowest, f.Ordered, static_cast<long long>(TicketCount64(f)), ValueWidth(f));
    }
    std::printf("Valid: %s\n", valid ? "yes" : "no");
    return kExitOk;
}

const TCliRegistrar registrar({"formation", "CODE", "decode a formation code such as 0649|01BB", RunFormation});

} // namespace
