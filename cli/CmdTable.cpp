// jux-cli table: what the JUX Table page shows for one table of a run, the
// run made on a game file or read from a run state file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/AnalyzeOutput.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/GameCli.h"
#include "cli/RunStateCli.h"
#include "models/PanoramaModel.h"
#include "models/TableStatistics.h"

namespace {

const char* const kCommand = "table";
const char* const kTableOptions = "--table ID [--requested A] [--absolute] [--look-ahead L] [--delay-category C] "
                                  "[--actual-delays] [--compare n,n,...] [--json]";

struct TTableRequest {
    int32_t id = 0;
    bool hasRequested = false;
    int32_t requested = 0;
    bool absolute = false;
    int32_t lookAhead = 5;
    bool hasCategory = false;
    int32_t category = 0;
    bool actual = false;
    bool hasCompare = false;
    std::vector<int32_t> compare;
    bool json = false;
};

// The page's own options; false with the reason for a usage error.
bool ParseTableOptions(TCliArgs& a, TTableRequest& r, std::string& error)
{
    long long v = 0;
    if (!a.has("table")) {
        error = "--table ID is required";
        return false;
    }
    struct IntOption {
        const char* name;
        long long low, high;
        int32_t* value;
        bool* given;
    } ints[] = {{"table", 1, 2147483647LL, &r.id, nullptr},
                {"requested", 1, 98, &r.requested, &r.hasRequested},
                {"look-ahead", 1, 1000000000LL, &r.lookAhead, nullptr},
                {"delay-category", 0, 14, &r.category, &r.hasCategory}};
    for (const IntOption& o : ints) {
        if (!a.has(o.name))
            continue;
        if (!a.intValue(o.name, v, 0) || v < o.low || v > o.high) {
            error = Format("--%s needs a whole number from %lld to %lld", o.name, o.low, o.high);
            return false;
        }
        *o.value = int32_t(v);
        if (o.given)
            *o.given = true;
    }
    r.absolute = a.has("absolute");
    r.actual = a.has("actual-delays");
    r.json = a.has("json");
    if (a.has("compare")) {
        r.hasCompare = true;
        const std::string list = a.value("compare");
        size_t start = 0;
        while (start <= list.size() && !list.empty()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            const std::string item = list.substr(start, comma - start);
            int32_t n = 0;
            if (!ParseWholeNumber(item, n) || n < 1 || n > 99) {
                error = "--compare needs numbers from 1 to 99 separated by commas, not '" + item + "'";
                return false;
            }
            r.compare.push_back(n);
            start = comma + 1;
        }
        std::sort(r.compare.begin(), r.compare.end());
        r.compare.erase(std::unique(r.compare.begin(), r.compare.end()), r.compare.end());
    }
    return true;
}

nlohmann::ordered_json Number(double v)
{
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9e15)
        return int64_t(v);
    return v;
}

nlohmann::ordered_json Points(const TSeriesSpec& s)
{
    nlohmann::ordered_json points = nlohmann::ordered_json::array();
    for (const auto& [x, y] : s.Points)
        points.push_back({Number(x), Number(y)});
    return points;
}

std::string U(const std::string& text) { return clitext::Out(text); }

