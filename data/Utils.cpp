#include "data/Utils.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

#include "data/TextCodec.h"
#include "platform/Locale.h"
#include "platform/Paths.h"

namespace {

constexpr int kMaxN = 99; // combinations rows 0..99
constexpr int kRankDim = 100;
constexpr int kRankPicks = 12;

struct TTables {
    int64_t c64[kMaxN + 1][kMaxN + 1] = {};
    int32_t c32[kMaxN + 1][kMaxN + 1] = {};
    int32_t pow[8][8] = {};
    int64_t rank[kRankDim][kRankDim][kRankPicks] = {};

    TTables()
    {
        for (int n = 0; n <= kMaxN; ++n) {
            c64[n][0] = c64[n][n] = 1;
            for (int k = 1; k < n; ++k) {
                const int64_t a = c64[n - 1][k - 1];
                const int64_t b = c64[n - 1][k];
                int64_t sum = 0;
                // A parent that did not fit makes the child too large as well.
                if (a > 0 && b > 0 && !__builtin_add_overflow(a, b, &sum))
                    c64[n][k] = sum;
            }
            for (int k = 0; k <= n; ++k)
                c32[n][k] = c64[n][k] <= INT32_MAX ? static_cast<int32_t>(c64[n][k]) : 0;
        }
        for (int a = 0; a < 8; ++a) {
            pow[a][0] = 1;
            for (int b = 1; b < 8; ++b)
                pow[a][b] = pow[a][b - 1] * a;
        }
        for (int y = 0; y < kRankDim; ++y)
            for (int z = 0; z < kRankPicks && z <= y; ++z)
                for (int x = 1; x < kRankDim; ++x) {
                    const int n = y - x;
                    rank[x][y][z] = rank[x - 1][y][z] + (n >= z ? c64[n][z] : 0);
                }
    }
};

const TTables& Tables()
{
    static const TTables* tables = new TTables(); // lives to the end of the process
    return *tables;
}

struct TDateSettings {
    std::mutex lock;
    int order = 2;
    std::string separator = "-";
    bool namesRead = false;
    std::array<std::string, 7> shortDays;
    std::array<std::string, 7> longDays;
};

TDateSettings& Settings()
{
    static TDateSettings settings;
    return settings;
}

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};
// Day numbers of 1 January 1 and 31 December 9999.
constexpr int64_t kFirstDay = -693593;
constexpr int64_t kLastDay = 2958465;

bool ValidTime(int hour, int minute, int second)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

void DecodeTime(TDateTime dateTime, int& hour, int& minute, int& second)
{
    const double fraction = std::fabs(dateTime - std::trunc(dateTime));
    int64_t ms = std::llround(fraction * 86400000.0);
    ms = std::clamp<int64_t>(ms, 0, 86399999);
    const int64_t s = ms / 1000;
    hour = static_cast<int>(s / 3600);
    minute = static_cast<int>(s / 60 % 60);
    second = static_cast<int>(s % 60);
}

// Scans a run of digits from `pos`; on success `pos` is past the character after it.
bool NextIntAt(const std::string& text, size_t& pos, int& value)
{
    size_t i = pos;
    while (i < text.size() && !(text[i] >= '0' && text[i] <= '9'))
        ++i;
    if (i >= text.size())
        return false;
    int64_t v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        v = std::min<int64_t>(v * 10 + (text[i] - '0'), INT32_MAX);
        ++i;
    }
    value = static_cast<int>(v);
    pos = std::min(i + 1, text.size());
    return true;
}

int32_t PowerOf(int a, int b)
{
    if (b <= 0)
        return 1;
    const double r = std::round(std::pow(static_cast<double>(a), static_cast<double>(b)));
    if (!std::isfinite(r) || std::fabs(r) > 2147483647.0)
        return 0;
    return static_cast<int32_t>(r);
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

} // namespace

// ---- Counting --------------------------------------------------------------

int32_t Combinations(int n, int k)
{
    if (n < 0 || n > kMaxN || k < 0 || k > n)
        return 0;
    return Tables().c32[n][k];
}

int64_t Combinations64(int n, int k)
{
    if (n < 0 || n > kMaxN || k < 0 || k > n)
        return 0;
    return Tables().c64[n][k];
}

int32_t PowerTable(int a, int b)
{
    if (a >= 0 && a < 8 && b >= 0 && b < 8)
        return Tables().pow[a][b];
    return PowerOf(a, b);
}

// ---- Balls and arrays ------------------------------------------------------

