// Layout analysis and extraction of draws from text files.
//
// The analysis scores every plausible layout instead of demanding that all
// lines agree: a date column is the one whose values run in order (either
// way, with small steps), the numbers are the position (or the columns of a
// delimited file) that gives the most lines with a valid draw. Lines that fit
// no layout are reported with their reason rather than dropped silently.
#include "data/ImportDrawsAI.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>
#include <unordered_map>

#include "data/Stream.h"
#include "data/TextCodec.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "platform/Paths.h"

const std::array<const char*, 8> kImportDateFormats = {
    "Day/Month/Year [2/4 digit year]", "Month/Day/Year [2/4 digit year]", "Year/Month/Day [2/4 digit year]",
    "Year/Day/Month [2/4 digit year]", "DDMMYYYY [4 digit year]",         "MMDDYYYY [4 digit year]",
    "YYYYMMDD [4 digit year]",         "YYYYDDMM [4 digit year]",
};

int ImportDateLength(int dateType) { return dateType >= 4 ? 1 : 3; }

namespace {

constexpr uint32_t kTooBig = UINT32_MAX;
constexpr int32_t kNoDate = INT32_MIN;
// A line too short to hold the date, and a date field left empty.
constexpr int32_t kShortLine = INT32_MIN + 1;
constexpr int32_t kEmptyDate = INT32_MIN + 2;

const char* const kUnableToLoad = "Unable to load file\n\r'";
const char* const kNoAmount = "Unable to analyze the history draw file.\n\rCannot find the required amount of numbers "
                              "per line.\n\rYou can manually adjust the import parameters.";
const char* const kNoDates = "Unable to analyze the history draw file.\n\rCannot extract complete meaningful dates "
                             "position/formation within the file.\n\rYou can manually adjust the import parameters.";
const char* const kNoDraws = "Unable to analyze the history draw file.\n\rCannot extract complete meaningful draws "
                             "within the file.\n\rYou can manually adjust the import parameters.";
const char* const kAnalyzed =
    "File analyzed.\n\rYou can still adjust the parameters if the results are not satisfactory.";

const char* const kTooFew = "too few numbers";
const char* const kNoDateReason = "no date";
const char* const kRepeatedBalls = "repeated balls";
const char* const kBonusInMain = "bonus ball among the main numbers";
const char* const kInGame = "already in the game";
const char* const kDrawRepeated = "draw repeated";
const char* const kDayFull = "more draws on one day than the game holds";
const char* const kTooMany = "too many numbers";
const char* const kNotNumbers = "not a number where the numbers stand";
const char* const kQuoteOpen = "a quote never closed";

// Whether the text holds characters beyond ASCII, all of them well-formed
// UTF-8: single-byte text with letters above 0x7F almost never is.
bool LooksUtf8(const std::string& text)
{
    bool beyond = false;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        const size_t len = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        beyond = true;
        i += len;
    }
    return beyond;
}

// The file's text as single bytes: UTF-8 and UTF-16 with a byte order mark,
// and UTF-8 without one, are decoded (characters beyond one byte become '?');
// anything else is taken as it is.
std::string DecodeText(const std::string& bytes)
{
    const size_t n = bytes.size();
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (n >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return Utf8ToWin1252Lossy(bytes.substr(3));
    if (n >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF))) {
        const bool little = at(0) == 0xFF;
        std::string text;
        text.reserve(n / 2);
        for (size_t i = 2; i + 1 < n; i += 2) {
            const unsigned unit = little ? at(i) | (at(i + 1) << 8) : (at(i) << 8) | at(i + 1);
            text += unit < 0x100 ? static_cast<char>(unit) : '?';
        }
        return text;
    }
    // UTF-8 without a mark (a header in another script): its characters
    // become single bytes, so that one character is one character.
    if (LooksUtf8(bytes))
        return Utf8ToWin1252Lossy(bytes);
    return bytes;
}

// Day number of a date at `v` (ImportDateLength(type) integers), or kNoDate.
// `wide` tells which integers were written with more than two digits: only a
// short year is widened, so "0018" stays the year 18, outside every game.
int32_t DecodeAt(const uint32_t* v, const uint8_t* wide, int type)
{
    uint32_t d = 0, m = 0, y = 0;
    bool widen = true;
    switch (type) {
    case 0: d = v[0], m = v[1], y = v[2], widen = !wide[2]; break;
    case 1: m = v[0], d = v[1], y = v[2], widen = !wide[2]; break;
    case 2: y = v[0], m = v[1], d = v[2], widen = !wide[0]; break;
    case 3: y = v[0], d = v[1], m = v[2], widen = !wide[0]; break;
    case 4: d = v[0] / 1000000, m = v[0] % 1000000 / 10000, y = v[0] % 10000, widen = false; break;
    case 5: m = v[0] / 1000000, d = v[0] % 1000000 / 10000, y = v[0] % 10000, widen = false; break;
    case 6: y = v[0] / 10000, m = v[0] % 10000 / 100, d = v[0] % 100, widen = false; break;
    case 7: y = v[0] / 10000, d = v[0] % 10000 / 100, m = v[0] % 100, widen = false; break;
    default: return kNoDate;
    }
    if (widen && y < 100)
        y += y < 50 ? 2000 : 1900;
    if (y < 1900 || y > 2099 || m < 1 || m > 12 || d < 1 || d > 31)
        return kNoDate;
    const TDateTime date = EncodeDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d));
    return date == 0 ? kNoDate : static_cast<int32_t>(date);
}

struct TDateScore {
    int p = 0, t = 0;
    int64_t key = 0;   // ordered steps plus small ordered steps
    int64_t tight = 0; // strictly ordered steps under 15 days
    int order = 0;     // the classic search order, for ties
    bool desc = false;
};

bool IsDay(int32_t d) { return d > kEmptyDate; }

// How much a column of decoded dates looks like a draw history, in file order.
TDateScore ScoreDates(const std::vector<int32_t>& days)
{
    int64_t monoA = 0, monoD = 0, goodA = 0, goodD = 0, tightA = 0, tightD = 0;
    int32_t prev = kNoDate;
    for (int32_t d : days) {
        if (!IsDay(d))
            continue;
        if (prev != kNoDate) {
            const int64_t step = int64_t(d) - prev;
            monoA += step >= 0;
            monoD += step <= 0;
            goodA += step >= 0 && step <= 62;
            goodD += step <= 0 && step >= -62;
            tightA += step > 0 && step < 15;
            tightD += step < 0 && step > -15;
        }
        prev = d;
    }
    TDateScore s;
    s.desc = monoD + goodD > monoA + goodA;
    s.key = s.desc ? monoD + goodD : monoA + goodA;
    s.tight = s.desc ? tightD : tightA;
    return s;
}

bool Overlaps(int a, int aEnd, int b, int bEnd) { return a < bEnd && b < aEnd; }

// The few date candidates worth pairing with numbers: best first (more
// ordered steps, then more steps under 15 days), none below half the best.
template <class TCandidate> void KeepBestDates(std::vector<TCandidate>& dates)
{
    std::stable_sort(dates.begin(), dates.end(), [](const TCandidate& a, const TCandidate& b) {
        return a.key != b.key ? a.key > b.key : a.tight > b.tight;
    });
    const int64_t floor = dates.front().key / 2;
    size_t keep = 0;
    while (keep < dates.size() && keep < 6 && dates[keep].key >= floor)
        ++keep;
    dates.resize(keep);
}

bool Has(const std::vector<int>& columns, int c)
{
    return std::find(columns.begin(), columns.end(), c) != columns.end();
}

