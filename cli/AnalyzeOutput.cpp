// Options and reports of the analysis commands of jux-cli.
#include "cli/AnalyzeOutput.h"

#include <algorithm>

#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"

namespace analyzecli {

const char* const kAnalyzeUsage =
    "GAME.drw [--field F] [--tested T] [--stat D] [--start S] [--tables N] [--modes aug,abs,build] "
    "[--per-column M] [--min-req A] [--max-req B] [--min-hits C] [--max-hits E] [--keep ID,ID,...] [--threads N] "
    "[--json] [--dump-table ID]";

std::vector<std::string> AnalyzeValueOptions()
{
    return {"field",   "tested",  "stat",     "start",    "tables", "modes",      "per-column",
            "min-req", "max-req", "min-hits", "max-hits", "keep",   "dump-table", "threads"};
}

std::vector<std::string> AnalyzeFlags() { return {"json"}; }

namespace {

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        parts.push_back(Trim(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from)));
        if (comma == std::string::npos)
            return parts;
        from = comma + 1;
    }
}

std::vector<int32_t> ListIds(const TCategoryList* list)
{
    std::vector<int32_t> ids;
    if (!list)
        return ids;
    for (int p = 1; p <= list->Count(); ++p) {
        int32_t id = 0;
        list->GetInt(p, id);
        ids.push_back(id);
    }
    return ids;
}

std::vector<int32_t> Balls(const TJUXEngine& engine, const int8_t* numbers, int32_t count)
{
    std::vector<int32_t> balls;
    for (int32_t i = 0; i < count; ++i)
        balls.push_back(engine.Context.BallOf(numbers[i]));
    return balls;
}

} // namespace

bool ParseThreads(const TCliArgs& args, int32_t& threads, std::string& error)
{
    threads = 0;
    if (!args.has("threads"))
        return true;
    const std::string v = args.value("threads");
    if (!ParseCliInt32(v, threads) || threads < 0 || threads > TJUXEngine::kMaxThreads) {
        error = Format("option --threads needs a count from 1 to %d (0: one per core), not '%s'",
                       TJUXEngine::kMaxThreads, v.c_str());
        return false;
    }
    return true;
}

bool ParseAnalyzeArgs(const std::vector<std::string>& args, TAnalyzeRequest& r, std::string& error,
                      const std::vector<std::string>& extraFlags, const std::vector<std::string>& extraOptions)
{
    std::vector<std::string> flags = AnalyzeFlags();
    flags.insert(flags.end(), extraFlags.begin(), extraFlags.end());
    std::vector<std::string> options = AnalyzeValueOptions();
    options.insert(options.end(), extraOptions.begin(), extraOptions.end());
    TCliArgs a(args, flags, options);
    if (!a.ok()) {
        error = a.error();
        return false;
    }
    if (a.positional().size() != 1) {
        error = "one game file expected";
        return false;
    }
    r.gamePath = a.positional()[0];
    struct IntOption {
        const char* name;
        int32_t* value;
        bool* given;
    };
    const IntOption ints[] = {{"field", &r.field, &r.hasField},        {"tested", &r.tested, &r.hasTested},
                              {"stat", &r.stat, &r.hasStat},           {"start", &r.start, &r.hasStart},
                              {"tables", &r.tables, nullptr},          {"per-column", &r.perColumn, &r.hasPerColumn},
                              {"min-req", &r.minReq, nullptr},         {"max-req", &r.maxReq, nullptr},
                              {"min-hits", &r.minHits, nullptr},       {"max-hits", &r.maxHits, nullptr},
                              {"dump-table", &r.dumpTable, &r.hasDump}};
    for (const auto& o : ints) {
        if (!a.has(o.name))
            continue;
        const std::string v = a.value(o.name);
        if (!ParseCliInt32(v, *o.value)) {
            error = std::string("option --") + o.name + " needs an integer, not '" + v + "'";
            return false;
        }
        if (o.given)
            *o.given = true;
    }
    if (a.has("modes")) {
        r.modes = 0;
        for (const std::string& m : SplitCommas(a.value("modes"))) {
            if (m == "aug")
                r.modes |= kModeAugmentative;
            else if (m == "abs")
                r.modes |= kModeAbsolute;
            else if (m == "build")
                r.modes |= kModeBuildup;
            else if (!m.empty()) {
                error = "unknown mode '" + m + "' (aug, abs, build)";
                return false;
            }
        }
    }
    if (a.has("keep")) {
        for (const std::string& id : SplitCommas(a.value("keep"))) {
            int32_t v = 0;
            if (!ParseCliInt32(id, v)) {
                error = "option --keep needs table IDs separated by commas, not '" + a.value("keep") + "'";
                return false;
            }
            r.keep.push_back(v);
        }
    }
    if (!ParseThreads(a, r.threads, error))
        return false;
    r.json = a.has("json");
    if (r.hasDump && !r.json) {
        error = "--dump-table needs --json";
        return false;
    }
    return true;
}

