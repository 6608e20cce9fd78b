// Layout analysis and extraction of draws from text files.
//
// The analysis scores every plausible layout instead of demanding that all
// lines agree: a date column is the one whose values run in order (either
// way, with small steps), the numbers are the position that gives the most
// lines with a valid draw. Lines that fit no layout are reported with their
// reason rather than dropped silently.
#include "data/ImportDrawsAI.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
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

// Whole month names and their abbreviations, matched only as whole words so
// that "Martes" or "Mardi" keep their integers where they are.
int MonthOfWord(const char* w, int n)
{
    static const char* const names[12] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
    if (n < 3 || n > 9)
        return 0;
    const std::string word(w, static_cast<size_t>(n));
    for (int m = 0; m < 12; ++m) {
        const std::string full = names[m];
        if (word == full || word == full.substr(0, 3))
            return m + 1;
    }
    return word == "sept" ? 9 : 0;
}

// The file's text as single bytes: UTF-8 and UTF-16 with a byte order mark are
// decoded (characters beyond one byte become '?'); anything else is taken as it is.
std::string DecodeText(const std::vector<uint8_t>& bytes)
{
    const size_t n = bytes.size();
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return Utf8ToWin1252Lossy(std::string(bytes.begin() + 3, bytes.end()));
    if (n >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool little = bytes[0] == 0xFF;
        std::string text;
        text.reserve(n / 2);
        for (size_t i = 2; i + 1 < n; i += 2) {
            const unsigned unit = little ? bytes[i] | (bytes[i + 1] << 8) : (bytes[i] << 8) | bytes[i + 1];
            text += unit < 0x100 ? static_cast<char>(unit) : '?';
        }
        return text;
    }
    return std::string(bytes.begin(), bytes.end());
}

