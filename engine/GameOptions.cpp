#include "engine/GameOptions.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "data/GameModel.h"
#include "data/Utils.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

namespace {

const char* const kApp = "JUX";
const char* const kVersion = "2.3b";
const char* const kInvalidIni = "Invalid JUX Ini file";

TIntArray StoreValues(const TIntegerStore& store)
{
    TIntArray out;
    out.reserve(static_cast<size_t>(std::max(0, store.Count())));
    for (int32_t i = 1; i <= store.Count(); ++i) {
        int32_t v = 0;
        if (store.GetInt(i, v))
            out.push_back(v);
    }
    return out;
}

} // namespace

TGameOptions::TGameOptions()
{
    KeepJUXs.SetOrder(1);
    CompareNums.clear();
    SetDefaults();
    AutoLoadDraw.clear();
}

TGameOptions::TGameOptions(const TGameOptions& other) { *this = other; }

TGameOptions& TGameOptions::operator=(const TGameOptions& other)
{
    if (this == &other)
        return *this;
    FieldSelected = other.FieldSelected;
    TotalTestDraws = other.TotalTestDraws;
    MaxStatData = other.MaxStatData;
    StartPoint = other.StartPoint;
    RunFactorOverhead = other.RunFactorOverhead;
    MinReqNumbers = other.MinReqNumbers;
    MaxReqNumbers = other.MaxReqNumbers;
    MinHitCategory = other.MinHitCategory;
    MaxHitCategory = other.MaxHitCategory;
    Modes = other.Modes;
    MaximumJUXsPerColumn = other.MaximumJUXsPerColumn;
    MaximumJUXsToScan = other.MaximumJUXsToScan;
    other.KeepJUXs.CopyTo(KeepJUXs);
    CompareNums = other.CompareNums;
    AutoLoadDraw = other.AutoLoadDraw;
    AnalysisThreads = other.AnalysisThreads;
    Game = other.Game;
    drawCountSeen_ = other.drawCountSeen_;
    return *this;
}

TGameOptions::~TGameOptions() = default;

int32_t TGameOptions::DrawCount() const { return Game ? Game->DrawCount() : 0; }

int32_t TGameOptions::FieldCount() const { return Game ? Game->GameInfo().FieldCount : 0; }

int32_t TGameOptions::PoolSize() const
{
    if (!Game)
        return 0;
    const TGameInfo& g = Game->GameInfo();
    // Field 2 of a bonus game is analysed together with field 1, in its pool.
    const bool second = FieldSelected == 2 && g.FieldCount >= 2 && g.Field2Kind == 1;
    return g.Fields[second ? 1 : 0].Total;
}

void TGameOptions::SetDefaults()
{
    TotalTestDraws = 100;
    if (Game)
        SetStartPoint(DrawCount() - 100);
    MaxStatData = 20;
    RunFactorOverhead = 0;
    MinReqNumbers = 0;
    MaxReqNumbers = 0;
    MinHitCategory = 0;
    MaxHitCategory = 0;
    Modes = kModeAll;
    MaximumJUXsPerColumn = 19;
    MaximumJUXsToScan = 999999999;
    CompareNums.clear();
    KeepJUXs.Clear();
    SetFieldSelected(1);
}

void TGameOptions::SetFieldSelected(int32_t f)
{
    if (f >= 1 && f <= FieldCount())
        FieldSelected = f;
}

void TGameOptions::SetStartPoint(int32_t s)
{
    StartPoint = s;
    drawCountSeen_ = DrawCount();
    // 64-bit so that any start point read from a file yields a sane overhead.
    const int64_t r = int64_t(DrawCount()) - s - TotalTestDraws;
    RunFactorOverhead = static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
    if (r < 0)
        throw Exception(Format("Given Start Point %d produces negative Run Factor overhead", s));
}

