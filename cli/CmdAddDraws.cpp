// jux-cli add-draws: draws typed or piped in as text, added to a game file.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace {

struct TDrawLine {
    TDateTime date = 0;
    int index = 0;
    TArrayOfShortIntArray numbers;
};

bool ParseSmallInt(const std::string& text, int low, int high, int& out)
{
    if (text.empty() || text.size() > 4)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    out = std::atoi(text.c_str());
    return out >= low && out <= high;
}

// "YYYY-MM-DD" or "YYYY-MM-DD/INDEX".
bool ParseDateToken(const std::string& token, TDateTime& date, int& index)
{
    const std::string day = token.substr(0, token.find('/'));
    index = 1;
    if (day.size() != token.size() && !ParseSmallInt(token.substr(day.size() + 1), 0, 99, index))
        return false;
    int y = 0, m = 0, d = 0;
    if (day.size() != 10 || day[4] != '-' || day[7] != '-' || !ParseSmallInt(day.substr(0, 4), 1, 9999, y) ||
        !ParseSmallInt(day.substr(5, 2), 1, 12, m) || !ParseSmallInt(day.substr(8, 2), 1, 31, d))
        return false;
    try {
        date = EncodeDate(y, m, d);
    } catch (const std::exception&) {
        return false;
    }
    int y2 = 0, m2 = 0, d2 = 0;
    return date != 0 && DecodeDate(date, y2, m2, d2) && y2 == y && m2 == m && d2 == d;
}

bool ParseDrawLine(std::string line, const TDrawClass& model, TDrawLine& out, std::string& why)
{
    std::string spaced;
    for (char c : line)
        spaced += c == '|' ? std::string(" | ") : std::string(1, c);
    std::istringstream in(spaced);
    std::string token;
    const TGameInfo& g = model.GameInfo();
    if (model.Dated()) {
        in >> token;
        if (!ParseDateToken(token, out.date, out.index)) {
            why = "'" + token + "' is not a date YYYY-MM-DD[/index]";
            return false;
        }
    }
    out.numbers.assign(1, {});
    while (in >> token) {
        if (token == "|") {
            out.numbers.emplace_back();
            continue;
        }
        int n = 0;
        if (!ParseSmallInt(token, 0, 127, n)) {
            why = "'" + token + "' is not a ball number";
            return false;
        }
        out.numbers.back().push_back(static_cast<int8_t>(n));
    }
    if (static_cast<int>(out.numbers.size()) != g.FieldCount) {
        why = Format("%d field(s) expected, separated by '|'", g.FieldCount);
        return false;
    }
    for (int f = 0; f < g.FieldCount; ++f)
        if (static_cast<int>(out.numbers[f].size()) != g.Fields[f].Picked) {
            why = Format("field %d needs %d numbers", f + 1, g.Fields[f].Picked);
            return false;
        }
    return true;
}

// Why the model would refuse a draw, in its own words.
std::string RefusalReason(const TDrawClass& model, const TDrawLine& d)
{
    if (model.Dated() && (d.date == 0 || d.index < 1 || d.index > model.DrawsPerDay()))
        return "Add draw : Invalid date entered.";
    TArrayOfShortIntArray copy = d.numbers;
    if (!model.CheckNumbers(copy))
        return "Add draw : Invalid numbers entered.";
    if (model.Dated() && model.FindDraw(d.index, d.date) != 0)
        return "Add draw : Date already exists in data.";
    return "refused";
}

int RunAddDraws(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"yes"}, {});
    if (!a.ok())
        return CliUsageError("add-draws", a.error());
    if (a.positional().size() != 1)
        return CliUsageError("add-draws", "one game file expected");
    // The input is read before the game is locked: a slow typist must not
    // keep other programs from the game.
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string converted;
        if (!clitext::In("add-draws", "line " + std::to_string(lines.size() + 1), line, converted))
            return kExitFailure;
        lines.push_back(converted);
    }
    TCurrentGame game;
    TFileLock lock;
    if (!gamecli::OpenForChange("add-draws", a.positional()[0], game, lock))
        return kExitFailure;
    TDrawClass& model = *game.Draws;
    int added = 0, refused = 0, lineNo = 0;
    for (const std::string& converted : lines) {
        ++lineNo;
        const std::string text = Trim(converted);
        if (text.empty() || text[0] == '#')
            continue;
        TDrawLine d;
        std::string why;
        if (ParseDrawLine(text, model, d, why)) {
            if (model.AddDraw(d.index, 0, d.numbers, d.date) > 0) {
                ++added;
                continue;
            }
            why = RefusalReason(model, d);
        }
        ++refused;
        std::printf("Refused line %d (%s): %s\n", lineNo, clitext::Out(text).c_str(), clitext::Out(why).c_str());
    }
    if (added == 0) {
        std::printf("Added 0 draw(s), refused %d line(s).\n", refused);
        return refused == 0 ? kExitOk : kExitFailure;
    }
    TConsoleDialogs dialogs(a.has("yes") ? TModalResult::Yes : TModalResult::No);
    InstallUserDialogs(&dialogs);
    const bool saved = SaveGameFile(game);
    InstallUserDialogs(nullptr);
    if (!saved) {
        std::fprintf(stderr, "jux-cli add-draws: %s was not saved%s\n", game.FilePath.c_str(),
                     a.has("yes") ? "" : " (confirm with --yes)");
        return kExitFailure;
    }
    std::printf("Added %d draw(s), refused %d line(s).\n", added, refused);
    std::printf("Saved %s with %d draws.\n", game.FilePath.c_str(), model.DrawCount());
    return kExitOk;
}

const TCliRegistrar registrar({"add-draws", "GAME.drw [--yes] < DRAWS.txt",
                               "add draws read from standard input, one per line: "
                               "YYYY-MM-DD[/index] n n n ... [| m ...] (no date for an undated game)",
                               RunAddDraws});

} // namespace
