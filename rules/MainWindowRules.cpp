// The main window's rules, free of widgets.
#include "rules/MainWindowRules.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

#include "data/UserDialogs.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "models/PanoramaModel.h"

TFirstStep FirstStep(uint8_t runState, bool gameOpen)
{
    if (runState != STANDBY || gameOpen)
        return {};
    return {"Open or create a lottery game to begin.", "Open or create a lottery game..."};
}

std::string AboutVersionText(const std::string& productVersion) { return "Program version " + productVersion; }

std::string AboutVersionsNote(const std::string& applicationTitle, const std::string& productVersion)
{
    return applicationTitle + " names the J.U.X. analysis and the files it reads and writes; " + productVersion +
           " is the release of this program.";
}

TMenuVisibility MenuVisibility(uint8_t runState, bool modified, bool hasFilePath)
{
    TMenuVisibility v;
    const bool standby = runState == STANDBY;
    const bool loaded = runState == LOADED;
    const bool started = runState == STARTED;
    const bool paused = runState == PAUSED;
    const bool finished = runState == FINISHED;

    v.ManageLotteries = standby;
    v.SaveLottery = (loaded || started || finished) && modified && hasFilePath;
    v.CloseLottery = loaded || finished;
    v.LotteryDraws = loaded;
    v.Exit = standby || loaded || finished;
    v.ImportRunState = standby;
    v.ExportRunState = paused || finished;
    v.ClearPrediction = finished;
    v.FinalResultsEnabled = finished;
    v.OptionsEnabled = loaded || finished;
    v.BacktestEnabled = loaded;
    v.ProductPage = kProductWebPage[0] != '\0';

    v.LotteryMenu = v.ManageLotteries || v.SaveLottery || v.CloseLottery || v.LotteryDraws || v.Exit;
    v.FunctionsMenu = v.ImportRunState || v.ExportRunState || v.ClearPrediction || v.OddsCalculator;
    v.HelpMenu = v.HelpItems;
    return v;
}

std::string ParameterText(uint8_t runState, int32_t value)
{
    return runState == STANDBY ? std::string("-") : std::to_string(value);
}

std::string LastDrawLabel(uint8_t runState, const TDrawClass* draws)
{
    if (runState == STANDBY)
        return {};
    if (draws && draws->DrawCount() > 0)
        return "Last draw in history : " + draws->DrawToText(draws->DrawCount());
    return "No draws in history";
}

TLotteryCaptionStyle LotteryCaptionStyle(bool hasFilePath)
{
    if (hasFilePath)
        return {RGBColor(128, 0, 0), false, {}};
    return {RGBColor(96, 0, 144), true, "Opened from a run state file: this game has no game file to save to."};
}

double ContrastRatio(uint32_t a, uint32_t b)
{
    auto luminance = [](uint32_t c) {
        auto channel = [](uint32_t v) {
            const double s = double(v & 0xFF) / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c) + 0.7152 * channel(c >> 8) + 0.0722 * channel(c >> 16);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<std::string> ActiveFieldCaptions(const TGameInfo& info)
{
    std::vector<std::string> captions;
    if (info.State != 2)
        return captions;
    captions.push_back(FieldCaption(info, 1));
    if (info.FieldCount >= 2 && (info.Field2Kind == 1 || info.Field2Kind == 2))
        captions.push_back(FieldCaption(info, 2));
    return captions;
}

int ActiveFieldToChoose(int itemCount, int32_t fieldSelected)
{
    if (itemCount <= 0)
        return 0;
    if (itemCount == 1 || fieldSelected <= 0 || fieldSelected > itemCount)
        return 1;
    return fieldSelected;
}

namespace {

std::vector<int32_t> ChoicesBelow(std::vector<int32_t> all, int32_t drawCount)
{
    all.erase(std::remove_if(all.begin(), all.end(), [&](int32_t v) { return v >= drawCount; }), all.end());
    return all;
}

} // namespace

std::vector<int32_t> TestDrawChoices(int32_t drawCount) { return ChoicesBelow({10, 20, 50, 100, 200, 500}, drawCount); }

std::vector<int32_t> StatDataChoices(int32_t drawCount)
{
    return ChoicesBelow({5, 10, 20, 50, 100, 200, 500}, drawCount);
}

std::vector<int32_t> JUXsPerColumnChoices() { return {9, 19, 49, 99, 199, 499, 999}; }

std::vector<int32_t> JUXsToScanChoices() { return {999, 9999, 99999, 999999, 9999999, 99999999, 999999999}; }

TIntArray NumbersInText(const std::string& text, size_t limit)
{
    TIntArray numbers;
    size_t i = 0;
    while (i < text.size() && numbers.size() < limit) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        int64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
            ++i;
        }
        numbers.push_back(static_cast<int32_t>(value));
    }
    return numbers;
}