// The value seen most often (the smallest on a tie).
int32_t Commonest(const std::map<int32_t, size_t>& seen)
{
    return std::max_element(seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

} // namespace

int32_t ImportFieldDate(std::string_view field, int dateType)
{
    const TDateParts parts = ReadDateParts(field);
    if (dateType < 0 || dateType > 7 || parts.Count != ImportDateLength(dateType))
        return 0;
    const int32_t day = DecodeAt(parts.Values, parts.Wide, dateType);
    return day == kNoDate ? 0 : day;
}

// The rows of one layout, as the extraction reads them.
struct TImportDrawsAIClass::TRowDraws {
    virtual ~TRowDraws() = default;
    virtual size_t Count() const = 0;
    virtual int Line(size_t i) const = 0;
    // Day number, kNoDate, kShortLine or kEmptyDate; 0 in a game without dates.
    virtual int32_t Day(size_t i) const = 0;
    // Orders the draws of one day (main draw first).
    virtual int64_t Sequence(size_t) const { return 0; }
    // A row that may fail without speaking against the layout (a secondary draw).
    virtual bool Excused(size_t) const { return false; }
    // The row's draws, each laid out as field 1 then field 2; or why there are none.
    virtual const char* Draws(size_t i, std::vector<uint32_t>& values) const = 0;
};

TImportDrawsAIClass::TImportDrawsAIClass(const TDrawClass& draws) : draws_(draws), game_(draws.GameInfo())
{
    numbersPerDraw_ = game_.Fields[0].Picked + (game_.FieldCount == 2 ? game_.Fields[1].Picked : 0);
    drawsPerLine_ = std::max(game_.DrawsPerDay, 1);
}

void TImportDrawsAIClass::Clear()
{
    FoundDraws.clear();
    Skipped.clear();
    lines_ = TLines{};
    Ready = false;
    Fits = false;
}

void TImportDrawsAIClass::Say(const std::string& message, bool error)
{
    Messages.push_back(message);
    if (!ShowMessages)
        return;
    if (error)
        ShowError(message);
    else
        ShowInfo(message);
}

void TImportDrawsAIClass::Fail(const std::string& message, bool keepColumns)
{
    Clear();
    if (!keepColumns)
        table_.reset();
    Say(message, true);
}

bool TImportDrawsAIClass::ReadFile(const std::string& fileName, std::string& bytes)
{
    const std::string unable = kUnableToLoad + PathToText(fileName) + "'";
    std::error_code ec;
    if (!FileExists(fileName) || std::filesystem::is_directory(fileName, ec)) {
        Fail(unable);
        return false;
    }
    const auto size = std::filesystem::file_size(fileName, ec);
    if (!ec && size > kMaxImportFileBytes) {
        Fail(unable + "\n\rThe file is larger than 16 MB, far more than a draws history.");
        return false;
    }
    std::vector<uint8_t> raw;
    std::string error;
    if (!ReadWholeFile(fileName, raw, error, kMaxImportFileBytes)) {
        Fail(unable + "\n\r" + error);
        return false;
    }
    bytes.assign(raw.begin(), raw.end());
    return true;
}

bool TImportDrawsAIClass::Load(const std::string& fileName)
{
    std::string bytes;
    if (!ReadFile(fileName, bytes))
        return false;
    text_ = DecodeText(bytes);
    return LoadText(text_, kUnableToLoad + fileName + "'");
}

bool TImportDrawsAIClass::LoadText(const std::string& text, const std::string& unable)
{
    lines_ = TLines{};
    TLines& L = lines_;
    L.Starts.push_back(0);
    uint64_t number = 0;
    bool inNumber = false;
    char word[10];
    int wordLen = 0;
    int count = 0;
    uint32_t lineNo = 1;
    int digits = 0;
    auto emit = [&](uint64_t value) {
        if (count++ < kMaxImportIntegers) {
            L.Values.push_back(value >= kTooBig ? kTooBig : static_cast<uint32_t>(value));
            L.Wide.push_back(digits > 2 ? 1 : 0);
        }
        digits = 0;
    };
    auto endWord = [&] {
        if (wordLen > 0)
            if (const int month = MonthOfWord(std::string_view(word, static_cast<size_t>(wordLen))))
                emit(static_cast<uint64_t>(month));
        wordLen = 0;
    };
    bool tooMany = false;
    auto endLine = [&] {
        if (count > 0 && L.LineNo.size() >= kMaxImportLines) {
            tooMany = true;
        } else if (count > 0) {
            L.Starts.push_back(static_cast<uint32_t>(L.Values.size()));
            L.LineNo.push_back(lineNo);
        }
        count = 0;
    };
    const size_t n = text.size();
    for (size_t i = 0; i <= n; ++i) {
        const unsigned char b = i < n ? static_cast<unsigned char>(text[i]) : '\n';
        if (b >= '0' && b <= '9') {
            endWord();
            number = number >= kTooBig ? kTooBig : number * 10 + (b - '0');
            ++digits;
            inNumber = true;
            continue;
        }
        if (inNumber)
            emit(number);
        number = 0;
        inNumber = false;
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b >= 0x80) {
            // A word longer than any month name can never match: stop collecting it.
            if (wordLen >= 0 && wordLen < 10)
                word[wordLen++] = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            else
                wordLen = -1;
            continue;
        }
        if (wordLen < 0)
            wordLen = 0;
        endWord();
        if (b == '\n' || b == '\r') {
            endLine();
            ++lineNo;
            if (b == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            if (tooMany) {
                Fail(unable +
                     Format("\n\rThe file holds more than %d lines with numbers, far more than a draws history.",
                            static_cast<int>(kMaxImportLines)));
                return false;
            }
        }
    }
    return true;
}

std::string TImportDrawsAIClass::CheckDraw(const uint32_t* from, TArrayOfShortIntArray& numbers) const
{
    numbers.assign(static_cast<size_t>(game_.FieldCount), {});
    for (int f = 0; f < game_.FieldCount; ++f) {
        const TGameField& field = game_.Fields[static_cast<size_t>(f)];
        const int64_t low = field.Lowest, high = int64_t(field.Lowest) + field.Total - 1;
        for (int j = 0; j < field.Picked; ++j) {
            const uint32_t v = *from++;
            if (v < low || v > high)
                return Format("balls outside %d..%d", static_cast<int>(low), static_cast<int>(high));
            numbers[static_cast<size_t>(f)].push_back(static_cast<int8_t>(v));
        }
    }
    TArrayOfShortIntArray copy = numbers;
    if (CheckNumbersFor(numbers, game_.FieldCount, game_.Fields, game_.Field2Kind))
        return "";
    for (const auto& balls : copy) {
        TShortIntArray sorted = balls;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
            return kRepeatedBalls;
    }
    return game_.Field2Kind == 2 ? kBonusInMain : "invalid numbers";
}

void TImportDrawsAIClass::Skip(const std::string& reason, int line)
{
    auto it = std::find_if(Skipped.begin(), Skipped.end(), [&](const TImportSkip& s) { return s.Reason == reason; });
    if (it == Skipped.end()) {
        Skipped.push_back({reason, 0, {}});
        it = Skipped.end() - 1;
    }
    ++it->Count;
    // The first lines of the file, whatever order the rows are read in.
    auto& lines = it->Lines;
    if (lines.size() < 10 || line < lines.back()) {
        lines.insert(std::upper_bound(lines.begin(), lines.end(), line), line);
        if (lines.size() > 10)
            lines.pop_back();
    }
}

// The steps of FindLayout over the lines read: where the date stands and in
// which format, and where the numbers start.
class TImportDrawsAIClass::TLayoutSearch {
public:
    explicit TLayoutSearch(const TImportDrawsAIClass& ai);

    // No line holds the integers of one draw (and a date).
    bool TooShort() const { return maxLen_ < numbersPerDraw_ + (dated_ ? 1 : 0); }
    // The commonest length of the lines holding at least `atLeast` integers; 0 when none does.
    int CommonLength(int atLeast) const;
    // The date positions and formats worth pairing with numbers, best first;
    // empty when no column reads as dates. One undated entry in a game without dates.
    std::vector<TDateScore> DateCandidates() const;

    struct TChoice {
        bool found = false;
        int64_t score = 0, valid = 0, eligible = 0;
        int rank = 0, start = 0, distance = 0;
        bool classic = false;
    };
    // The numbers' start that gives the most lines with a valid draw, over
    // every date candidate (its index in `dates` is the choice's rank).
    TChoice BestNumbers(const std::vector<TDateScore>& dates) const;

private:
    struct TFit {
        int64_t valid = 0, sorted = 0, eligible = 0;
    };
    // Of the lines long enough for numbers at `start` and the date ending at
    // `dateEnd`: how many hold a valid draw there, and how many of those in
    // ascending order. `days` tells the lines whose date was read.
    TFit FitNumbersAt(int start, int dateEnd, const std::vector<int32_t>& days) const;
    // Whether line i holds a draw at `start` without a ball repeated where
    // the game forbids it; `ascending` tells whether field 1 is sorted.
    bool HoldsDraw(size_t i, int start, bool& ascending) const;
    // Ties are broken by the date's rank, then the classic start, then the
    // nearness to the date.
    static bool Ahead(const TChoice& a, const TChoice& b);

    const TLines& lines_;
    const TGameInfo& game_;
    const bool dated_;
    const int numbersPerDraw_, drawsPerLine_;
    const int picked1_, picked2_;
    int maxLen_ = 0; // integers of the longest line
    int maxPos_ = 0; // positions a date or the numbers may start at, and end before
    // Per line, a bit for each of the first positions that holds a value in
    // the range of field 1, of field 2.
    std::vector<uint64_t> inField1_, inField2_;
};

TImportDrawsAIClass::TLayoutSearch::TLayoutSearch(const TImportDrawsAIClass& ai)
    : lines_(ai.lines_), game_(ai.game_), dated_(ai.draws_.Dated()), numbersPerDraw_(ai.numbersPerDraw_),
      drawsPerLine_(ai.drawsPerLine_), picked1_(game_.Fields[0].Picked),
      picked2_(game_.FieldCount == 2 ? game_.Fields[1].Picked : 0)
{
    const size_t n = lines_.Count();
    for (size_t i = 0; i < n; ++i)
        maxLen_ = std::max(maxLen_, lines_.Length(i));
    maxPos_ = std::min(maxLen_, kMaxImportPositions);
    const TGameField& f1 = game_.Fields[0];
    const TGameField& f2 = game_.Fields[1];
    inField1_.assign(n, 0);
    inField2_.assign(n, 0);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t* row = lines_.Row(i);
        const int len = std::min(lines_.Length(i), kMaxImportPositions);
        for (int j = 0; j < len; ++j) {
            const int64_t v = row[j];
            if (v >= f1.Lowest && v <= int64_t(f1.Lowest) + f1.Total - 1)
                inField1_[i] |= uint64_t(1) << j;
            if (picked2_ && v >= f2.Lowest && v <= int64_t(f2.Lowest) + f2.Total - 1)
                inField2_[i] |= uint64_t(1) << j;
        }
    }
}