int64_t RankBalls(const int8_t* balls, int v, int k)
{
    if (!balls || v < 1 || v >= kRankDim || k < 1 || k > kRankPicks || k > v)
        return -1;
    const auto& t = Tables();
    int64_t rank = 0;
    int previous = 0;
    for (int i = 0; i < k; ++i) {
        const int b = balls[i];
        if (b <= previous || b > v)
            return -1;
        rank += t.rank[b - previous - 1][v - previous][k - i - 1];
        previous = b;
    }
    return rank;
}

int64_t RankBalls(const TShortIntArray& balls, int v, int k)
{
    if (k < 0 || balls.size() < static_cast<size_t>(k))
        return -1;
    return RankBalls(balls.data(), v, k);
}

bool UnrankBalls(int64_t rank, int v, int k, TShortIntArray& balls)
{
    if (v < 1 || v > kMaxN || k < 1 || k > kRankPicks || k > v)
        return false;
    const auto& t = Tables();
    const int64_t total = t.c64[v][k];
    if (total <= 0 || rank < 0 || rank >= total)
        return false;
    TShortIntArray out(static_cast<size_t>(k));
    int previous = 0;
    for (int i = 1; i <= k; ++i) {
        int j = previous + 1;
        int64_t c = 0;
        while (j <= v) {
            const int n = v - j;
            const int64_t block = n >= k - i ? t.c64[n][k - i] : 0;
            if (rank < c + block)
                break;
            c += block;
            ++j;
        }
        out[i - 1] = static_cast<int8_t>(j);
        rank -= c;
        previous = j;
    }
    balls = std::move(out);
    return true;
}

// ---- Stream strings and byte arrays ----------------------------------------

void StoreString(TMemoryStream& stream, const std::string& text)
{
    for (char c : text) {
        if (c == '\0')
            throw Exception("StoreString error : string contains control character #0.");
        stream.WriteU8(static_cast<uint8_t>(c));
    }
    stream.WriteU8(0);
}

std::string LoadString(TMemoryStream& stream)
{
    const size_t left = stream.Remaining();
    const uint8_t* start = stream.Bytes().data() + stream.Position();
    const void* zero = left ? std::memchr(start, 0, left) : nullptr;
    if (!zero)
        throw EStreamError("LoadString error : the stream ends before the end of the string.");
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - start);
    std::string text(reinterpret_cast<const char*>(start), length);
    stream.Seek(stream.Position() + length + 1);
    return text;
}

void WriteBytes(TMemoryStream& stream, const TShortIntArray& bytes)
{
    if (bytes.size() > static_cast<size_t>(INT32_MAX))
        throw EStreamError("WriteBytes error : array too long.");
    stream.WriteI32(static_cast<int32_t>(bytes.size()));
    stream.Write(bytes.data(), bytes.size());
}

TShortIntArray ReadBytes(TMemoryStream& stream)
{
    const int32_t length = stream.ReadI32();
    if (length <= 0)
        return {};
    if (static_cast<size_t>(length) > stream.Remaining())
        throw EStreamError(
            Format("ReadBytes error : %d bytes announced, %zu left in the stream.", length, stream.Remaining()));
    TShortIntArray bytes(static_cast<size_t>(length));
    stream.Read(bytes.data(), bytes.size());
    return bytes;
}

void WriteByteArrays(TMemoryStream& stream, const TArrayOfShortIntArray& arrays)
{
    if (arrays.size() > static_cast<size_t>(INT32_MAX))
        throw EStreamError("WriteByteArrays error : too many arrays.");
    stream.WriteI32(static_cast<int32_t>(arrays.size()));
    for (const auto& a : arrays)
        WriteBytes(stream, a);
}

TArrayOfShortIntArray ReadByteArrays(TMemoryStream& stream)
{
    const int32_t count = stream.ReadI32();
    if (count <= 0)
        return {};
    // Every inner array takes at least its 4-byte length.
    if (static_cast<size_t>(count) > stream.Remaining() / 4)
        throw EStreamError(Format("ReadByteArrays error : %d arrays announced, %zu bytes left in the stream.", count,
                                  stream.Remaining()));
    TArrayOfShortIntArray arrays;
    arrays.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        arrays.push_back(ReadBytes(stream));
    return arrays;
}

// ---- Number lists in text form ---------------------------------------------

TShortIntArray TextToBalls(const std::string& text)
{
    // Walks by position: erasing the front of a long text per value would be quadratic.
    TShortIntArray balls;
    size_t pos = 0;
    int value = 0;
    while (NextIntAt(text, pos, value)) {
        if (value > 127)
            throw ERangeError("Range check error");
        balls.push_back(static_cast<int8_t>(value));
    }
    return balls;
}

