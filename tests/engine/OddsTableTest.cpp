// The odds table without a window: validation, rows and tails on the edge
// cases, the combined line, the clipboard layout, and every text against
// exact fractions on random lotteries up to 999 numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/OddsTable.h"

namespace {

// Non-negative integers of any size, just what the exact checks need.
class BigUInt {
public:
    BigUInt(uint64_t v = 0)
    {
        while (v) {
            limbs_.push_back(uint32_t(v));
            v >>= 32;
        }
    }
    BigUInt& operator*=(uint32_t m)
    {
        uint64_t carry = 0;
        for (uint32_t& l : limbs_) {
            const uint64_t t = uint64_t(l) * m + carry;
            l = uint32_t(t);
            carry = t >> 32;
        }
        if (carry)
            limbs_.push_back(uint32_t(carry));
        Trim();
        return *this;
    }
    // Exact division by a small divisor (the remainder is dropped).
    BigUInt& operator/=(uint32_t d)
    {
        uint64_t rem = 0;
        for (size_t i = limbs_.size(); i-- > 0;) {
            const uint64_t cur = (rem << 32) | limbs_[i];
            limbs_[i] = uint32_t(cur / d);
            rem = cur % d;
        }
        Trim();
        return *this;
    }
    friend BigUInt operator*(const BigUInt& a, const BigUInt& b)
    {
        BigUInt r;
        r.limbs_.assign(a.limbs_.size() + b.limbs_.size(), 0);
        for (size_t i = 0; i < a.limbs_.size(); ++i) {
            uint64_t carry = 0;
            for (size_t j = 0; j < b.limbs_.size(); ++j) {
                const uint64_t t = uint64_t(a.limbs_[i]) * b.limbs_[j] + r.limbs_[i + j] + carry;
                r.limbs_[i + j] = uint32_t(t);
                carry = t >> 32;
            }
            r.limbs_[i + b.limbs_.size()] += uint32_t(carry);
        }
        r.Trim();
        return r;
    }
    friend BigUInt operator+(const BigUInt& a, const BigUInt& b)
    {
        BigUInt r;
        uint64_t carry = 0;
        for (size_t i = 0; i < std::max(a.limbs_.size(), b.limbs_.size()); ++i) {
            const uint64_t t = uint64_t(a.Limb(i)) + b.Limb(i) + carry;
            r.limbs_.push_back(uint32_t(t));
            carry = t >> 32;
        }
        if (carry)
            r.limbs_.push_back(uint32_t(carry));
        return r;
    }
    friend bool operator<(const BigUInt& a, const BigUInt& b)
    {
        if (a.limbs_.size() != b.limbs_.size())
            return a.limbs_.size() < b.limbs_.size();
        for (size_t i = a.limbs_.size(); i-- > 0;)
            if (a.limbs_[i] != b.limbs_[i])
                return a.limbs_[i] < b.limbs_[i];
        return false;
    }
    friend bool operator<=(const BigUInt& a, const BigUInt& b) { return !(b < a); }
    long double Approx() const
    {
        long double r = 0.0L;
        for (size_t i = limbs_.size(); i-- > 0;)
            r = r * 4294967296.0L + limbs_[i];
        return r;
    }
    bool IsZero() const { return limbs_.empty(); }

private:
    uint32_t Limb(size_t i) const { return i < limbs_.size() ? limbs_[i] : 0; }
    void Trim()
    {
        while (!limbs_.empty() && limbs_.back() == 0)
            limbs_.pop_back();
    }
    std::vector<uint32_t> limbs_;
};

BigUInt Choose(int n, int k)
{
    if (k < 0 || k > n)
        return BigUInt(0);
    BigUInt c(1);
    for (int i = 1; i <= k; ++i) {
        c *= uint32_t(n - k + i);
        c /= uint32_t(i);
    }
    return c;
}

BigUInt Pow10(int e)
{
    BigUInt r(1);
    for (int i = 0; i < e; ++i)
        r *= 10;
    return r;
}

// The digits of "  123.45" as the integer 12345; false when it is no number.
bool DigitsOf(const std::string& text, BigUInt& out)
{
    out = BigUInt(0);
    bool any = false;
    for (char c : text) {
        if (c == ' ' || c == '.')
            continue;
        if (c < '0' || c > '9')
            return false;
        out *= 10;
        out = out + BigUInt(uint64_t(c - '0'));
        any = true;
    }
    return any;
}

enum class TRounding { Right, Wrong, TooClose };

// Whether `text` ("%.{decimals}f") is num / den rounded to nearest. Values whose
// scaled fraction lies so near one half that extended precision cannot
// decide it are reported as too close to tell.
TRounding CheckRounding(const std::string& text, const BigUInt& num, const BigUInt& den, int decimals)
{
    const BigUInt scaled = num * Pow10(decimals);
    const long double y = scaled.Approx() / den.Approx();
    const long double frac = y - std::floor(y);
    if (std::fabs(frac - 0.5L) < y * 1e-15L + 1e-12L)
        return TRounding::TooClose;
    BigUInt t;
    if (!DigitsOf(text, t))
        return TRounding::Wrong;
    // |num/den * 10^d - t| <= 1/2  <=>  (2t - 1) den <= 2 scaled <= (2t + 1) den
    const BigUInt twoT = t * BigUInt(2);
    const BigUInt twoScaled = scaled * BigUInt(2);
    const BigUInt upper = (twoT + BigUInt(1)) * den;
    const bool aboveLower = twoT * den <= twoScaled + den;
    return aboveLower && twoScaled <= upper ? TRounding::Right : TRounding::Wrong;
}

std::string Strip(std::string text, const std::string& suffix)
{
    if (text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0)
        text.erase(text.size() - suffix.size());
    return text;
}

std::vector<std::string> Captions(const TOddsTable& t)
{
    std::vector<std::string> c;
    for (const TOddsRow& r : t.Rows)
        c.push_back(r.Caption);
    return c;
}

} // namespace