int TImportDrawsAIClass::TLayoutSearch::CommonLength(int atLeast) const
{
    std::vector<int> histogram(kMaxImportIntegers + 1, 0);
    for (size_t i = 0; i < lines_.Count(); ++i)
        if (lines_.Length(i) >= atLeast)
            ++histogram[static_cast<size_t>(lines_.Length(i))];
    int best = 0;
    for (int k = 1; k <= kMaxImportIntegers; ++k)
        if (histogram[static_cast<size_t>(k)] > histogram[static_cast<size_t>(best)])
            best = k;
    return histogram[static_cast<size_t>(best)] > 0 ? best : 0;
}

std::vector<TDateScore> TImportDrawsAIClass::TLayoutSearch::DateCandidates() const
{
    std::vector<TDateScore> dates;
    if (!dated_) {
        dates.push_back(TDateScore{});
        return dates;
    }
    const size_t n = lines_.Count();
    std::vector<int32_t> days(n);
    // Formats with separate day, month and year first, then the compact ones.
    for (int group = 0; group < 2; ++group)
        for (int p = 0; p < maxPos_; ++p)
            for (int t = group * 4; t < group * 4 + 4; ++t) {
                const int len = ImportDateLength(t);
                if (p + len > maxPos_)
                    continue;
                size_t decoded = 0, longEnough = 0;
                for (size_t i = 0; i < n; ++i) {
                    days[i] = kNoDate;
                    if (lines_.Length(i) < p + len)
                        continue;
                    ++longEnough;
                    days[i] = DecodeAt(lines_.Row(i) + p, lines_.WideRow(i) + p, t);
                    decoded += days[i] != kNoDate;
                }
                if (decoded == 0 || decoded * 4 < longEnough)
                    continue;
                TDateScore s = ScoreDates(days);
                s.p = p;
                s.t = t;
                s.order = static_cast<int>(dates.size());
                s.key += static_cast<int64_t>(decoded); // a single dated line still counts
                dates.push_back(s);
            }
    if (!dates.empty())
        KeepBestDates(dates);
    return dates;
}

bool TImportDrawsAIClass::TLayoutSearch::HoldsDraw(size_t i, int start, bool& ascending) const
{
    const TGameField& f1 = game_.Fields[0];
    const TGameField& f2 = game_.Fields[1];
    const uint32_t* v = lines_.Row(i) + start;
    uint64_t seen1[2] = {0, 0}, seen2[2] = {0, 0};
    ascending = true;
    for (int j = 0; j < picked1_; ++j) {
        const uint32_t b = v[j];
        const uint64_t bit = uint64_t(1) << (b & 63);
        if (!f1.Ordered && (seen1[b >> 6] & bit))
            return false;
        seen1[b >> 6] |= bit;
        if (j > 0 && b <= v[j - 1])
            ascending = false;
    }
    for (int j = 0; j < picked2_; ++j) {
        const uint32_t b = v[picked1_ + j];
        const uint64_t bit = uint64_t(1) << (b & 63);
        if ((!f2.Ordered && (seen2[b >> 6] & bit)) || (game_.Field2Kind == 2 && (seen1[b >> 6] & bit)))
            return false;
        seen2[b >> 6] |= bit;
    }
    return true;
}

TImportDrawsAIClass::TLayoutSearch::TFit
TImportDrawsAIClass::TLayoutSearch::FitNumbersAt(int start, int dateEnd, const std::vector<int32_t>& days) const
{
    const uint64_t mask1 = ((uint64_t(1) << picked1_) - 1) << start;
    const uint64_t mask2 = picked2_ ? ((uint64_t(1) << picked2_) - 1) << (start + picked1_) : 0;
    TFit fit;
    for (size_t i = 0; i < lines_.Count(); ++i) {
        if (lines_.Length(i) < std::max(start + numbersPerDraw_, dateEnd))
            continue;
        ++fit.eligible;
        if (days[i] == kNoDate || (inField1_[i] & mask1) != mask1 || (inField2_[i] & mask2) != mask2)
            continue;
        bool ascending = true;
        if (!HoldsDraw(i, start, ascending))
            continue;
        ++fit.valid;
        fit.sorted += ascending;
    }
    return fit;
}

bool TImportDrawsAIClass::TLayoutSearch::Ahead(const TChoice& a, const TChoice& b)
{
    if (a.score != b.score)
        return a.score > b.score;
    if (a.rank != b.rank)
        return a.rank < b.rank;
    if (a.classic != b.classic)
        return a.classic;
    return a.distance < b.distance;
}