void TGameOptions::FollowDrawCount()
{
    if (!Game || DrawCount() == drawCountSeen_)
        return;
    const int64_t n = DrawCount();
    const int64_t t = TotalTestDraws;
    const int64_t byDefault = n - t;
    int64_t start = RunFactorOverhead == 0 ? byDefault : StartPoint;
    // The two checks of Validate that depend on the start point.
    const int64_t r = n - start - t;
    if (r < 0 || n < t + 2 * int64_t(MaxStatData) + r)
        start = byDefault;
    try {
        SetStartPoint(static_cast<int32_t>(std::clamp<int64_t>(start, INT32_MIN, INT32_MAX)));
    } catch (const std::exception&) {
        // Only a start point beyond 32 bits gets here; nothing can run on it anyway.
    }
}

void TGameOptions::SetAutoLoadDraw(const std::string& path)
{
    const std::string p = Trim(path);
    if (!p.empty() && FileExists(p))
        AutoLoadDraw = p;
    else
        AutoLoadDraw.clear();
}

void TGameOptions::SetCompareNums(const TIntArray& list)
{
    CompareNums.clear();
    for (int32_t v : list)
        if (v >= 1 && v <= 99)
            CompareNums.push_back(static_cast<int8_t>(v));
}

void TGameOptions::SetCompareNums(const TIntegerStore& list) { SetCompareNums(StoreValues(list)); }

void TGameOptions::SetKeepJUXs(const TIntArray& list)
{
    TIntArray sorted = list;
    std::sort(sorted.begin(), sorted.end());
    // Sorted once; IDs retained later are appended where they come.
    KeepJUXs.Clear();
    KeepJUXs.SetOrder(0);
    for (int32_t v : sorted)
        KeepJUXs.AddInt(v);
}

void TGameOptions::SetKeepJUXs(const TIntegerStore& list) { SetKeepJUXs(StoreValues(list)); }

void TGameOptions::Validate() const
{
    const int64_t n = DrawCount();
    const int64_t t = TotalTestDraws;
    const int64_t d = MaxStatData;
    const int64_t r = RunFactorOverhead;
    auto fail = [](const char* message) { throw Exception(message); };
    if (t <= 0)
        fail("Tested real draws must be greater than 0.");
    if (d <= 1)
        fail("Statistical data must be greater than 1.");
    if (n < t + 2 * d + r)
        fail("Not enough history draws for given tested draws/statistical data/start point (run factor). "
             "Please adjust these settings.");
    if (n - r - t < 0)
        fail("Run factor overhead cannot be negative.");
    if (MinReqNumbers < 0)
        fail("Minimum requested numbers cannot be negative.");
    if (MaxReqNumbers < 0)
        fail("Maximum requested numbers cannot be negative.");
    if (MinReqNumbers > 0 && MaxReqNumbers > 0 && MaxReqNumbers < MinReqNumbers)
        fail("Maximum requested numbers cannot be lower to minimum requested numbers.");
    // A table ranks the whole pool: at most all but one of its numbers can be
    // requested, and a run asked for more would show nothing.
    if (const int32_t pool = PoolSize(); pool > 1 && MinReqNumbers > pool - 1)
        throw Exception(Format("Minimum requested numbers cannot be greater than %d.", pool - 1));
    if (MinHitCategory < 0)
        fail("Minimum hits category cannot be negative.");
    if (MaxHitCategory < 0)
        fail("Maximum hits category cannot be negative.");
    if (MinHitCategory > 0 && MaxHitCategory > 0 && MaxHitCategory < MinHitCategory)
        fail("Maximum hits category cannot be lower to minimum hits category.");
    if ((Modes & kModeAll) == 0)
        fail("Invalid compute mode selection.");
    if (MaximumJUXsPerColumn <= 0 || MaximumJUXsPerColumn > 9999)
        fail("Maximum JUXs per column should be in the range of 1 - 9999.");
    if (MaximumJUXsToScan <= 0 || MaximumJUXsToScan >= 1000000000)
        fail("Maximum JUXs to scan should be in the range of 1 - 999999999.");
}