void ApplyAnalyzeOptions(const TAnalyzeRequest& r, TGameOptions& options)
{
    options.SetDefaults();
    // Set as given: a field the game does not have is refused by the start of
    // the run with its own message.
    if (r.hasField)
        options.FieldSelected = r.field;
    if (r.hasTested)
        options.TotalTestDraws = r.tested;
    if (r.hasStat)
        options.MaxStatData = r.stat;
    options.SetStartPoint(r.hasStart ? r.start : options.DrawCount() - options.TotalTestDraws);
    options.MinReqNumbers = r.minReq;
    options.MaxReqNumbers = r.maxReq;
    options.MinHitCategory = r.minHits;
    options.MaxHitCategory = r.maxHits;
    options.Modes = r.modes;
    if (r.hasPerColumn)
        options.MaximumJUXsPerColumn = r.perColumn;
    options.MaximumJUXsToScan = r.tables;
    options.SetKeepJUXs(TIntArray(r.keep.begin(), r.keep.end()));
}

const char* ModeTitle(int32_t mode)
{
    static const char* const titles[] = {"Augmentative", "Absolute", "Build-up"};
    return mode >= 0 && mode < kModeCount ? titles[mode] : "";
}

const char* ModeJsonKey(int32_t mode)
{
    static const char* const keys[] = {"augmentative", "absolute", "buildup"};
    return mode >= 0 && mode < kModeCount ? keys[mode] : "";
}

bool RunGameFile(const std::string& command, const TAnalyzeRequest& request, TCurrentGame& game, TGameOptions& options,
                 TJUXEngine& engine)
{
    if (!gamecli::OpenForCommand(command, request.gamePath, game))
        return false;
    options.SetGame(game.Draws.get());
    try {
        ApplyAnalyzeOptions(request, options);
        options.Validate();
        engine.SetThreads(request.threads);
        engine.StartRun();
        engine.RunAnalysis();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jux-cli %s: %s\n", command.c_str(), clitext::Out(e.what()).c_str());
        return false;
    }
    return true;
}

std::string AnalyzeText(const TJUXEngine& engine, double seconds)
{
    const uint8_t bits[kModeCount] = {kModeAugmentative, kModeAbsolute, kModeBuildup};
    const TRunContext& c = engine.Context;
    const int width = c.PoolSize >= 10 ? 2 : 1;
    std::string out;
    for (int32_t mode = 0; mode < kModeCount; ++mode) {
        if (!(engine.Options().Modes & bits[mode]))
            continue;
        out += std::string(ModeTitle(mode)) + "\n";
        for (int32_t i = 1; i <= c.PoolSize - 1; ++i)
            for (int32_t j = 1; j <= std::min(i, c.HitWidth()); ++j) {
                out += Format("%2d numbers %2d hits: ", i, j);
                const std::vector<int32_t> ids = ListIds(engine.CategoryList(i, j, mode));
                const TJUXClass* best = ids.empty() ? nullptr : engine.FindTable(ids.front());
                if (!best) {
                    out += "-\n";
                    continue;
                }
                std::vector<int32_t> balls = Balls(engine, best->FinalOrder.data(), i);
                std::sort(balls.begin(), balls.end());
                out += Format("table %d:", best->Id);
                for (int32_t b : balls)
                    out += Format(" %0*d", width, b);
                out += "\n";
            }
    }
    out += Format("Tables computed: %d in %.3f s\n", c.TablesComputed, seconds);
    return out;
}

std::string AnalyzeJson(const TJUXEngine& engine, int32_t dumpTable)
{
    using Json = clitext::Json;
    const TRunContext& c = engine.Context;
    Json doc;
    doc["tables_computed"] = c.TablesComputed;
    Json ids = Json::array();
    for (int p = 1; p <= engine.TableIds.Count(); ++p) {
        int32_t id = 0;
        engine.TableIds.GetInt(p, id);
        ids.push_back(id);
    }
    doc["table_ids"] = std::move(ids);
    Json tables = Json::array();
    for (int p = 1; p <= engine.TableRegistry.Count(); ++p) {
        const TJUXClass* t = engine.TableRegistry.GetRecord(p);
        Json table;
        table["id"] = t->Id;
        table["final_order"] = Balls(engine, t->FinalOrder.data(), t->PoolSize());
        if (t->Id == dumpTable) {
            Json orders = Json::array(), hits = Json::array();
            for (int32_t r = 0; r < t->Rows(); ++r) {
                orders.push_back(Balls(engine, t->RowOrder(r), t->PoolSize()));
                hits.push_back(std::vector<int32_t>(t->RowHit(r), t->RowHit(r) + t->HitWidth()));
            }
            table["row_orders"] = std::move(orders);
            table["row_hits"] = std::move(hits);
        }
        tables.push_back(std::move(table));
    }
    doc["tables"] = std::move(tables);
    Json lists = Json::object();
    for (int32_t mode = 0; mode < kModeCount; ++mode) {
        Json entries = Json::array();
        const TModeList& modeList = engine.Lists.ModeList(mode);
        for (int i = 1; i <= modeList.Count(); ++i) {
            const TColumnStore* column = modeList.GetRecord(i);
            for (int j = 1; j <= column->Count(); ++j)
                entries.push_back(Json{{"requested", i}, {"category", j}, {"ids", ListIds(column->GetRecord(j))}});
        }
        lists[ModeJsonKey(mode)] = std::move(entries);
    }
    doc["lists"] = std::move(lists);
    return clitext::JsonText(doc);
}

} // namespace analyzecli