TImportDrawsAIClass::TLayoutSearch::TChoice
TImportDrawsAIClass::TLayoutSearch::BestNumbers(const std::vector<TDateScore>& dates) const
{
    const TGameField& f1 = game_.Fields[0];
    const int drawsLength = numbersPerDraw_ * drawsPerLine_;
    TChoice best;
    std::vector<int32_t> days(lines_.Count(), 0);
    for (size_t rank = 0; rank < dates.size(); ++rank) {
        const TDateScore& d = dates[rank];
        const int dateLen = dated_ ? ImportDateLength(d.t) : 0;
        const int dateLo = dated_ ? d.p : -1, dateHi = dated_ ? d.p + dateLen : -1;
        if (dated_)
            for (size_t i = 0; i < lines_.Count(); ++i)
                days[i] =
                    lines_.Length(i) >= dateHi ? DecodeAt(lines_.Row(i) + d.p, lines_.WideRow(i) + d.p, d.t) : kNoDate;
        // The classic layout: the numbers are the last integers of the commonest line length.
        const int classicStart = CommonLength(drawsLength + dateLen) - drawsLength;
        for (int s = 0; s + numbersPerDraw_ <= maxPos_; ++s) {
            if (dated_ && Overlaps(s, s + numbersPerDraw_, dateLo, dateHi))
                continue;
            const TFit fit = FitNumbersAt(s, dateHi, days);
            if (fit.valid == 0)
                continue;
            // Published numbers are mostly sorted; a shifted layout rarely is.
            const bool mostlySorted = picked1_ > 1 && !f1.Ordered && fit.sorted * 10 >= fit.valid * 9;
            TChoice choice;
            choice.found = true;
            choice.score = fit.valid * (mostlySorted ? 10 : 9);
            choice.valid = fit.valid;
            choice.eligible = fit.eligible;
            choice.rank = static_cast<int>(rank);
            choice.start = s;
            choice.distance = !dated_ ? s : s >= dateHi ? s - dateHi : 1000 + dateLo - s;
            choice.classic = s == classicStart;
            if (!best.found || Ahead(choice, best))
                best = choice;
        }
    }
    return best;
}

std::string TImportDrawsAIClass::FindLayout()
{
    const TLayoutSearch search(*this);
    const bool dated = draws_.Dated();
    if (search.TooShort())
        return dated ? kNoAmount : kNoDraws;
    const std::vector<TDateScore> dates = search.DateCandidates();
    if (dates.empty())
        return kNoDates;
    const TLayoutSearch::TChoice best = search.BestNumbers(dates);
    // Half the lines that could hold a draw there must hold one.
    if (!best.found || best.valid * 2 < best.eligible)
        return kNoDraws;
    const TDateScore& d = dates[static_cast<size_t>(best.rank)];
    DateStart = dated ? d.p + 1 : 0;
    DateType = static_cast<uint8_t>(dated ? d.t : 0);
    CompactDate = dated && d.t >= 4;
    Descending = dated && d.desc;
    NumbersStart = best.start + 1;
    NumbersPerLine = search.CommonLength(numbersPerDraw_ * drawsPerLine_ + (dated ? ImportDateLength(d.t) : 0));
    return "";
}

void TImportDrawsAIClass::ExtractRows(TRowDraws& rows)
{
    FoundDraws.clear();
    Skipped.clear();
    TStats& stats = stats_;
    stats = TStats{};
    const size_t n = rows.Count();
    const bool dated = draws_.Dated();
    // In a dated game rows are read by day, and within a day in the order the
    // draws were made: by the sequence column, else as the file runs.
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<int32_t> days(n, 0);
    if (dated) {
        std::vector<int64_t> sequence(n);
        for (size_t i = 0; i < n; ++i) {
            days[i] = rows.Day(i);
            sequence[i] = rows.Sequence(i);
        }
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            if (days[a] != days[b])
                return days[a] < days[b];
            if (sequence[a] != sequence[b])
                return sequence[a] < sequence[b];
            return Descending ? a > b : a < b;
        });
    }
    // Draws read so far per day: they give the next index and reveal repeated lines.
    // Draws are kept as fingerprints: a large file must not hold every draw twice.
    std::unordered_map<int32_t, std::vector<uint64_t>> perDay;
    TArrayOfShortIntArray numbers;
    std::vector<uint32_t> values;
    for (const uint32_t i : order) {
        const int line = rows.Line(i);
        const bool excused = rows.Excused(i) || days[i] == kEmptyDate;
        stats.Eligible += !excused;
        const int32_t day = days[i];
        if (dated && !IsDay(day)) {
            Skip(day == kShortLine ? kTooFew : kNoDateReason, line);
            continue;
        }
        if (const char* why = rows.Draws(i, values)) {
            Skip(why, line);
            continue;
        }
        bool valid = false, fitting = false;
        const size_t count = values.size() / static_cast<size_t>(numbersPerDraw_);
        for (size_t draw = 0; draw < count; ++draw) {
            const std::string why = CheckDraw(values.data() + draw * static_cast<size_t>(numbersPerDraw_), numbers);
            if (!why.empty()) {
                fitting = fitting || why.compare(0, 14, "balls outside ") == 0;
                Skip(why, line);
                continue;
            }
            valid = true;
            TImportCandidate cand;
            cand.Line = line;
            cand.Numbers = numbers;
            if (dated) {
                uint64_t print = 1469598103934665603ull;
                for (const TShortIntArray& balls : numbers) {
                    for (int8_t b : balls)
                        print = (print ^ static_cast<uint8_t>(b)) * 1099511628211ull;
                    print = (print ^ 0xFF) * 1099511628211ull;
                }
                auto& taken = perDay[day];
                if (std::find(taken.begin(), taken.end(), print) != taken.end()) {
                    Skip(kDrawRepeated, line);
                    continue;
                }
                taken.push_back(print);
                cand.Date = day;
                cand.Index = static_cast<int32_t>(taken.size());
                if (cand.Index > drawsPerLine_) {
                    Skip(kDayFull, line);
                    continue;
                }
                if (draws_.FindDraw(cand.Index, cand.Date) != 0) {
                    Skip(kInGame, line);
                    continue;
                }
            }
            FoundDraws.push_back(std::move(cand));
        }
        stats.Valid += valid;
        stats.Fitting += valid || fitting;
    }
    if (dated)
        std::stable_sort(FoundDraws.begin(), FoundDraws.end(),
                         [](const TImportCandidate& a, const TImportCandidate& b) {
                             return a.Date != b.Date ? a.Date < b.Date : a.Index < b.Index;
                         });
}

bool TImportDrawsAIClass::Accepts(const TStats& stats) const
{
    return stats.Valid > 0 && stats.Fitting * 2 >= stats.Eligible;
}

void TImportDrawsAIClass::Extract()
{
    // The integers of each line, read at the layout's positions.
    class TRows : public TRowDraws {
    public:
        explicit TRows(const TImportDrawsAIClass& ai)
            : ai_(ai), L(ai.lines_), dated_(ai.draws_.Dated()), dateLen_(dated_ ? ImportDateLength(ai.DateType) : 0),
              ds_(ai.DateStart - 1), ns_(ai.NumbersStart - 1)
        {}
        size_t Count() const override { return L.Count(); }
        int Line(size_t i) const override { return static_cast<int>(L.LineNo[i]); }
        int32_t Day(size_t i) const override
        {
            if (!dated_)
                return 0;
            if (ds_ < 0 || L.Length(i) < ds_ + dateLen_)
                return kShortLine;
            return DecodeAt(L.Row(i) + ds_, L.WideRow(i) + ds_, ai_.DateType);
        }
        const char* Draws(size_t i, std::vector<uint32_t>& values) const override
        {
            const int len = L.Length(i), c = ai_.numbersPerDraw_;
            const uint32_t* row = L.Row(i);
            if (ns_ < 0 || len < ns_ + c)
                return kTooFew;
            values.clear();
            for (int draw = 0; draw < ai_.drawsPerLine_; ++draw) {
                const int from = ns_ + draw * c;
                if (draw > 0 && (from + c > len || (dated_ && Overlaps(from, from + c, ds_, ds_ + dateLen_))))
                    break;
                values.insert(values.end(), row + from, row + from + c);
            }
            return nullptr;
        }

    private:
        const TImportDrawsAIClass& ai_;
        const TLines& L;
        bool dated_;
        int dateLen_, ds_, ns_;
    };
    TRows rows(*this);
    ExtractRows(rows);
    Fits = Accepts(stats_);
    Layout = TImportLayout{};
    Layout.Kind = TImportLayout::TKind::Integers;
    Layout.DateStart = DateStart;
    Layout.DateType = DateType;
    Layout.NumbersStart = NumbersStart;
}