TIntArray DigitRuns(const std::string& text)
{
    TIntArray values;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        int64_t v = 0;
        bool fits = true;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            if (fits) {
                v = v * 10 + (text[i] - '0');
                fits = v <= INT32_MAX;
            }
        if (fits)
            values.push_back(static_cast<int32_t>(v));
    }
    return values;
}

std::string BallsToText(const TShortIntArray& balls, const std::string& separator, int digits)
{
    // Negative digits act as 0; the width is capped so a wild value cannot allocate much.
    digits = std::clamp(digits, 0, 64);
    if (digits == 0 && std::any_of(balls.begin(), balls.end(), [](int8_t b) { return b > 9; }))
        digits = 2;
    std::string out;
    for (size_t i = 0; i < balls.size(); ++i) {
        if (i)
            out += separator;
        out += digits ? Format("%.*d", digits, static_cast<int>(balls[i])) : Format("%d", static_cast<int>(balls[i]));
    }
    return out;
}

// ---- Dates -----------------------------------------------------------------

TDateTime EncodeDate(int y, int m, int d)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31)
        return 0;
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok())
        return 0;
    return static_cast<TDateTime>((sys_days{ymd} - kEpoch).count());
}

bool DecodeDate(TDateTime date, int& y, int& m, int& d)
{
    if (!std::isfinite(date))
        return false;
    const double t = std::trunc(date);
    if (t < kFirstDay || t > kLastDay)
        return false;
    const year_month_day ymd{kEpoch + days{static_cast<int64_t>(t)}};
    y = static_cast<int>(ymd.year());
    m = static_cast<int>(static_cast<unsigned>(ymd.month()));
    d = static_cast<int>(static_cast<unsigned>(ymd.day()));
    return true;
}

TDateTime EncodeDateTime(int y, int m, int d, int hour, int minute, int second)
{
    const TDateTime date = EncodeDate(y, m, d);
    if (date == 0 && !(y == 1899 && m == 12 && d == 30))
        return 0;
    if (!ValidTime(hour, minute, second))
        return 0;
    const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before the epoch the time of day counts away from zero.
    return date < 0 ? date - time : date + time;
}

std::string WeekdayName(int d, int m, int y, bool full)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31)
        return "---";
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok())
        return "---";
    const unsigned wd = weekday{sys_days{ymd}}.c_encoding(); // 0 = Sunday
    auto& s = Settings();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.namesRead) {
        const TLocaleInfo info = ReadLocaleInfo();
        s.shortDays = info.shortDays;
        s.longDays = info.longDays;
        s.namesRead = true;
    }
    return full ? s.longDays[wd] : s.shortDays[wd];
}

std::string DateText(int order, const std::string& separator, bool withWeekday, bool fullWeekday, TDateTime date)
{
    int y = 0, m = 0, d = 0;
    if (date == 0 || !DecodeDate(date, y, m, d))
        return "Undefined";
    const char* sep = separator.c_str();
    std::string text;
    switch (order) {
    case 0: text = Format("%2.2d%s%2.2d%s%4.4d", d, sep, m, sep, y); break;
    case 1: text = Format("%2.2d%s%2.2d%s%4.4d", m, sep, d, sep, y); break;
    case 3: text = Format("%4.4d%s%2.2d%s%2.2d", y, sep, d, sep, m); break;
    default: text = Format("%4.4d%s%2.2d%s%2.2d", y, sep, m, sep, d); break;
    }
    if (withWeekday)
        text += "  " + WeekdayName(d, m, y, fullWeekday);
    return text;
}

std::string DateTimeText(int order, TDateTime dateTime)
{
    int y = 0, m = 0, d = 0;
    if (dateTime == 0 || !DecodeDate(dateTime, y, m, d))
        return "Undefined";
    int hh = 0, mm = 0, ss = 0;
    DecodeTime(dateTime, hh, mm, ss);
    switch (order) {
    case 0: return Format("%2.2d-%2.2d-%4.4d %2.2d:%2.2d:%2.2d", d, m, y, hh, mm, ss);
    case 1: return Format("%2.2d-%2.2d-%4.4d %2.2d:%2.2d:%2.2d", m, d, y, hh, mm, ss);
    case 3: return Format("%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d", y, d, m, hh, mm, ss);
    default: return Format("%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d", y, m, d, hh, mm, ss);
    }
}