std::string NumbersWithBlanks(const TIntArray& numbers)
{
    std::string text;
    for (int32_t n : numbers)
        text += std::to_string(n) + " ";
    return text;
}

TOptionsPageValues OptionsPageValues(const TGameOptions& options)
{
    TOptionsPageValues p;
    p.TotalTestDraws = std::to_string(options.TotalTestDraws);
    p.MaxStatData = std::to_string(options.MaxStatData);
    p.StartPoint = std::to_string(options.StartPoint);
    p.MinReqNumbers = std::to_string(options.MinReqNumbers);
    p.MaxReqNumbers = std::to_string(options.MaxReqNumbers);
    p.MinHitCategory = std::to_string(options.MinHitCategory);
    p.MaxHitCategory = std::to_string(options.MaxHitCategory);
    p.MaximumJUXsPerColumn = std::to_string(options.MaximumJUXsPerColumn);
    p.MaximumJUXsToScan = std::to_string(options.MaximumJUXsToScan);
    p.Augmentative = (options.Modes & kModeAugmentative) != 0;
    p.Absolute = (options.Modes & kModeAbsolute) != 0;
    p.Buildup = (options.Modes & kModeBuildup) != 0;
    TIntArray compare;
    for (int8_t n : options.CompareNums)
        compare.push_back(n);
    p.CompareNums = NumbersWithBlanks(compare);
    TIntArray keep;
    for (int i = 1; i <= options.KeepJUXs.Count(); ++i) {
        int32_t id = 0;
        if (options.KeepJUXs.GetInt(i, id))
            keep.push_back(id);
    }
    p.KeepJUXs = NumbersWithBlanks(keep);
    p.AnalysisThreads = options.AnalysisThreads;
    return p;
}