void TImportDrawsAIClass::ExtractIntegers()
{
    const TLines& L = lines_;
    const bool dated = draws_.Dated();
    // The order of the dates decides which of two draws on one day comes first.
    Descending = false;
    if (dated && DateStart >= 1) {
        std::vector<int32_t> days(L.Count(), kNoDate);
        const int len = ImportDateLength(DateType);
        for (size_t i = 0; i < L.Count(); ++i)
            if (L.Length(i) >= DateStart - 1 + len)
                days[i] = DecodeAt(L.Row(i) + DateStart - 1, L.WideRow(i) + DateStart - 1, DateType);
        Descending = ScoreDates(days).desc;
    }
    const int expected = numbersPerDraw_ * drawsPerLine_ + (dated ? ImportDateLength(DateType) : 0);
    std::vector<int> histogram(kMaxImportIntegers + 1, 0);
    for (size_t i = 0; i < L.Count(); ++i)
        if (L.Length(i) >= expected)
            ++histogram[static_cast<size_t>(L.Length(i))];
    NumbersPerLine = static_cast<int32_t>(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
    if (histogram[static_cast<size_t>(NumbersPerLine)] == 0)
        NumbersPerLine = 0;
    Extract();
}

bool TImportDrawsAIClass::SplitTable(char delimiter, const std::string& unable)
{
    if (table_ && table_->Delimiter == delimiter)
        return true;
    table_ = std::make_unique<TImportTable>();
    std::string error;
    if (!SplitColumns(text_, delimiter, *table_, kMaxImportLines, error)) {
        Fail(unable + Format("\n\rThe file holds more than %d lines with numbers, far more than a draws history.",
                             static_cast<int>(kMaxImportLines)));
        return false;
    }
    return true;
}

std::vector<uint32_t> TImportDrawsAIClass::DataRows() const
{
    std::vector<uint32_t> rows;
    const TImportTable& t = *table_;
    for (size_t r = 0; r < t.Rows(); ++r)
        if (t.HasDigits(r) && static_cast<int>(r) != t.HeaderRow)
            rows.push_back(static_cast<uint32_t>(r));
    return rows;
}

namespace {

// The checks of one draw in the columns analysis: ranges, repeats, the bonus
// rule; what CheckNumbersFor refuses, without building the draw.
struct TQuickCheck {
    const TGameInfo& g;
    int p1, p2;

    static bool Field(const int32_t* v, int n, const TGameField& f, uint64_t seen[2])
    {
        for (int j = 0; j < n; ++j) {
            if (v[j] < f.Lowest || v[j] > f.Lowest + f.Total - 1)
                return false;
            const uint64_t bit = uint64_t(1) << (v[j] & 63);
            if (!f.Ordered && (seen[v[j] >> 6] & bit))
                return false;
            seen[v[j] >> 6] |= bit;
        }
        return true;
    }
    // Field 1 at a, field 2 at b (either may be null when the role is not checked).
    bool Draw(const int32_t* a, const int32_t* b, bool& ascending) const
    {
        uint64_t seen1[2] = {0, 0}, seen2[2] = {0, 0};
        if (a && !Field(a, p1, g.Fields[0], seen1))
            return false;
        if (b && !Field(b, p2, g.Fields[1], seen2))
            return false;
        if (a && b && g.Field2Kind == 2 && ((seen1[0] & seen2[0]) || (seen1[1] & seen2[1])))
            return false;
        if (a)
            for (int j = 1; j < p1; ++j)
                ascending = ascending && a[j] > a[j - 1];
        return true;
    }
};

} // namespace

std::string TImportDrawsAIClass::FindColumns(TImportLayout& layout) const
{
    const TImportTable& t = *table_;
    const bool dated = draws_.Dated();
    const TGameField& f1 = game_.Fields[0];
    const int p1 = f1.Picked, p2 = game_.FieldCount == 2 ? game_.Fields[1].Picked : 0;
    const std::vector<uint32_t> data = DataRows();
    if (data.empty())
        return dated ? kNoAmount : kNoDraws;

    // A few blocks of consecutive rows: the dates keep their steps, a long
    // file costs no more than a short one.
    constexpr size_t kBlock = 1000, kBlocks = 4;
    std::vector<uint32_t> sample;
    std::vector<size_t> blockStarts{0};
    if (data.size() <= kBlock * kBlocks) {
        sample = data;
    } else {
        for (size_t b = 0; b < kBlocks; ++b) {
            const size_t from = (data.size() - kBlock) * b / (kBlocks - 1);
            if (b > 0)
                blockStarts.push_back(sample.size());
            sample.insert(sample.end(), data.begin() + static_cast<long>(from),
                          data.begin() + static_cast<long>(from + kBlock));
        }
    }
    const size_t S = sample.size();
    int C = 0;
    for (uint32_t r : sample)
        C = std::max(C, t.Fields(r));
    C = std::min(C, kMaxImportPositions);
    const size_t cols = static_cast<size_t>(C);

    // Every sampled cell read once: its integers (count -1: not numbers) and its date parts.
    std::vector<int32_t> pool;
    std::vector<uint32_t> at(S * cols, 0);
    std::vector<int16_t> count(S * cols, 0);
    std::vector<TDateParts> parts(dated ? S * cols : 0);
    std::vector<int32_t> ints;
    for (size_t s = 0; s < S; ++s)
        for (int c = 0; c < C; ++c) {
            const size_t k = s * cols + static_cast<size_t>(c);
            const std::string_view cell = t.Cell(sample[s], c);
            if (t.Cut(sample[s], c)) {
                count[k] = -1;
                continue;
            }
            if (ReadFieldIntegers(cell, ints)) {
                at[k] = static_cast<uint32_t>(pool.size());
                count[k] = static_cast<int16_t>(ints.size());
                pool.insert(pool.end(), ints.begin(), ints.end());
            } else {
                count[k] = -1;
            }
            if (dated)
                parts[k] = ReadDateParts(cell);
        }

    struct TDateCand {
        int col = -1, type = 0;
        int64_t key = 0, tight = 0;
        std::vector<int32_t> days;
    };
    std::vector<TDateCand> dates;
    if (dated) {
        const int fromCol = layout.DateColumn > 0 ? layout.DateColumn - 1 : 0;
        const int toCol = layout.DateColumn > 0 ? std::min(layout.DateColumn, C) : C;
        for (int c = fromCol; c < toCol; ++c)
            for (int type = 0; type < 8; ++type) {
                if (layout.DateType >= 0 && type != layout.DateType)
                    continue;
                TDateCand d;
                d.col = c;
                d.type = type;
                d.days.assign(S, kNoDate);
                size_t decoded = 0, filled = 0;
                for (size_t s = 0; s < S; ++s) {
                    const size_t k = s * cols + static_cast<size_t>(c);
                    filled += count[k] != 0;
                    if (parts[k].Count == ImportDateLength(type))
                        d.days[s] = DecodeAt(parts[k].Values, parts[k].Wide, type);
                    decoded += d.days[s] != kNoDate;
                }
                if (decoded == 0 || decoded * 4 < filled)
                    continue;
                for (size_t b = 0; b < blockStarts.size(); ++b) {
                    const size_t from = blockStarts[b], to = b + 1 < blockStarts.size() ? blockStarts[b + 1] : S;
                    const TDateScore score = ScoreDates(std::vector<int32_t>(d.days.begin() + static_cast<long>(from),
                                                                             d.days.begin() + static_cast<long>(to)));
                    d.key += score.key;
                    d.tight += score.tight;
                }
                d.key += static_cast<int64_t>(decoded);
                dates.push_back(std::move(d));
            }
        if (dates.empty())
            return kNoDates;
        KeepBestDates(dates);
    } else {
        dates.push_back(TDateCand{});
        dates.back().days.assign(S, 0);
    }

    const TQuickCheck check{game_, p1, p2};
    // The integers of one sampled row in the given columns; false when one holds no numbers.
    std::vector<int32_t> buf1, buf2;
    auto gather = [&](size_t s, const std::vector<int>& columns, std::vector<int32_t>& out) {
        out.clear();
        for (int c : columns) {
            if (c >= C)
                return false;
            const size_t k = s * cols + static_cast<size_t>(c);
            if (count[k] < 0)
                return false;
            out.insert(out.end(), pool.begin() + at[k], pool.begin() + at[k] + count[k]);
        }
        return true;
    };

    struct TFields {
        std::vector<int> f1, f2;
        bool pair = false;
    };
    std::vector<TFields> fields;
    auto run = [](int a, int b) {
        std::vector<int> columns;
        for (int c = a; c <= b; ++c)
            columns.push_back(c);
        return columns;
    };
    if (!layout.Field1Columns.empty()) {
        TFields given;
        for (int c : layout.Field1Columns)
            given.f1.push_back(c - 1);
        if (p2 > 0)
            for (int c : layout.Field2Columns)
                given.f2.push_back(c - 1);
        given.pair = !given.f2.empty();
        fields.push_back(given);
    } else {
        // Runs of neighbouring columns of numbers, by the rows whose integers
        // there make field 1, field 2, or both one after the other.
        std::vector<bool> usable(cols, false);
        for (size_t c = 0; c < cols; ++c) {
            size_t filled = 0, numbers = 0, values = 0;
            for (size_t s = 0; s < S; ++s) {
                const int16_t n = count[s * cols + c];
                filled += n != 0;
                numbers += n > 0;
                values += n > 0 ? static_cast<size_t>(n) : 0;
            }
            usable[c] = values > 0 && numbers * 2 >= filled;
        }
        struct TRun {
            int a = 0, b = 0;
            int64_t valid = 0;
        };
        enum { kF1, kF2, kBoth };
        std::vector<TRun> runs[3];
        const int units[3] = {p1, p2, numbersPerDraw_};
        // Per row the integers of the run so far, grown one column at a time.
        std::vector<std::vector<int32_t>> values(S);
        std::vector<uint8_t> text(S);
        for (int a = 0; a < C; ++a) {
            for (size_t s = 0; s < S; ++s) {
                values[s].clear();
                text[s] = 0;
            }
            const int widest = drawsPerLine_ * numbersPerDraw_ + 4;
            for (int b = a; b < C && usable[static_cast<size_t>(b)] && b - a < widest; ++b) {
                for (size_t s = 0; s < S; ++s) {
                    const size_t k = s * cols + static_cast<size_t>(b);
                    if (count[k] < 0)
                        text[s] = 1;
                    else if (!text[s])
                        values[s].insert(values[s].end(), pool.begin() + at[k], pool.begin() + at[k] + count[k]);
                }
                for (int role = 0; role < 3; ++role) {
                    const size_t unit = static_cast<size_t>(units[role]);
                    if (unit == 0 || (role != kF1 && p2 == 0))
                        continue;
                    int64_t valid = 0;
                    for (size_t s = 0; s < S; ++s) {
                        const std::vector<int32_t>& v = values[s];
                        if (text[s] || v.empty() || v.size() % unit != 0 ||
                            v.size() / unit > static_cast<size_t>(drawsPerLine_))
                            continue;
                        bool ok = true, ascending = true;
                        for (size_t d = 0; ok && d < v.size(); d += unit) {
                            const int32_t* x = v.data() + d;
                            ok = role == kF1   ? check.Draw(x, nullptr, ascending)
                                 : role == kF2 ? check.Draw(nullptr, x, ascending)
                                               : check.Draw(x, x + p1, ascending);
                        }
                        valid += ok;
                    }
                    if (valid > 0)
                        runs[role].push_back({a, b, valid});
                }
            }
        }
        for (auto& list : runs) {
            std::stable_sort(list.begin(), list.end(), [](const TRun& x, const TRun& y) {
                return x.valid != y.valid ? x.valid > y.valid : x.b - x.a < y.b - y.a;
            });
            if (list.size() > 12)
                list.resize(12);
        }
        if (p2 == 0) {
            for (const TRun& r : runs[kF1])
                fields.push_back({run(r.a, r.b), {}, false});
        } else {
            for (const TRun& r : runs[kBoth])
                fields.push_back({run(r.a, r.b), {}, false});
            for (const TRun& r1 : runs[kF1])
                for (const TRun& r2 : runs[kF2])
                    if (r2.b < r1.a || r2.a > r1.b)
                        fields.push_back({run(r1.a, r1.b), run(r2.a, r2.b), true});
        }
    }

    struct TBest {
        bool found = false;
        int64_t score = 0;
        size_t rank = 0, fields = 0;
        int distance = 0, width = 0;
        bool pair = false, adjacent = false;
    } best;
    // Each reading of the fields once per row; then each date with it.
    std::vector<uint8_t> rowDraws(S), rowSorted(S);
    for (size_t fi = 0; fi < fields.size(); ++fi) {
        const TFields& f = fields[fi];
        for (size_t s = 0; s < S; ++s) {
            rowDraws[s] = 0;
            if (!gather(s, f.f1, buf1) || (f.pair && !gather(s, f.f2, buf2)))
                continue;
            size_t draws = 0;
            if (!f.pair) {
                if (buf1.empty() || buf1.size() % static_cast<size_t>(numbersPerDraw_) != 0)
                    continue;
                draws = buf1.size() / static_cast<size_t>(numbersPerDraw_);
            } else {
                draws = buf1.size() / static_cast<size_t>(p1);
                if (draws == 0 || buf1.size() != draws * static_cast<size_t>(p1) ||
                    buf2.size() != draws * static_cast<size_t>(p2))
                    continue;
            }
            if (draws > static_cast<size_t>(drawsPerLine_))
                continue;
            bool ok = true, ascending = true;
            for (size_t k = 0; ok && k < draws; ++k) {
                const int32_t* a = f.pair ? buf1.data() + k * static_cast<size_t>(p1)
                                          : buf1.data() + k * static_cast<size_t>(numbersPerDraw_);
                const int32_t* b = p2 == 0 ? nullptr : f.pair ? buf2.data() + k * static_cast<size_t>(p2) : a + p1;
                ok = check.Draw(a, b, ascending);
            }
            rowDraws[s] = ok ? static_cast<uint8_t>(draws) : 0;
            rowSorted[s] = ascending;
        }
        for (size_t rank = 0; rank < dates.size(); ++rank) {
            const TDateCand& d = dates[rank];
            if (dated && (Has(f.f1, d.col) || Has(f.f2, d.col)))
                continue;
            // Draws, not rows: a line holding both draws of its day beats reading one of them.
            int64_t valid = 0, sorted = 0;
            for (size_t s = 0; s < S; ++s)
                if (rowDraws[s] && (!dated || IsDay(d.days[s]))) {
                    valid += rowDraws[s];
                    sorted += rowSorted[s] ? rowDraws[s] : 0;
                }
            if (valid == 0)
                continue;
            const bool mostlySorted = p1 > 1 && !f1.Ordered && sorted * 10 >= valid * 9;
            const int64_t score = valid * (mostlySorted ? 10 : 9);
            const int first = f.f1.front();
            const int distance = !dated ? first : first > d.col ? first - d.col : 1000 + d.col - first;
            const bool adjacent = !f.pair || f.f2.front() == f.f1.back() + 1;
            const int width = static_cast<int>(f.f1.size() + f.f2.size());
            // Ties: the better date, named fields over one run for both, the
            // numbers nearest after the date, field 2 right after field 1, fewer columns.
            const bool better = !best.found || score > best.score ||
                                (score == best.score && std::make_tuple(rank, !f.pair, distance, !adjacent, width, fi) <
                                                            std::make_tuple(best.rank, !best.pair, best.distance,
                                                                            !best.adjacent, best.width, best.fields));
            if (better)
                best = {true, score, rank, fi, distance, width, f.pair, adjacent};
        }
    }
    if (!best.found)
        return kNoDraws;
    const TDateCand& d = dates[best.rank];
    const TFields& f = fields[best.fields];
    layout.Kind = TImportLayout::TKind::Columns;
    layout.Delimiter = t.Delimiter;
    layout.DateColumn = dated ? d.col + 1 : 0;
    if (dated)
        layout.DateType = d.type;
    layout.Field1Columns.clear();
    layout.Field2Columns.clear();
    for (int c : f.f1)
        layout.Field1Columns.push_back(c + 1);
    for (int c : f.f2)
        layout.Field2Columns.push_back(c + 1);
    return "";
}

std::pair<int, int32_t> TImportDrawsAIClass::FindSequenceColumn(const TImportLayout& layout,
                                                                const std::vector<uint32_t>& rows,
                                                                const std::vector<int32_t>& days) const
{
    const TImportTable& t = *table_;
    // Rows grouped by date; only dates with more than one row tell anything.
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < rows.size(); ++i)
        if (IsDay(days[i]))
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return days[a] < days[b]; });
    bool shared = false;
    for (size_t k = 1; k < order.size() && !shared; ++k)
        shared = days[order[k]] == days[order[k - 1]];
    if (!shared)
        return {-1, 0};
    auto used = [&](int c) {
        const auto& f1 = layout.Field1Columns;
        const auto& f2 = layout.Field2Columns;
        return c + 1 == layout.DateColumn || std::find(f1.begin(), f1.end(), c + 1) != f1.end() ||
               std::find(f2.begin(), f2.end(), c + 1) != f2.end();
    };
    std::vector<int32_t> ints, values(rows.size());
    for (int c = 0; c < std::min(t.Columns, kMaxImportPositions); ++c) {
        if (used(c))
            continue;
        // One small integer on every dated row.
        bool ok = true;
        std::map<int32_t, size_t> seen;
        for (size_t k = 0; k < order.size() && ok; ++k) {
            const uint32_t i = order[k];
            ok = ReadFieldIntegers(t.Cell(rows[i], c), ints) && ints.size() == 1 && ints[0] >= 0 && ints[0] <= 99;
            if (ok) {
                values[i] = ints[0];
                ok = seen.size() < 10 || seen.count(ints[0]);
                ++seen[ints[0]];
            }
        }
        if (!ok || seen.size() < 2)
            continue;
        // Distinct within each date, and the main value on (nearly) every date.
        const int32_t main = Commonest(seen);
        size_t dates = 0, withMain = 0;
        for (size_t k = 0; k < order.size() && ok;) {
            size_t e = k;
            std::vector<int32_t> day;
            while (e < order.size() && days[order[e]] == days[order[k]])
                day.push_back(values[order[e++]]);
            std::sort(day.begin(), day.end());
            ok = std::adjacent_find(day.begin(), day.end()) == day.end();
            ++dates;
            withMain += std::binary_search(day.begin(), day.end(), main);
            k = e;
        }
        if (ok && withMain * 10 >= dates * 9)
            return {c, main};
    }
    return {-1, 0};
}