// Day number of a date at `v` (ImportDateLength(type) integers), or kNoDate.
int32_t DecodeAt(const uint32_t* v, int type)
{
    uint32_t d = 0, m = 0, y = 0;
    bool widen = true;
    switch (type) {
    case 0: d = v[0], m = v[1], y = v[2]; break;
    case 1: m = v[0], d = v[1], y = v[2]; break;
    case 2: y = v[0], m = v[1], d = v[2]; break;
    case 3: y = v[0], d = v[1], m = v[2]; break;
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

// How much a column of decoded dates looks like a draw history, in file order.
TDateScore ScoreDates(const std::vector<int32_t>& days)
{
    int64_t monoA = 0, monoD = 0, goodA = 0, goodD = 0, tightA = 0, tightD = 0;
    int32_t prev = kNoDate;
    for (int32_t d : days) {
        if (d == kNoDate)
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

} // namespace

TImportDrawsAIClass::TImportDrawsAIClass(const TDrawClass& draws) : draws_(draws), game_(draws.GameInfo())
{
    c_ = game_.Fields[0].Picked + (game_.FieldCount == 2 ? game_.Fields[1].Picked : 0);
    z_ = std::max(game_.DrawsPerDay, 1);
}

void TImportDrawsAIClass::Clear()
{
    FoundDraws.clear();
    Skipped.clear();
    lines_ = TLines{};
    Ready = false;
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

void TImportDrawsAIClass::Fail(const std::string& message)
{
    Clear();
    Say(message, true);
}

bool TImportDrawsAIClass::Load(const std::string& fileName)
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
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(fileName, bytes, error, kMaxImportFileBytes)) {
        Fail(unable + "\n\r" + error);
        return false;
    }
    std::string text = DecodeText(bytes);
    bytes.clear();
    bytes.shrink_to_fit();

    TLines& L = lines_;
    L.Starts.push_back(0);
    uint64_t number = 0;
    bool inNumber = false;
    char word[10];
    int wordLen = 0;
    int count = 0;
    uint32_t lineNo = 1;
    auto emit = [&](uint64_t value) {
        if (count++ < kMaxImportIntegers)
            L.Values.push_back(value >= kTooBig ? kTooBig : static_cast<uint32_t>(value));
    };
    auto endWord = [&] {
        if (wordLen > 0)
            if (const int month = MonthOfWord(word, wordLen))
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
                Fail(unable + Format("\n\rThe file holds more than %d lines with numbers, far more than a draws history.",
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
    if (it->Lines.size() < 10)
        it->Lines.push_back(line);
}

bool TImportDrawsAIClass::FindLayout()
{
    const TLines& L = lines_;
    const size_t n = L.Count();
    const bool dated = draws_.Dated();
    const TGameField& f1 = game_.Fields[0];
    const TGameField& f2 = game_.Fields[1];
    const int p1 = f1.Picked;
    const int p2 = game_.FieldCount == 2 ? f2.Picked : 0;
    int maxLen = 0;
    for (size_t i = 0; i < n; ++i)
        maxLen = std::max(maxLen, L.Length(i));
    const int maxPos = std::min(maxLen, kMaxImportPositions);
    if (maxLen < c_ + (dated ? 1 : 0)) {
        Fail(dated ? kNoAmount : kNoDraws);
        return false;
    }

    // Per line, which of the first positions hold a value in range of each field.
    std::vector<uint64_t> in1(n), in2(n);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t* row = L.Row(i);
        const int len = std::min(L.Length(i), kMaxImportPositions);
        for (int j = 0; j < len; ++j) {
            const int64_t v = row[j];
            if (v >= f1.Lowest && v <= int64_t(f1.Lowest) + f1.Total - 1)
                in1[i] |= uint64_t(1) << j;
            if (p2 && v >= f2.Lowest && v <= int64_t(f2.Lowest) + f2.Total - 1)
                in2[i] |= uint64_t(1) << j;
        }
    }

    // The classic layout: numbers are the last integers of the commonest line length.
    auto commonLength = [&](int expected) {
        std::vector<int> histogram(kMaxImportIntegers + 1, 0);
        for (size_t i = 0; i < n; ++i)
            if (L.Length(i) >= expected)
                ++histogram[static_cast<size_t>(L.Length(i))];
        int best = 0;
        for (int k = 1; k <= kMaxImportIntegers; ++k)
            if (histogram[static_cast<size_t>(k)] > histogram[static_cast<size_t>(best)])
                best = k;
        return histogram[static_cast<size_t>(best)] > 0 ? best : 0;
    };

    std::vector<TDateScore> dates;
    if (dated) {
        std::vector<int32_t> days(n);
        for (int group = 0; group < 2; ++group)
            for (int p = 0; p < maxPos; ++p)
                for (int t = group * 4; t < group * 4 + 4; ++t) {
                    const int len = ImportDateLength(t);
                    if (p + len > maxPos)
                        continue;
                    size_t decoded = 0, longEnough = 0;
                    for (size_t i = 0; i < n; ++i) {
                        days[i] = kNoDate;
                        if (L.Length(i) < p + len)
                            continue;
                        ++longEnough;
                        days[i] = DecodeAt(L.Row(i) + p, t);
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
        if (dates.empty()) {
            Fail(kNoDates);
            return false;
        }
        std::stable_sort(dates.begin(), dates.end(), [](const TDateScore& a, const TDateScore& b) {
            if (a.key != b.key)
                return a.key > b.key;
            return a.tight > b.tight;
        });
        const int64_t floor = dates.front().key / 2;
        size_t keep = 0;
        while (keep < dates.size() && keep < 6 && dates[keep].key >= floor)
            ++keep;
        dates.resize(keep);
    } else {
        dates.push_back(TDateScore{});
    }

    struct TBest {
        bool found = false;
        int64_t score = 0, valid = 0, eligible = 0;
        int rank = 0, s = 0, distance = 0;
        bool classic = false;
    } best;
    std::vector<int32_t> days(n, 0);
    for (size_t rank = 0; rank < dates.size(); ++rank) {
        const TDateScore& d = dates[rank];
        const int dateLen = dated ? ImportDateLength(d.t) : 0;
        const int dateLo = dated ? d.p : -1, dateHi = dated ? d.p + dateLen : -1;
        if (dated)
            for (size_t i = 0; i < n; ++i)
                days[i] = L.Length(i) >= dateHi ? DecodeAt(L.Row(i) + d.p, d.t) : kNoDate;
        const int classicLength = commonLength(c_ * z_ + dateLen);
        const int classicStart = classicLength - c_ * z_;
        for (int s = 0; s + c_ <= maxPos; ++s) {
            if (dated && Overlaps(s, s + c_, dateLo, dateHi))
                continue;
            const uint64_t mask1 = ((uint64_t(1) << p1) - 1) << s;
            const uint64_t mask2 = p2 ? ((uint64_t(1) << p2) - 1) << (s + p1) : 0;
            int64_t valid = 0, sorted = 0, eligible = 0;
            for (size_t i = 0; i < n; ++i) {
                if (L.Length(i) < std::max(s + c_, dateHi))
                    continue;
                ++eligible;
                if (days[i] == kNoDate || (in1[i] & mask1) != mask1 || (in2[i] & mask2) != mask2)
                    continue;
                const uint32_t* v = L.Row(i) + s;
                uint64_t seen1[2] = {0, 0}, seen2[2] = {0, 0};
                bool ok = true, ascending = true;
                for (int j = 0; j < p1 && ok; ++j) {
                    const uint32_t b = v[j];
                    const uint64_t bit = uint64_t(1) << (b & 63);
                    if (!f1.Ordered && (seen1[b >> 6] & bit))
                        ok = false;
                    seen1[b >> 6] |= bit;
                    if (j > 0 && b <= v[j - 1])
                        ascending = false;
                }
                for (int j = 0; j < p2 && ok; ++j) {
                    const uint32_t b = v[p1 + j];
                    const uint64_t bit = uint64_t(1) << (b & 63);
                    if ((!f2.Ordered && (seen2[b >> 6] & bit)) || (game_.Field2Kind == 2 && (seen1[b >> 6] & bit)))
                        ok = false;
                    seen2[b >> 6] |= bit;
                }
                if (!ok)
                    continue;
                ++valid;
                sorted += ascending;
            }
            if (valid == 0)
                continue;
            // Published numbers are mostly sorted; a shifted layout rarely is.
            const bool mostlySorted = p1 > 1 && !f1.Ordered && sorted * 10 >= valid * 9;
            const int64_t score = valid * (mostlySorted ? 10 : 9);
            const bool classic = s == classicStart;
            const int distance = !dated ? s : s >= dateHi ? s - dateHi : 1000 + dateLo - s;
            const bool better =
                !best.found || score > best.score ||
                (score == best.score &&
                 (static_cast<int>(rank) < best.rank ||
                  (static_cast<int>(rank) == best.rank &&
                   (classic > best.classic || (classic == best.classic && distance < best.distance)))));
            if (better)
                best = {true, score, valid, eligible, static_cast<int>(rank), s, distance, classic};
        }
    }
    if (!best.found || best.valid * 2 < best.eligible) {
        Fail(kNoDraws);
        return false;
    }
    const TDateScore& d = dates[static_cast<size_t>(best.rank)];
    DateStart = dated ? d.p + 1 : 0;
    DateType = static_cast<uint8_t>(dated ? d.t : 0);
    CompactDate = dated && d.t >= 4;
    Descending = dated && d.desc;
    NumbersStart = best.s + 1;
    NumbersPerLine = commonLength(c_ * z_ + (dated ? ImportDateLength(d.t) : 0));
    return true;
}

void TImportDrawsAIClass::Extract()
{
    FoundDraws.clear();
    Skipped.clear();
    const TLines& L = lines_;
    const size_t n = L.Count();
    const bool dated = draws_.Dated();
    const int dateLen = dated ? ImportDateLength(DateType) : 0;
    const int ds = DateStart - 1, ns = NumbersStart - 1;
    // Draws read so far per day: they give the next index and reveal repeated lines.
    // Draws are kept as fingerprints: a large file must not hold every draw twice.
    std::unordered_map<int32_t, std::vector<uint64_t>> perDay;
    TArrayOfShortIntArray numbers;
    for (size_t k = 0; k < n; ++k) {
        const size_t i = dated && Descending ? n - 1 - k : k;
        const int line = static_cast<int>(L.LineNo[i]);
        const int len = L.Length(i);
        const uint32_t* row = L.Row(i);
        int32_t day = 0;
        if (dated) {
            if (ds < 0 || len < ds + dateLen) {
                Skip(kTooFew, line);
                continue;
            }
            day = DecodeAt(row + ds, DateType);
            if (day == kNoDate) {
                Skip(kNoDateReason, line);
                continue;
            }
        }
        if (ns < 0 || len < ns + c_) {
            Skip(kTooFew, line);
            continue;
        }
        for (int draw = 0; draw < z_; ++draw) {
            const int from = ns + draw * c_;
            if (draw > 0 && (from + c_ > len || (dated && Overlaps(from, from + c_, ds, ds + dateLen))))
                break;
            const std::string why = CheckDraw(row + from, numbers);
            if (!why.empty()) {
                Skip(why, line);
                continue;
            }
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
                if (cand.Index > z_) {
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
    }
    if (dated)
        std::stable_sort(FoundDraws.begin(), FoundDraws.end(), [](const TImportCandidate& a, const TImportCandidate& b) {
            return a.Date != b.Date ? a.Date < b.Date : a.Index < b.Index;
        });
}

bool TImportDrawsAIClass::AnalyzeFile(const std::string& fileName)
{
    Clear();
    DateStart = 0;
    NumbersStart = 0;
    NumbersPerLine = 0;
    CompactDate = false;
    try {
        if (!Load(fileName) || !FindLayout())
            return false;
        Extract();
        Ready = true;
        Say(kAnalyzed, false);
    } catch (const std::exception&) {
        Clear();
    }
    return Ready;
}

bool TImportDrawsAIClass::ExtractWith(const std::string& fileName, int dateStart, int dateType, int numbersStart)
{
    Clear();
    const bool dated = draws_.Dated();
    DateStart = dated ? dateStart : 0;
    DateType = static_cast<uint8_t>(dated ? std::clamp(dateType, 0, 7) : 0);
    CompactDate = dated && DateType >= 4;
    NumbersStart = numbersStart;
    try {
        if (!Load(fileName))
            return false;
        const TLines& L = lines_;
        // The order of the dates decides which of two draws on one day comes first.
        Descending = false;
        if (dated && DateStart >= 1) {
            std::vector<int32_t> days(L.Count(), kNoDate);
            const int len = ImportDateLength(DateType);
            for (size_t i = 0; i < L.Count(); ++i)
                if (L.Length(i) >= DateStart - 1 + len)
                    days[i] = DecodeAt(L.Row(i) + DateStart - 1, DateType);
            Descending = ScoreDates(days).desc;
        }
        const int expected = c_ * z_ + (dated ? ImportDateLength(DateType) : 0);
        std::vector<int> histogram(kMaxImportIntegers + 1, 0);
        for (size_t i = 0; i < L.Count(); ++i)
            if (L.Length(i) >= expected)
                ++histogram[static_cast<size_t>(L.Length(i))];
        NumbersPerLine = static_cast<int32_t>(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
        if (histogram[static_cast<size_t>(NumbersPerLine)] == 0)
            NumbersPerLine = 0;
        Extract();
        Ready = true;
    } catch (const std::exception&) {
        Clear();
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