std::string TGameOptions::CompareNumsText() const
{
    std::string out;
    for (size_t i = 0; i < CompareNums.size(); ++i) {
        if (i > 0)
            out += ' ';
        out += Format("%2.2d", int(CompareNums[i]));
    }
    return out;
}

std::string TGameOptions::KeepJUXsText() const
{
    std::string out;
    for (int32_t v : StoreValues(KeepJUXs))
        out += std::to_string(v) + ' ';
    return out;
}

void TGameOptions::SaveToGameIni(const std::string& path)
{
    try {
        TIniFile ini(path);
        const char* s = kGameIniSection;
        ini.WriteString(s, "App", kApp);
        ini.WriteString(s, "Version", kVersion);
        ini.WriteInteger(s, "FieldSelected", FieldSelected);
        ini.WriteInteger(s, "TotalTestDraws", TotalTestDraws);
        ini.WriteInteger(s, "MaxStatData", MaxStatData);
        ini.WriteInteger(s, "StartPoint", StartPoint);
        ini.WriteInteger(s, "MinReqNumbers", MinReqNumbers);
        ini.WriteInteger(s, "MaxReqNumbers", MaxReqNumbers);
        ini.WriteInteger(s, "MinHitCategory", MinHitCategory);
        ini.WriteInteger(s, "MaxHitCategory", MaxHitCategory);
        ini.WriteInteger(s, "ModeAugmentative", (Modes & kModeAugmentative) ? 1 : 0);
        ini.WriteInteger(s, "ModeAbsolute", (Modes & kModeAbsolute) ? 1 : 0);
        ini.WriteInteger(s, "ModeBuildup", (Modes & kModeBuildup) ? 1 : 0);
        ini.WriteInteger(s, "MaximumJUXsPerColumn", MaximumJUXsPerColumn);
        ini.WriteInteger(s, "MaximumJUXsToScan", MaximumJUXsToScan);
        ini.WriteString(s, "CompareNums", CompareNumsText());
        ini.WriteString(s, "KeepJUXs", KeepJUXsText());
        (void)ini.UpdateFile();
    } catch (const std::exception&) {
    }
    // A failed write leaves the previous file as it was; either way the
    // options in memory become what the file yields.
    if (FileExists(path))
        LoadFromGameIni(path);
}

void TGameOptions::LoadFromGameIni(const std::string& path)
{
    SetDefaults();
    try {
        const TIniFile ini(path);
        const char* s = kGameIniSection;
        if (ini.ReadString(s, "App", "") != kApp)
            throw Exception(kInvalidIni);
        (void)ini.ReadString(s, "Version", "");
        SetFieldSelected(ini.ReadInteger(s, "FieldSelected", 1));
        TotalTestDraws = ini.ReadInteger(s, "TotalTestDraws", 100);
        MaxStatData = ini.ReadInteger(s, "MaxStatData", 20);
        const int64_t defStart = int64_t(DrawCount()) - TotalTestDraws;
        SetStartPoint(ini.ReadInteger(s, "StartPoint",
                                      static_cast<int32_t>(std::clamp<int64_t>(defStart, INT32_MIN, INT32_MAX))));
        MinReqNumbers = ini.ReadInteger(s, "MinReqNumbers", 0);
        MaxReqNumbers = ini.ReadInteger(s, "MaxReqNumbers", 0);
        MinHitCategory = ini.ReadInteger(s, "MinHitCategory", 0);
        MaxHitCategory = ini.ReadInteger(s, "MaxHitCategory", 0);
        Modes = 0;
        if (ini.ReadInteger(s, "ModeAugmentative", 0) == 1)
            Modes |= kModeAugmentative;
        if (ini.ReadInteger(s, "ModeAbsolute", 0) == 1)
            Modes |= kModeAbsolute;
        if (ini.ReadInteger(s, "ModeBuildup", 0) == 1)
            Modes |= kModeBuildup;
        MaximumJUXsPerColumn = ini.ReadInteger(s, "MaximumJUXsPerColumn", 19);
        MaximumJUXsToScan = ini.ReadInteger(s, "MaximumJUXsToScan", 999999999);
        SetCompareNums(DigitRuns(ini.ReadString(s, "CompareNums", "")));
        SetKeepJUXs(DigitRuns(ini.ReadString(s, "KeepJUXs", "")));
        Validate();
    } catch (const std::exception&) {
        SetDefaults();
    }
}