void TImportDrawsAIClass::ExtractColumns(const TImportLayout& layout)
{
    // The fields of each data row, read from the layout's columns.
    class TRows : public TRowDraws {
    public:
        TRows(const TImportDrawsAIClass& ai, const TImportLayout& l)
            : ai_(ai), t_(*ai.table_), rows_(ai.DataRows()), dated_(ai.draws_.Dated()), type_(l.DateType),
              dateCol_(l.DateColumn - 1)
        {
            for (int c : l.Field1Columns)
                f1_.push_back(c - 1);
            if (ai.game_.FieldCount == 2)
                for (int c : l.Field2Columns)
                    f2_.push_back(c - 1);
            p1_ = ai.game_.Fields[0].Picked;
            p2_ = ai.game_.FieldCount == 2 ? ai.game_.Fields[1].Picked : 0;
        }
        const std::vector<uint32_t>& Rows() const { return rows_; }
        void SetSequence(int column, int32_t main, const std::vector<int64_t>& keys)
        {
            seqCol_ = column;
            main_ = main;
            keys_ = keys;
        }
        size_t Count() const override { return rows_.size(); }
        int Line(size_t i) const override { return t_.Line(rows_[i]); }
        int32_t Day(size_t i) const override
        {
            if (!dated_)
                return 0;
            if (dateCol_ >= t_.Fields(rows_[i]))
                return kShortLine;
            const std::string_view cell = t_.Cell(rows_[i], dateCol_);
            if (ReadFieldIntegers(cell, ints_) && ints_.empty())
                return kEmptyDate;
            if (t_.Cut(rows_[i], dateCol_) || type_ < 0)
                return kNoDate;
            const TDateParts parts = ReadDateParts(cell);
            return parts.Count == ImportDateLength(type_) ? DecodeAt(parts.Values, parts.Wide, type_) : kNoDate;
        }
        int64_t Sequence(size_t i) const override { return seqCol_ < 0 ? 0 : keys_[i]; }
        bool Excused(size_t i) const override { return seqCol_ >= 0 && keys_[i] != INT64_MIN; }
        const char* Draws(size_t i, std::vector<uint32_t>& values) const override
        {
            const char* why = nullptr;
            if (!Gather(rows_[i], f1_, s1_, why) || (!f2_.empty() && !Gather(rows_[i], f2_, s2_, why)))
                return why;
            const int c = ai_.numbersPerDraw_;
            size_t draws = 0;
            if (f2_.empty()) {
                if (s1_.size() < static_cast<size_t>(c))
                    return kTooFew;
                draws = s1_.size() / static_cast<size_t>(c);
                if (s1_.size() % static_cast<size_t>(c) != 0 || draws > static_cast<size_t>(ai_.drawsPerLine_))
                    return kTooMany;
                values.assign(s1_.begin(), s1_.end());
            } else {
                draws = s1_.size() / static_cast<size_t>(p1_);
                if (draws == 0 || s2_.size() < draws * static_cast<size_t>(p2_))
                    return kTooFew;
                if (s1_.size() != draws * static_cast<size_t>(p1_) || s2_.size() != draws * static_cast<size_t>(p2_) ||
                    draws > static_cast<size_t>(ai_.drawsPerLine_))
                    return kTooMany;
                values.clear();
                for (size_t d = 0; d < draws; ++d) {
                    values.insert(values.end(), s1_.begin() + static_cast<long>(d * p1_),
                                  s1_.begin() + static_cast<long>((d + 1) * p1_));
                    values.insert(values.end(), s2_.begin() + static_cast<long>(d * p2_),
                                  s2_.begin() + static_cast<long>((d + 1) * p2_));
                }
            }
            return nullptr;
        }

    private:
        bool Gather(uint32_t row, const std::vector<int>& columns, std::vector<uint32_t>& out, const char*& why) const
        {
            out.clear();
            for (int c : columns) {
                if (c >= t_.Fields(row)) {
                    why = kTooFew;
                    return false;
                }
                if (t_.Cut(row, c) || !ReadFieldIntegers(t_.Cell(row, c), ints_)) {
                    why = kNotNumbers;
                    return false;
                }
                for (int32_t v : ints_)
                    out.push_back(v < 0 ? kTooBig : static_cast<uint32_t>(v));
            }
            return true;
        }

        const TImportDrawsAIClass& ai_;
        const TImportTable& t_;
        std::vector<uint32_t> rows_;
        bool dated_;
        int type_, dateCol_;
        std::vector<int> f1_, f2_;
        int p1_ = 0, p2_ = 0;
        int seqCol_ = -1;
        int32_t main_ = 0;
        std::vector<int64_t> keys_;
        mutable std::vector<int32_t> ints_;
        mutable std::vector<uint32_t> s1_, s2_;
    };

    TRows rows(*this, layout);
    const size_t n = rows.Count();
    std::vector<int32_t> days(n, 0);
    for (size_t i = 0; i < n; ++i)
        days[i] = rows.Day(i);
    Descending = draws_.Dated() && ScoreDates(days).desc;
    SequenceColumn = 0;
    if (draws_.Dated()) {
        int column = layout.SequenceColumn - 1;
        int32_t main = 0;
        if (layout.SequenceColumn < 0) {
            std::tie(column, main) = FindSequenceColumn(layout, rows.Rows(), days);
        } else if (column >= 0) {
            // A given column: its commonest value is the main draw's.
            std::map<int32_t, size_t> seen;
            std::vector<int32_t> ints;
            for (uint32_t r : rows.Rows())
                if (ReadFieldIntegers(table_->Cell(r, column), ints) && ints.size() == 1)
                    ++seen[ints[0]];
            if (!seen.empty())
                main = Commonest(seen);
        }
        if (column >= 0) {
            // The main draw first, the others by their value.
            std::vector<int64_t> keys(n, INT64_MAX);
            std::vector<int32_t> ints;
            for (size_t i = 0; i < n; ++i)
                if (ReadFieldIntegers(table_->Cell(rows.Rows()[i], column), ints) && ints.size() == 1)
                    keys[i] = ints[0] == main ? INT64_MIN : ints[0];
            rows.SetSequence(column, main, keys);
            SequenceColumn = column + 1;
        }
    }
    ExtractRows(rows);
    if (table_->QuoteCount > 0) {
        Skipped.push_back({kQuoteOpen, table_->QuoteCount, table_->QuoteLines});
        stats_.Eligible += table_->QuoteCount;
    }
    Fits = Accepts(stats_);
    Layout = layout;
    DateType = static_cast<uint8_t>(std::clamp(layout.DateType, 0, 7));
}