int32_t RunFactorFor(int32_t drawCount, const std::string& startPoint, const std::string& testDraws)
{
    const int64_t r = int64_t(drawCount) - StrToIntDef(Trim(startPoint), 0) - StrToIntDef(Trim(testDraws), 0);
    return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

std::string StartPointLabel(int32_t runFactor)
{
    return Format("Draw history start point (Run factor overhead %d)", runFactor);
}

std::string ResetStartPointText(int32_t drawCount, const std::string& testDraws)
{
    const int64_t s = int64_t(drawCount) - StrToIntDef(Trim(testDraws), 0);
    return std::to_string(std::clamp<int64_t>(s, INT32_MIN, INT32_MAX));
}

namespace {

int32_t ReadNumber(const std::string& text)
{
    try {
        return StrToInt(Trim(text));
    } catch (const EConvertError& e) {
        throw Exception(Format("A value has not been set correctly (%s)", e.what()));
    }
}

} // namespace

void StoreOptionsPage(const TOptionsPageValues& page, TGameOptions& options)
{
    // Every text is read before anything is stored.
    const int32_t testDraws = ReadNumber(page.TotalTestDraws);
    const int32_t statData = ReadNumber(page.MaxStatData);
    const int32_t startPoint = ReadNumber(page.StartPoint);
    const int32_t minReq = ReadNumber(page.MinReqNumbers);
    const int32_t maxReq = ReadNumber(page.MaxReqNumbers);
    const int32_t minHit = ReadNumber(page.MinHitCategory);
    const int32_t maxHit = ReadNumber(page.MaxHitCategory);
    const int32_t perColumn = ReadNumber(page.MaximumJUXsPerColumn);
    const int32_t toScan = ReadNumber(page.MaximumJUXsToScan);

    options.TotalTestDraws = testDraws < 1 ? 100 : testDraws;
    options.MaxStatData = statData < 0 ? 0 : statData;
    options.SetStartPoint(startPoint);

    options.MinReqNumbers = minReq < 1 ? 0 : minReq;
    options.MaxReqNumbers = (maxReq < 0 || (maxReq > 0 && maxReq < options.MinReqNumbers)) ? 0 : maxReq;
    options.MinHitCategory = minHit < 0 ? 0 : minHit;
    options.MaxHitCategory = (maxHit < 0 || (maxHit > 0 && maxHit < options.MinHitCategory)) ? 0 : maxHit;

    uint8_t modes = 0;
    if (page.Augmentative)
        modes |= kModeAugmentative;
    if (page.Absolute)
        modes |= kModeAbsolute;
    if (page.Buildup)
        modes |= kModeBuildup;
    options.Modes = modes == 0 ? kModeAll : modes;

    const int32_t previousPerColumn = options.MaximumJUXsPerColumn;
    options.MaximumJUXsPerColumn = (perColumn >= 1 && perColumn <= 999) ? perColumn : 99;
    if (options.MaximumJUXsPerColumn != previousPerColumn && options.MaximumJUXsPerColumn > 99)
        ShowInfo("Setting maximum JUXs per column to a higher value may cause unforeseen out of memory conditions.");

    options.MaximumJUXsToScan = (toScan >= 1 && toScan <= 999999999) ? toScan : 999999999;
    options.AnalysisThreads = std::clamp(page.AnalysisThreads, 0, TGameOptions::kMaxAnalysisThreads);

    options.KeepJUXs.Clear();
    TIntArray keep = NumbersInText(page.KeepJUXs);
    // A sorted store ends the same whatever the order of additions; adding in
    // its own order keeps each addition an append instead of an insert.
    if (options.KeepJUXs.Order() == TIntegerStore::kAscending)
        std::sort(keep.begin(), keep.end());
    else if (options.KeepJUXs.Order() == TIntegerStore::kDescending)
        std::sort(keep.begin(), keep.end(), std::greater<int32_t>());
    for (int32_t id : keep)
        options.KeepJUXs.AddInt(id);

    TIntArray compare = NumbersInText(page.CompareNums);
    std::sort(compare.begin(), compare.end());
    compare.erase(std::unique(compare.begin(), compare.end()), compare.end());
    options.SetCompareNums(compare);

    options.Validate();
}

TOddsPreset OddsPreset(const TGameInfo& info, int32_t fieldSelected, uint8_t runState, int32_t requestedShown)
{
    TOddsPreset p;
    const int field = (fieldSelected == 2 && info.FieldCount >= 2) ? 2 : 1;
    const TGameField& f = info.Fields[size_t(field - 1)];
    p.Total = f.Total;
    p.Picked = f.Picked;
    if (field == 2 && info.Field2Kind == 2)
        p.Picked = info.Fields[0].Picked + info.Fields[1].Picked;
    p.Played = (runState == STARTED || runState == PAUSED) ? requestedShown : p.Picked;
    return p;
}

std::vector<std::string> HelpFileCandidates(const std::string& programFolder)
{
    std::string folder = programFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::vector<std::string> out{folder + "/" + kHelpFileName};
    const size_t slash = folder.rfind('/');
    if (slash != std::string::npos)
        out.push_back(folder.substr(0, slash) + "/share/doc/jux/" + kHelpFileName);
    return out;
}
