// jux-cli odds N D S [--json]: the odds table of a lottery drawing D of N
// numbers when S are played, as the calculator copies it to the clipboard.
#include <cstdio>
#include <string>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "data/TextCodec.h"
#include "data/Types.h"
#include "engine/OddsTable.h"

namespace {

int RunOdds(const std::vector<std::string>& args)
{
    TCliArgs a(args, {"json"}, {});
    if (!a.ok())
        return CliUsageError("odds", a.error());
    if (a.positional().size() != 3)
        return CliUsageError("odds", "three whole numbers expected: total numbers, numbers drawn, numbers selected");

    int32_t values[3] = {};
    for (size_t i = 0; i < 3; ++i) {
        std::string text;
        std::string why;
        if (!Utf8ToWin1252(a.positional()[i], text, &why)) {
            std::fprintf(stderr, "jux-cli odds: %s\n", why.c_str());
            return kExitFailure;
        }
        try {
            values[i] = StrToInt(text);
        } catch (const EConvertError& e) {
            std::fprintf(stderr, "%s\n", Win1252ToUtf8(e.what()).c_str());
            return kExitFailure;
        }
    }
    const std::vector<std::string> failed = ValidateOdds(values[0], values[1], values[2]);
    if (!failed.empty()) {
        for (const std::string& message : failed)
            std::fprintf(stderr, "%s\n", message.c_str());
        return kExitFailure;
    }

    const TOddsTable table = ComputeOddsTable(values[0], values[1], values[2]);
    if (a.has("json")) {
        clitext::Json rows = clitext::Json::array();
        for (const TOddsRow& row : table.Rows)
            rows.push_back(
                {{"label", row.Caption}, {"k", row.Tag}, {"percent", row.PercentText}, {"once_in", row.OnceInText}});
        clitext::Json out;
        out["rows"] = std::move(rows);
        out["combined_all"] = OddsCombinedLine(table, std::vector<bool>(table.Rows.size(), true));
        clitext::PrintJson(out);
    } else {
        const std::string text = OddsClipboardText(table);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return kExitOk;
}

const TCliRegistrar registrar({"odds", "N D S [--json]", "odds of matching k numbers playing S of N when D are drawn",
                               RunOdds});

} // namespace