TEST(OddsTable, ValidationShowsEveryFailingTest)
{
    const std::string nonPositive = "Cannot have zero or negative values for total numbers/numbers drawn.";
    const std::string negativeS = "Cannot have negative values for total selected numbers.";
    const std::string above999 = "Cannot exceed 999 for total numbers/numbers drawn.";
    const std::string nNotAboveD = "Total numbers cannot be less than or equal to drawn numbers.";
    const std::string nNotAboveS = "Total numbers cannot be less than or equal to total selected numbers.";
    struct Case {
        int32_t n, d, s;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {49, 6, 10, {}},
        {999, 998, 998, {}},
        {6, 6, 3, {nNotAboveD}},
        {49, 6, 49, {nNotAboveS}},
        {49, 0, 6, {nonPositive}},
        {49, 6, -1, {negativeS}},
        {1000, 6, 6, {above999}},
        {0, 0, -1, {nonPositive, negativeS, nNotAboveD}},
        {1000, 1000, 1000, {above999, nNotAboveD, nNotAboveS}},
        {-5, 1200, 7, {nonPositive, above999, nNotAboveD, nNotAboveS}},
        {INT32_MIN, INT32_MAX, INT32_MIN, {nonPositive, negativeS, above999, nNotAboveD, nNotAboveS}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValidateOdds(c.n, c.d, c.s), c.want) << c.n << "/" << c.d << "/" << c.s;
        if (!c.want.empty()) {
            const TOddsTable t = ComputeOddsTable(c.n, c.d, c.s);
            EXPECT_TRUE(t.Rows.empty());
            EXPECT_EQ(OddsCombinedLine(t, std::vector<bool>(8, true)), "No correct numbers selected.");
        }
    }
}

