// The odds table: validation, rows with their tails, the combined line and the
// clipboard text.
#include "engine/OddsTable.h"

#include <algorithm>
#include <charconv>

#include "data/Types.h"
#include "engine/HitProbability.h"

namespace {

std::string Percent(long double value, char sep) { return FormatFixed(value * 100.0L, 0, 10, sep) + "%"; }

std::string OnceIn(long double value, char sep)
{
    return value <= kOddsNegligible ? std::string("approaches infinity") : FormatFixed(1.0L / value, 0, 2, sep);
}

std::string PadLeft(const std::string& text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

TOddsRow TailRow(int32_t first, int32_t last, long double sum, char sep)
{
    TOddsRow row;
    row.Tag = -1;
    row.First = first;
    row.Last = last;
    row.Value = sum;
    row.Caption = first == last ? Format("%d correct", first) : Format("%d to %d correct", first, last);
    row.Label = first == last ? Format("%d", first) : Format("%d-%d", first, last);
    row.PercentText = Percent(sum, sep);
    row.OnceInText = OnceIn(sum, sep);
    return row;
}

} // namespace

std::string FormatFixed(long double value, int width, int precision, char decimalSeparator)
{
    char buffer[512];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (r.ec != std::errc())
        return PadLeft("inf", size_t(std::max(width, 0)));
    std::string text(buffer, r.ptr);
    if (decimalSeparator != '.')
        std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return PadLeft(text, size_t(std::max(width, 0)));
}

std::vector<std::string> ValidateOdds(int32_t N, int32_t D, int32_t S)
{
    std::vector<std::string> failed;
    if (N <= 0 || D <= 0)
        failed.emplace_back("Cannot have zero or negative values for total numbers/numbers drawn.");
    if (S < 0)
        failed.emplace_back("Cannot have negative values for total selected numbers.");
    if (N > 999 || D > 999)
        failed.emplace_back("Cannot exceed 999 for total numbers/numbers drawn.");
    if (N <= D)
        failed.emplace_back("Total numbers cannot be less than or equal to drawn numbers.");
    if (N <= S)
        failed.emplace_back("Total numbers cannot be less than or equal to total selected numbers.");
    return failed;
}

TOddsTable ComputeOddsTable(int32_t N, int32_t D, int32_t S, char decimalSeparator)
{
    TOddsTable table;
    table.N = N;
    table.D = D;
    table.S = S;
    table.DecimalSeparator = decimalSeparator;
    if (!ValidateOdds(N, D, S).empty())
        return table;

    const int32_t kmin = std::max(S + D - N, 0);
    const int32_t kmax = std::min(S, D);
    std::vector<long double> p(size_t(kmax - kmin + 1));
    for (int32_t k = kmin; k <= kmax; ++k)
        p[size_t(k - kmin)] = HitProbability(N, D, S, k);
    // A single possible count is certain; the factor-by-factor product only
    // comes close to 1, which would hide the clipboard's form for certainty.
    if (kmin == kmax)
        p[0] = 1.0L;
    auto P = [&](int32_t k) { return p[size_t(k - kmin)]; };
    auto negligible = [&](int32_t k) { return P(k) < kOddsNegligible; };

    int32_t k = kmin;
    long double lowSum = 0.0L;
    while (k <= kmax && negligible(k))
        lowSum += P(k++);
    if (k > kmin)
        table.Rows.push_back(TailRow(kmin, k - 1, lowSum, decimalSeparator));

    for (; k <= kmax && !negligible(k); ++k) {
        TOddsRow row;
        row.Tag = k;
        row.First = row.Last = k;
        row.Value = P(k);
        row.Caption = Format("%d correct", k);
        row.Label = Format("%d", k);
        row.PercentText = Percent(row.Value, decimalSeparator);
        row.OnceInText = FormatFixed(1.0L / row.Value, 0, 2, decimalSeparator);
        table.Rows.push_back(row);
    }

    // Counts already shown are never summed again into the high tail.
    const int32_t covered = k - 1;
    long double highSum = 0.0L;
    int32_t q = kmax;
    while (q > covered && negligible(q))
        highSum += P(q--);
    if (q < kmax)
        table.Rows.push_back(TailRow(q + 1, kmax, highSum, decimalSeparator));
    return table;
}

std::string OddsCombinedLine(const TOddsTable& table, const std::vector<bool>& ticked)
{
    long double sum = 0.0L;
    bool any = false;
    for (size_t i = 0; i < table.Rows.size() && i < ticked.size(); ++i)
        if (ticked[i]) {
            sum += table.Rows[i].Value;
            any = true;
        }
    if (!any)
        return kOddsNothingSelected;
    const char sep = table.DecimalSeparator;
    std::string line = "Combined : " + Percent(sum, sep) + " ";
    if (sum < kOddsNegligible)
        return line + "[approaches infinity]";
    return line + "[once in " + FormatFixed(1.0L / sum, 0, 2, sep) + " draws]";
}

std::string OddsClipboardText(const TOddsTable& table)
{
    const char sep = table.DecimalSeparator;
    std::string text = Format("Total numbers %d, Drawn numbers %d, Selected numbers %d\r\n", table.N, table.D, table.S);
    text += "Probabilities to match correct numbers.\r\n";
    text += "---------------------------------------\r\n\r\n";
    text += "Correct | Probability % | once in N draws  \r\n";
    text += "-----------------------------------------\r\n";
    for (const TOddsRow& row : table.Rows) {
        const long double v = row.Value;
        text += PadLeft(row.Label, 7) + " | ";
        if (v < kOddsNegligible)
            text += FormatFixed(v * 100.0L, 13, 10, sep) + " | " + PadLeft("approaches inf.", 15);
        else
            text += FormatFixed(v * 100.0L, 13, v == 1.0L ? 9 : 10, sep) + " | " + FormatFixed(1.0L / v, 15, 2, sep);
        text += "\r\n";
    }
    return text;
}