bool TImportDrawsAIClass::ColumnsAnalysis(const TImportLayout& layout, char delimiter, const std::string& unable,
                                          std::string& error, bool& stop)
{
    stop = false;
    if (!SplitTable(delimiter, unable)) {
        stop = true;
        return false;
    }
    TImportLayout found = layout;
    found.Kind = TImportLayout::TKind::Columns;
    found.Delimiter = delimiter;
    error = FindColumns(found);
    if (!error.empty())
        return false;
    ExtractColumns(found);
    if (!Accepts(stats_)) {
        FoundDraws.clear();
        Skipped.clear();
        error = kNoDraws;
        return false;
    }
    return true;
}

void TImportDrawsAIClass::Reset()
{
    Clear();
    table_.reset();
    DateStart = 0;
    NumbersStart = 0;
    NumbersPerLine = 0;
    CompactDate = false;
    Descending = false;
    SequenceColumn = 0;
    stats_ = TStats{};
}

bool TImportDrawsAIClass::Analyze(const std::string& bytes, const TImportLayout& layout, const std::string& unable)
{
    using TKind = TImportLayout::TKind;
    Reset();
    Layout = layout;
    const bool dated = draws_.Dated();
    try {
        text_ = DecodeText(bytes);
        if (layout.Complete(dated)) {
            // A layout given whole is read as it stands, as "Analyze" reads the controls.
            if (layout.Kind == TKind::Integers) {
                DateStart = dated ? layout.DateStart : 0;
                DateType = static_cast<uint8_t>(dated ? layout.DateType : 0);
                CompactDate = dated && DateType >= 4;
                NumbersStart = layout.NumbersStart;
                if (!LoadText(text_, unable))
                    return false;
                ExtractIntegers();
            } else {
                TImportLayout given = layout;
                if (!given.Delimiter)
                    given.Delimiter = DetectDelimiter(text_);
                if (!given.Delimiter) {
                    Fail(dated ? kNoAmount : kNoDraws);
                    return false;
                }
                if (!SplitTable(given.Delimiter, unable))
                    return false;
                ExtractColumns(given);
            }
            Ready = true;
            return true;
        }

        // A delimited file is read by its columns; undelimited text, and a
        // delimited file whose columns hold no draws, by the integers of each line.
        std::string error;
        bool columns = false;
        if (layout.Kind != TKind::Integers) {
            const char delimiter = layout.Delimiter ? layout.Delimiter : DetectDelimiter(text_);
            bool stop = false;
            if (delimiter)
                columns = ColumnsAnalysis(layout, delimiter, unable, error, stop);
            else
                error = dated ? kNoAmount : kNoDraws;
            if (stop)
                return false;
        }
        if (!columns && layout.Kind != TKind::Columns) {
            if (!LoadText(text_, unable))
                return false;
            error = FindLayout();
            if (error.empty())
                Extract();
        }
        if (!error.empty() && !columns) {
            // The columns of a delimited file stay to be picked by hand.
            Fail(error, true);
            return false;
        }
        if (columns) {
            Fits = true;
            DateType = static_cast<uint8_t>(std::clamp(Layout.DateType, 0, 7));
        }
        if (Layout.Kind == TKind::Integers)
            table_.reset();
        Ready = true;
        Say(kAnalyzed, false);
    } catch (const std::exception&) {
        Reset();
    }
    return Ready;
}