TDateTime ParseDateTime(const std::string& text)
{
    if (text == "Undefined" || text.size() < 10)
        return 0;
    try {
        const int y = StrToInt(text.substr(0, 4));
        const int m = StrToInt(text.substr(5, 2));
        const int d = StrToInt(text.substr(8, 2));
        int hh = 0, mm = 0, ss = 0;
        if (text.size() == 19) {
            hh = StrToInt(text.substr(11, 2));
            mm = StrToInt(text.substr(14, 2));
            ss = StrToInt(text.substr(17, 2));
        }
        return EncodeDateTime(y, m, d, hh, mm, ss);
    } catch (const std::exception&) {
        return 0;
    }
}

int CurrentDateOrder()
{
    auto& s = Settings();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.order;
}

std::string CurrentDateSeparator()
{
    auto& s = Settings();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.separator;
}

void SetDateSettings(int order, const std::string& separator)
{
    auto& s = Settings();
    std::lock_guard<std::mutex> guard(s.lock);
    if (order >= 0 && order <= 3)
        s.order = order;
    s.separator = separator;
}

void SetWeekdayNames(const std::array<std::string, 7>& shortNames, const std::array<std::string, 7>& longNames)
{
    auto& s = Settings();
    std::lock_guard<std::mutex> guard(s.lock);
    s.shortDays = shortNames;
    s.longDays = longNames;
    s.namesRead = true;
}

void InitLocaleSettings()
{
    const TLocaleInfo info = ReadLocaleInfo();
    auto& s = Settings();
    std::lock_guard<std::mutex> guard(s.lock);
    s.shortDays = info.shortDays;
    s.longDays = info.longDays;
    s.namesRead = true;
    s.separator = info.dateSeparator;
    s.order = DetectDateOrder(info.shortDateFormat, s.order);
}

std::string UserDateText(TDateTime date, bool withWeekday)
{
    return DateText(CurrentDateOrder(), CurrentDateSeparator(), withWeekday, false, date);
}

// ---- File names ------------------------------------------------------------

std::string UniqueFileName(const std::string& name, const std::string& folder)
{
    std::string clean;
    for (char c : name)
        if (!std::strchr("\\/:*?\"<>|", c))
            clean += c;
    if (clean.empty())
        clean = "Noname";
    const std::string dir = IncludeTrailingPathDelimiter(Trim(folder));
    if (!DirectoryExists(dir) || !PathExists(dir + clean))
        return clean;
    const std::string ext = ExtractFileExt(clean);
    const std::string base = clean.substr(0, clean.size() - ext.size());
    for (int counter = 0; counter < INT_MAX; ++counter) {
        const std::string candidate = Format("%s%d%s", base.c_str(), counter, ext.c_str());
        if (!PathExists(dir + candidate))
            return candidate;
    }
    return clean;
}

std::string BuildFileName(const std::string& folder, const std::string& name, const std::string& extension)
{
    std::string dir = Trim(folder);
    if (!dir.empty())
        dir = IncludeTrailingPathDelimiter(dir);
    else if (!ExtractFilePath(Trim(name)).empty())
        dir = ExtractFilePath(Trim(name));
    else
        dir = ProgramFolder();
    if (!DirectoryExists(dir))
        throw Exception(Format("The provided path '%s' does not exist.", PathToText(dir).c_str()));
    std::string file = Trim(ExtractFileName(Trim(name)));
    if (file.empty())
        throw Exception("The provided filename is empty.");
    const std::string ownExt = ExtractFileExt(file);
    if (!ownExt.empty())
        file = file.substr(0, file.find(ownExt));
    std::string ext = Trim(extension);
    if (!ext.empty() && ext.find('.') == std::string::npos)
        ext = "." + ext;
    if (ext.empty())
        ext = ownExt;
    if (ext.empty())
        throw Exception(Format("No extension defined for file %s", PathToText(dir + file).c_str()));
    return dir + file + ext;
}

// ---- Colours ---------------------------------------------------------------

uint32_t HalveColor(uint32_t color) { return (color & 0xFF000000u) | ((color >> 1) & 0x007F7F7Fu); }

uint32_t BlendColor(uint32_t a, uint32_t b, double factor)
{
    if (!(factor >= 0)) // also NaN
        factor = 0;
    factor = std::min(factor, 1.0);
    uint32_t out = a & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        const int c = ca + static_cast<int>(std::lround((cb - ca) * factor));
        out |= static_cast<uint32_t>(std::clamp(c, 0, 255)) << shift;
    }
    return out;
}