TEST(OddsTable, RowsAndTailsOfTheEdgeCases)
{
    struct Case {
        int32_t n, d, s;
        std::vector<std::string> captions;
        std::vector<int32_t> tags;
    };
    std::vector<std::string> ninety{"0 to 1 correct"};
    std::vector<int32_t> ninetyTags{-1};
    for (int k = 2; k <= 28; ++k) {
        ninety.push_back(std::to_string(k) + " correct");
        ninetyTags.push_back(k);
    }
    ninety.push_back("29 to 30 correct");
    ninetyTags.push_back(-1);
    std::vector<std::string> big;
    std::vector<int32_t> bigTags;
    for (int k = 0; k <= 14; ++k) {
        big.push_back(std::to_string(k) + " correct");
        bigTags.push_back(k);
    }
    big.push_back("15 to 20 correct");
    bigTags.push_back(-1);
    const std::vector<std::string> zeroToSix{"0 correct", "1 correct", "2 correct", "3 correct",
                                             "4 correct", "5 correct", "6 correct"};
    const Case cases[] = {
        {49, 6, 6, zeroToSix, {0, 1, 2, 3, 4, 5, 6}},
        {49, 6, 10, zeroToSix, {0, 1, 2, 3, 4, 5, 6}},
        {90, 30, 45, ninety, ninetyTags},
        {999, 20, 100, big, bigTags},
        {10, 6, 8, {"4 correct", "5 correct", "6 correct"}, {4, 5, 6}},
        {49, 6, 0, {"0 correct"}, {0}},
        {999, 998, 500, {"499 correct", "500 correct"}, {499, 500}},
    };
    for (const Case& c : cases) {
        const TOddsTable t = ComputeOddsTable(c.n, c.d, c.s);
        EXPECT_EQ(Captions(t), c.captions) << c.n << "/" << c.d << "/" << c.s;
        std::vector<int32_t> tags;
        for (const TOddsRow& r : t.Rows)
            tags.push_back(r.Tag);
        EXPECT_EQ(tags, c.tags) << c.n << "/" << c.d << "/" << c.s;
    }

    const TOddsTable lotto = ComputeOddsTable(49, 6, 6);
    EXPECT_EQ(lotto.Rows[6].PercentText, "0.0000071511%");
    EXPECT_EQ(lotto.Rows[6].OnceInText, "13983816.00");
    const TOddsTable ninetyTable = ComputeOddsTable(90, 30, 45);
    EXPECT_EQ(ninetyTable.Rows.front().PercentText, "0.0000000044%");
    EXPECT_EQ(ninetyTable.Rows.front().OnceInText, "approaches infinity");
    EXPECT_EQ(ninetyTable.Rows.front().Label, "0-1");
    EXPECT_EQ(ninetyTable.Rows.back().Label, "29-30");
    const TOddsTable none = ComputeOddsTable(49, 6, 0);
    EXPECT_EQ(none.Rows[0].PercentText, "100.0000000000%");
    EXPECT_EQ(none.Rows[0].OnceInText, "1.00");
}