bool TImportDrawsAIClass::AnalyzeFile(const std::string& fileName) { return AnalyzeFile(fileName, TImportLayout{}); }

bool TImportDrawsAIClass::AnalyzeFile(const std::string& fileName, const TImportLayout& layout)
{
    Reset();
    std::string bytes;
    try {
        if (!ReadFile(fileName, bytes))
            return false;
    } catch (const std::exception&) {
        Reset();
        return false;
    }
    return Analyze(bytes, layout, kUnableToLoad + fileName + "'");
}

bool TImportDrawsAIClass::AnalyzeText(const std::string& bytes, const TImportLayout& layout)
{
    return Analyze(bytes, layout, std::string(kUnableToLoad) + "'");
}

bool TImportDrawsAIClass::ExtractWith(const std::string& fileName, int dateStart, int dateType, int numbersStart)
{
    Reset();
    const bool dated = draws_.Dated();
    DateStart = dated ? dateStart : 0;
    DateType = static_cast<uint8_t>(dated ? std::clamp(dateType, 0, 7) : 0);
    CompactDate = dated && DateType >= 4;
    NumbersStart = numbersStart;
    try {
        if (!Load(fileName))
            return false;
        ExtractIntegers();
        Ready = true;
    } catch (const std::exception&) {
        Reset();
    }
    return Ready;
}

bool TImportDrawsAIClass::ExtractManual(const std::string& fileName, int skip, int dateType, int afterDate)
{
    skip = std::clamp(skip, 0, kMaxImportIntegers);
    afterDate = std::clamp(afterDate, -kMaxImportIntegers, kMaxImportIntegers);
    if (!draws_.Dated())
        return ExtractWith(fileName, 0, 0, skip + 1);
    const int dateStart = skip + 1;
    return ExtractWith(fileName, dateStart, dateType, dateStart + ImportDateLength(dateType) + afterDate);
}

int TImportDrawsAIClass::AfterDate() const
{
    if (!draws_.Dated() || DateStart < 1)
        return 0;
    return NumbersStart - DateStart - ImportDateLength(DateType);
}

std::vector<std::string> TImportDrawsAIClass::SkippedTexts() const
{
    std::vector<std::string> texts;
    for (const TImportSkip& s : Skipped)
        texts.push_back(Format("%d line%s skipped: %s", s.Count, s.Count == 1 ? "" : "s", s.Reason.c_str()));
    return texts;
}

int TImportDrawsAIClass::SkippedCount() const
{
    int total = 0;
    for (const TImportSkip& s : Skipped)
        total += s.Count;
    return total;
}

int ImportCandidates(TDrawClass& draws, const std::vector<TImportCandidate>& found, bool reverse)
{
    const int count = static_cast<int>(found.size());
    int added = 0;
    for (int row = 1; row <= count; ++row) {
        const TImportCandidate& cand = found[static_cast<size_t>(ImportShownNumber(row, count, reverse) - 1)];
        if (draws.AddDraw(cand.Index, 0, cand.Numbers, cand.Date) > 0)
            ++added;
    }
    return added;
}

TImportResult AnalyzeImportText(const std::string& bytes, const TDrawClass& draws, const TImportLayout& layout)
{
    TImportDrawsAIClass ai(draws);
    ai.ShowMessages = false;
    ai.AnalyzeText(bytes, layout);
    TImportResult result;
    result.Ready = ai.Ready;
    result.Layout = ai.Layout;
    result.Fits = ai.Fits;
    result.Draws = std::move(ai.FoundDraws);
    result.Skipped = std::move(ai.Skipped);
    result.Messages = std::move(ai.Messages);
    return result;
}