nlohmann::ordered_json GridRows(const TTextGrid& grid, bool colours)
{
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (int32_t row = 0; row < grid.RowCount; ++row) {
        nlohmann::ordered_json cells = nlohmann::ordered_json::array();
        for (int32_t col = 0; col < grid.ColCount; ++col)
            cells.push_back(colours ? std::string(CellColourName(grid.Colour(col, row))) : U(grid.Cell(col, row)));
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::string PageJson(const TTablePage& page, const TTableView& view)
{
    nlohmann::ordered_json j;
    j["id"] = view.CurrentJUX;
    j["requested"] = view.TableRequested;
    j["absolute"] = view.Absolute;
    j["look_ahead"] = view.LookAhead;
    j["delay_category"] = view.DelayCategory;
    j["delay_mode"] = view.DelayMode == 1 ? "actual" : "summary";
    j["label"] = U(page.RequestedLabel);
    j["hits_produced"] = GridRows(page.Success, false);
    j["predicted_caption"] = U(page.PredictCaption);
    j["predicted_grid"] = GridRows(page.Predict, false);
    j["predicted_colours"] = GridRows(page.Predict, true);
    j["clipboard_sorted"] = page.ClipboardSorted;
    j["clipboard_original"] = page.ClipboardOriginal;
    nlohmann::ordered_json hits;
    hits["x_title"] = U(page.Hits.XTitle);
    hits["series"] = nlohmann::ordered_json::array();
    for (const TSeriesSpec& s : page.Hits.Series)
        hits["series"].push_back(Points(s));
    j["hits_chart"] = std::move(hits);
    nlohmann::ordered_json delay;
    delay["x_title"] = U(page.Delay.XTitle);
    delay["y_title"] = U(page.Delay.YTitle);
    delay["legend"] = page.Delay.Legend;
    delay["series"] = nlohmann::ordered_json::array();
    for (const TSeriesSpec& s : page.Delay.Series) {
        nlohmann::ordered_json series;
        series["title"] = U(s.Title);
        series["kind"] = s.Kind == TSeriesKind::Bar ? "bar" : "line";
        series["points"] = Points(s);
        delay["series"].push_back(std::move(series));
    }
    j["delay_chart"] = std::move(delay);
    return clitext::JsonText(j);
}

std::string GridText(const TTextGrid& grid)
{
    std::vector<size_t> widths(size_t(grid.ColCount), 0);
    for (int32_t row = 0; row < grid.RowCount; ++row)
        for (int32_t col = 0; col < grid.ColCount; ++col)
            widths[size_t(col)] = std::max(widths[size_t(col)], grid.Cell(col, row).size());
    std::string out;
    for (int32_t row = 0; row < grid.RowCount; ++row) {
        std::string line = " ";
        for (int32_t col = 0; col < grid.ColCount; ++col) {
            const std::string& cell = grid.Cell(col, row);
            line += " " + std::string(widths[size_t(col)] - cell.size(), ' ') + cell;
        }
        out += line + "\n";
    }
    return out;
}

std::string SeriesText(const TSeriesSpec& s)
{
    std::string out;
    for (const auto& [x, y] : s.Points) {
        const nlohmann::ordered_json px = Number(x), py = Number(y);
        out += " (" + px.dump() + ", " + py.dump() + ")";
    }
    return out.empty() ? " (none)" : out;
}

std::string PageText(const TTablePage& page, const TTableView& view)
{
    std::string out = Format("JUX %d: %s%s\n", view.CurrentJUX, page.RequestedLabel.c_str(),
                             view.Absolute ? " (absolute category hits)" : "");
    out += "\nHits Produced\n" + GridText(page.Success);
    out += "\nPredicted Numbers:" + page.PredictCaption + "\n" + GridText(page.Predict);
    out += "Copy to clipboard: " + page.ClipboardSorted + "\n";
    out += "Copy in original order: " + page.ClipboardOriginal + "\n";
    out += "\nHits chart: " + page.Hits.XTitle + " / " + page.Hits.YTitle + "\n";
    const char* names[] = {"hits", "average"};
    for (size_t i = 0; i < page.Hits.Series.size() && i < 2; ++i)
        out += std::string("  ") + names[i] + ":" + SeriesText(page.Hits.Series[i]) + "\n";
    out += "\nDelay chart: " + page.Delay.XTitle + " / " + page.Delay.YTitle + (page.Delay.Legend ? " (legend)" : "") +
           "\n";
    for (const TSeriesSpec& s : page.Delay.Series)
        out += "  " + s.Title + (s.Kind == TSeriesKind::Bar ? " [bar]:" : " [line]:") + SeriesText(s) + "\n";
    return U(out);
}

int RunTable(const std::vector<std::string>& args)
{
    std::vector<std::string> flags = analyzecli::AnalyzeFlags();
    flags.insert(flags.end(), {"absolute", "actual-delays"});
    std::vector<std::string> valueOptions = analyzecli::AnalyzeValueOptions();
    valueOptions.insert(valueOptions.end(), {"table", "requested", "look-ahead", "delay-category", "compare"});
    TCliArgs a(args, flags, valueOptions);
    if (!a.ok())
        return CliUsageError(kCommand, a.error());
    if (a.positional().size() != 1)
        return CliUsageError(kCommand, "one game file or run state file expected");
    TTableRequest request;
    std::string error;
    if (!ParseTableOptions(a, request, error))
        return CliUsageError(kCommand, error);

    TCurrentGame game;
    TGameOptions options;
    TJUXEngine engine(options);
    TIntegerStore userList;
    const std::string& path = a.positional()[0];
    if (runstatecli::IsRunState(path)) {
        // A file read back computes nothing: the threads do not matter.
        for (const std::string& o : analyzecli::AnalyzeValueOptions())
            if (o != "threads" && a.has(o))
                return CliUsageError(kCommand, "--" + o + " applies to a game file, not to a run state file");
        if (!runstatecli::LoadState(kCommand, path, game, options, engine, userList))
            return kExitFailure;
    } else {
        analyzecli::TAnalyzeRequest analyze;
        if (!analyzecli::ParseAnalyzeArgs(args, analyze, error, {"absolute", "actual-delays"},
                                          {"table", "requested", "look-ahead", "delay-category", "compare"}))
            return CliUsageError(kCommand, error);
        if (!analyzecli::RunGameFile(kCommand, analyze, game, options, engine))
            return kExitFailure;
    }
    if (request.hasCompare) {
        TIntArray compare(request.compare.begin(), request.compare.end());
        options.SetCompareNums(compare);
    }

    // The display as a new one starts it, then the options given.
    TEngineTableSource source(engine);
    TTableView view;
    view.CurrentJUX = request.id;
    view.TableRequested = InitialRequested(engine.Context.DrawnCount, options.MinReqNumbers, options.MaxReqNumbers);
    view.Absolute = InitialPanoramaMode(options.Modes) == kPanoramaAbsolute || request.absolute;
    view.LookAhead = request.lookAhead;
    if (request.hasRequested) {
        if (request.requested > HighestTableRequested(source.PoolSize()))
            return CliUsageError(kCommand, Format("--requested needs a whole number from 1 to %d",
                                                  HighestTableRequested(source.PoolSize())));
        view.TableRequested = request.requested;
    }
    const int32_t categories = std::max(std::min(view.TableRequested, source.HitWidth()), 0);
    if (request.category > categories)
        return CliUsageError(kCommand, Format("--delay-category needs a whole number from 0 to %d", categories));
    view.DelayCategory = request.category;
    BuildDelayMenu(categories, view.DelayCategory, view.DelayMode); // one category is chosen by itself
    view.DelayMode = request.actual ? 1 : 0;

    const TTablePage page = BuildTablePage(source, view, options.CompareNums);
    if (!page.Exists) {
        std::fprintf(stderr, "%s\n", kTableGone);
        return kExitFailure;
    }
    const std::string report = request.json ? PageJson(page, view) : PageText(page, view);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return kExitOk;
}

const TCliRegistrar registrar({kCommand, std::string("(") + analyzecli::kAnalyzeUsage + " | RUN.jsf) " + kTableOptions,
                               "print what the JUX Table page shows for one table", RunTable});

} // namespace