std::string TGameOptions::ProgramSettingsPath(const std::string& dataFolder)
{
    return IncludeTrailingPathDelimiter(dataFolder) + kProgramIniName;
}

void TGameOptions::SaveProgramSettings(const std::string& dataFolder) const
{
    try {
        TIniFile ini(ProgramSettingsPath(dataFolder));
        ini.WriteString(kProgramIniSection, "App", kApp);
        ini.WriteString(kProgramIniSection, "Version", kVersion);
        ini.WriteString(kProgramIniSection, "AutoLoadDraw", Trim(AutoLoadDraw));
        // Written only when chosen, so that the file of a user who never did stays as it was.
        if (AnalysisThreads != 0)
            ini.WriteInteger(kProgramIniSection, "AnalysisThreads", AnalysisThreads);
        else
            ini.DeleteKey(kProgramIniSection, "AnalysisThreads");
        (void)ini.UpdateFile();
    } catch (const std::exception&) {
        // Closing the program never fails over its settings.
    }
}

void TGameOptions::LoadProgramSettings(const std::string& dataFolder)
{
    const std::string path = ProgramSettingsPath(dataFolder);
    if (!FileExists(path))
        return;
    try {
        const TIniFile ini(path);
        if (ini.ReadString(kProgramIniSection, "App", "") != kApp)
            throw Exception(kInvalidIni);
        (void)ini.ReadString(kProgramIniSection, "Version", "");
        SetAutoLoadDraw(ini.ReadString(kProgramIniSection, "AutoLoadDraw", ""));
        const int32_t threads = ini.ReadInteger(kProgramIniSection, "AnalysisThreads", 0);
        AnalysisThreads = threads >= 0 && threads <= kMaxAnalysisThreads ? threads : 0;
    } catch (const std::exception&) {
        DeleteFile(path);
    }
}

namespace {

// A key of the program settings that only the user writes; empty when absent.
std::string ProgramSetting(const std::string& dataFolder, const char* key)
{
    const std::string path = TGameOptions::ProgramSettingsPath(dataFolder);
    if (!FileExists(path))
        return {};
    try {
        const TIniFile ini(path);
        return Trim(ini.ReadString(kProgramIniSection, key, ""));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

std::string TGameOptions::DatabaseAddress(const std::string& dataFolder)
{
    return ProgramSetting(dataFolder, "DatabaseAddress");
}

std::string TGameOptions::DatabaseContact(const std::string& dataFolder)
{
    return ProgramSetting(dataFolder, "DatabaseContact");
}

bool LoadImportLayout(const std::string& path, TImportLayout& layout)
{
    try {
        const TIniFile ini(path);
        return TImportLayout::FromText(ini.ReadString(kGameIniSection, "ImportLayout", ""), layout);
    } catch (const std::exception&) {
        return false;
    }
}

bool SaveImportLayout(const std::string& path, const TImportLayout& layout, std::string* error)
{
    try {
        TIniFile ini(path);
        // A file there that could not be read is never written over with one key.
        if (FileExists(path) && !ini.Loaded()) {
            if (error)
                *error = "the options file could not be read";
            return false;
        }
        ini.WriteString(kGameIniSection, "ImportLayout", layout.ToText());
        return ini.UpdateFile(error);
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return false;
    }
}