TEST(OddsTable, CombinedLineFollowsTheTickedRows)
{
    const TOddsTable lotto = ComputeOddsTable(49, 6, 6);
    const TOddsTable ninety = ComputeOddsTable(90, 30, 45);
    struct Case {
        const TOddsTable* table;
        std::vector<bool> ticked;
        std::string want;
    };
    const Case cases[] = {
        {&lotto, {}, "No correct numbers selected."},
        {&lotto, std::vector<bool>(7, false), "No correct numbers selected."},
        {&lotto,
         {false, false, false, false, false, false, true},
         "Combined : 0.0000071511% [once in 13983816.00 draws]"},
        {&lotto, {false, false, false, true, true, true, true}, "Combined : 1.8637545002% [once in 53.66 draws]"},
        {&lotto, std::vector<bool>(7, true), "Combined : 100.0000000000% [once in 1.00 draws]"},
        {&ninety, {true}, "Combined : 0.0000000044% [approaches infinity]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OddsCombinedLine(*c.table, c.ticked), c.want);
    // Ticking both tails adds the two sums: 2 * 4.374e-11 is no longer negligible.
    std::vector<bool> tails(ninety.Rows.size(), false);
    tails.front() = tails.back() = true;
    EXPECT_EQ(OddsCombinedLine(ninety, tails), "Combined : 0.0000000087% [once in 11431098796.39 draws]");
}

TEST(OddsTable, ClipboardLayout)
{
    const std::string head = "Probabilities to match correct numbers.\r\n"
                             "---------------------------------------\r\n\r\n"
                             "Correct | Probability % | once in N draws  \r\n"
                             "-----------------------------------------\r\n";
    EXPECT_EQ(OddsClipboardText(ComputeOddsTable(49, 6, 6)),
              "Total numbers 49, Drawn numbers 6, Selected numbers 6\r\n" + head +
                  "      0 | 43.5964975512 |            2.29\r\n"
                  "      1 | 41.3019450485 |            2.42\r\n"
                  "      2 | 13.2378029002 |            7.55\r\n"
                  "      3 |  1.7650403867 |           56.66\r\n"
                  "      4 |  0.0968619724 |         1032.40\r\n"
                  "      5 |  0.0018449900 |        54200.84\r\n"
                  "      6 |  0.0000071511 |     13983816.00\r\n");
    // Certainty drops a decimal; negligible tails have no count of draws.
    EXPECT_EQ(OddsClipboardText(ComputeOddsTable(49, 6, 0)),
              "Total numbers 49, Drawn numbers 6, Selected numbers 0\r\n" + head +
                  "      0 | 100.000000000 |            1.00\r\n");
    const std::string ninety = OddsClipboardText(ComputeOddsTable(90, 30, 45));
    EXPECT_NE(ninety.find(head + "    0-1 |  0.0000000044 | approaches inf.\r\n      2 |  0.0000001622 |"),
              std::string::npos);
    const std::string lastLine = "\r\n  29-30 |  0.0000000044 | approaches inf.\r\n";
    EXPECT_EQ(ninety.substr(ninety.size() - lastLine.size()), lastLine);
    const std::string big = OddsClipboardText(ComputeOddsTable(999, 20, 100));
    EXPECT_NE(big.find("\r\n  15-20 |  0.0000000"), std::string::npos);
    // A tail of a single count is labelled by that count alone.
    const TOddsTable single = ComputeOddsTable(38, 19, 19);
    ASSERT_EQ(single.Rows.size(), 20u);
    EXPECT_EQ(single.Rows.front().Caption, "0 correct");
    EXPECT_EQ(single.Rows.front().Tag, -1);
    EXPECT_EQ(single.Rows.back().Caption, "19 correct");
    EXPECT_EQ(single.Rows.back().Tag, -1);
    const std::string singleText = OddsClipboardText(single);
    EXPECT_NE(singleText.find("\r\n      0 |  0.0000000028 | approaches inf.\r\n"), std::string::npos);
    EXPECT_NE(singleText.find("\r\n     19 |  0.0000000028 | approaches inf.\r\n"), std::string::npos);
}

TEST(OddsTable, LocaleDecimalSeparator)
{
    const TOddsTable t = ComputeOddsTable(49, 6, 6, ',');
    EXPECT_EQ(t.Rows[6].PercentText, "0,0000071511%");
    EXPECT_EQ(t.Rows[6].OnceInText, "13983816,00");
    EXPECT_EQ(OddsCombinedLine(t, {true}), "Combined : 43,5964975512% [once in 2,29 draws]");
    EXPECT_NE(OddsClipboardText(t).find("      6 |  0,0000071511 |     13983816,00\r\n"), std::string::npos);
    EXPECT_EQ(FormatFixed(2.5L, 8, 3, ','), "   2,500");
    EXPECT_EQ(FormatFixed(0.125L, 0, 2, '.'), "0.12"); // round half to even on the exact binary value
}

// Every text against exact fractions C(D,k) C(N-D,S-k) / C(N,S) on random
// lotteries, skipping only values too close to a rounding boundary to tell.
TEST(OddsTable, TextsMatchExactFractions)
{
    std::mt19937 rng(20261208);
    struct Case {
        int32_t n, d, s;
    };
    std::vector<Case> cases{{999, 998, 500}, {999, 500, 500}, {999, 1, 998}, {999, 20, 100}, {2, 1, 1}, {90, 30, 45}};
    for (int i = 0; i < 160; ++i) {
        const int32_t n = std::uniform_int_distribution<int32_t>(2, 999)(rng);
        const int32_t d = std::uniform_int_distribution<int32_t>(1, n - 1)(rng);
        const int32_t s = std::uniform_int_distribution<int32_t>(0, n - 1)(rng);
        cases.push_back({n, d, s});
    }
    int checked = 0;
    int tooClose = 0;
    const BigUInt negligibleScale(20000000000ULL); // p < 5e-11  <=>  num * 2e10 < den
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + "/" + std::to_string(c.d) + "/" + std::to_string(c.s));
        const TOddsTable t = ComputeOddsTable(c.n, c.d, c.s);
        const BigUInt den = Choose(c.n, c.s);
        const int32_t kmin = std::max(c.s + c.d - c.n, 0);
        const int32_t kmax = std::min(c.s, c.d);
        std::vector<BigUInt> num;
        std::vector<bool> negligible;
        bool undecidable = false;
        for (int32_t k = kmin; k <= kmax; ++k) {
            num.push_back(Choose(c.d, k) * Choose(c.n - c.d, c.s - k));
            negligible.push_back(num.back() * negligibleScale < den);
            const long double ratio = (num.back() * negligibleScale).Approx() / den.Approx();
            undecidable = undecidable || std::fabs(ratio - 1.0L) < 1e-12L;
        }
        if (undecidable) {
            ++tooClose;
            continue;
        }
        // The exact row layout: the negligible counts at both ends form the tails.
        size_t lo = 0;
        while (lo < negligible.size() && negligible[lo])
            ++lo;
        size_t hi = negligible.size();
        while (hi > lo && negligible[hi - 1])
            --hi;
        std::vector<std::pair<int32_t, int32_t>> want;
        if (lo > 0)
            want.emplace_back(kmin, kmin + int32_t(lo) - 1);
        for (size_t k = lo; k < hi; ++k)
            want.emplace_back(kmin + int32_t(k), kmin + int32_t(k));
        if (hi < negligible.size())
            want.emplace_back(kmin + int32_t(hi), kmax);
        ASSERT_EQ(t.Rows.size(), want.size());

        std::vector<bool> all(t.Rows.size(), true);
        for (size_t r = 0; r < t.Rows.size(); ++r) {
            const TOddsRow& row = t.Rows[r];
            ASSERT_EQ(row.First, want[r].first);
            ASSERT_EQ(row.Last, want[r].second);
            EXPECT_EQ(row.Tag, row.First == row.Last && !negligible[size_t(row.First - kmin)] ? row.First : -1);
            BigUInt sum(0);
            for (int32_t k = row.First; k <= row.Last; ++k)
                sum = sum + num[size_t(k - kmin)];
            const TRounding percent = CheckRounding(Strip(row.PercentText, "%"), sum * BigUInt(100), den, 10);
            EXPECT_NE(percent, TRounding::Wrong) << row.Caption << " " << row.PercentText;
            if (row.OnceInText == "approaches infinity") {
                EXPECT_TRUE(sum * negligibleScale <= den) << row.Caption;
            } else {
                const TRounding once = CheckRounding(row.OnceInText, den, sum, 2);
                EXPECT_NE(once, TRounding::Wrong) << row.Caption << " " << row.OnceInText;
                tooClose += once == TRounding::TooClose;
            }
            tooClose += percent == TRounding::TooClose;
            ++checked;
        }
        EXPECT_EQ(OddsCombinedLine(t, all), "Combined : 100.0000000000% [once in 1.00 draws]");
    }
    EXPECT_GT(checked, 2000);
    EXPECT_LT(tooClose, checked / 100);
}
