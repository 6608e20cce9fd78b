// The import layout as a value and as one line of text.
#include "data/ImportLayout.h"

#include <algorithm>
#include <cstdlib>

#include <nlohmann/json.hpp>

namespace {

bool ValidType(int t) { return t >= 0 && t <= 7; }

bool ValidColumns(const std::vector<int>& columns)
{
    // A field of seven numbers spread over columns, many draws to a line: a
    // list longer than this is no layout but damage.
    if (columns.size() > 64)
        return false;
    return std::all_of(columns.begin(), columns.end(), [](int c) { return c >= 1 && c <= kMaxImportColumns; });
}

const char* KindName(TImportLayout::TKind kind)
{
    switch (kind) {
    case TImportLayout::TKind::Integers: return "integers";
    case TImportLayout::TKind::Columns: return "columns";
    default: return "auto";
    }
}

} // namespace

const char* ImportDelimiterName(char delimiter)
{
    switch (delimiter) {
    case ',': return "comma";
    case ';': return "semicolon";
    case '\t': return "tab";
    case '|': return "vertical bar";
    default: return "none";
    }
}

bool TImportLayout::Complete(bool dated) const
{
    switch (Kind) {
    case TKind::Integers: return NumbersStart >= 1 && (!dated || (DateStart >= 1 && ValidType(DateType)));
    case TKind::Columns: return !Field1Columns.empty() && (!dated || (DateColumn >= 1 && ValidType(DateType)));
    default: return false;
    }
}

std::string TImportLayout::ToText() const
{
    nlohmann::ordered_json j;
    j["kind"] = KindName(Kind);
    j["date_format"] = DateType;
    if (Kind == TKind::Integers) {
        j["date_start"] = DateStart;
        j["numbers_start"] = NumbersStart;
    } else if (Kind == TKind::Columns) {
        j["delimiter"] = std::string(Delimiter ? 1 : 0, Delimiter);
        j["date_column"] = DateColumn;
        j["field1"] = Field1Columns;
        j["field2"] = Field2Columns;
        j["sequence_column"] = SequenceColumn;
    }
    return j.dump();
}

bool TImportLayout::FromText(const std::string& text, TImportLayout& layout)
{
    // Settings files are small; a longer value is damage, not a layout.
    if (text.size() > 4096)
        return false;
    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (!j.is_object())
        return false;
    TImportLayout l;
    try {
        const std::string kind = j.at("kind").get<std::string>();
        if (kind == "integers")
            l.Kind = TKind::Integers;
        else if (kind == "columns")
            l.Kind = TKind::Columns;
        else if (kind != "auto")
            return false;
        l.DateType = j.value("date_format", -1);
        if (l.DateType != -1 && !ValidType(l.DateType))
            return false;
        if (l.Kind == TKind::Integers) {
            l.DateStart = j.value("date_start", 0);
            l.NumbersStart = j.value("numbers_start", 0);
            if (l.DateStart < 0 || l.DateStart > 256 || l.NumbersStart < 0 || l.NumbersStart > 256)
                return false;
        } else if (l.Kind == TKind::Columns) {
            const std::string delimiter = j.value("delimiter", std::string());
            if (delimiter.size() > 1 ||
                (delimiter.size() == 1 && std::find(std::begin(kImportDelimiters), std::end(kImportDelimiters),
                                                    delimiter[0]) == std::end(kImportDelimiters)))
                return false;
            l.Delimiter = delimiter.empty() ? 0 : delimiter[0];
            l.DateColumn = j.value("date_column", 0);
            l.Field1Columns = j.value("field1", std::vector<int>());
            l.Field2Columns = j.value("field2", std::vector<int>());
            l.SequenceColumn = j.value("sequence_column", -1);
            if (l.DateColumn < 0 || l.DateColumn > kMaxImportColumns || !ValidColumns(l.Field1Columns) ||
                !ValidColumns(l.Field2Columns) || l.SequenceColumn < -1 || l.SequenceColumn > kMaxImportColumns)
                return false;
        }
    } catch (const nlohmann::json::exception&) {
        return false;
    }
    layout = std::move(l);
    return true;
}

bool ParseImportColumns(const std::string& text, std::vector<int>& columns)
{
    std::vector<int> out;
    size_t i = 0;
    auto number = [&](int& v) {
        const size_t from = i;
        long long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - from < 6)
            value = value * 10 + (text[i++] - '0');
        v = static_cast<int>(value);
        return i > from && v >= 1 && v <= kMaxImportColumns && (i == text.size() || text[i] < '0' || text[i] > '9');
    };
    while (i < text.size()) {
        int first = 0, last = 0;
        if (!number(first))
            return false;
        last = first;
        if (i < text.size() && text[i] == '-') {
            ++i;
            if (!number(last) || last < first)
                return false;
        }
        for (int c = first; c <= last; ++c)
            out.push_back(c);
        if (out.size() > 64)
            return false;
        if (i < text.size()) {
            if (text[i] != ',' || i + 1 == text.size())
                return false;
            ++i;
        }
    }
    if (out.empty())
        return false;
    columns = std::move(out);
    return true;
}

std::string ImportColumnsText(const std::vector<int>& columns)
{
    std::string text;
    for (size_t i = 0; i < columns.size();) {
        size_t j = i;
        while (j + 1 < columns.size() && columns[j + 1] == columns[j] + 1)
            ++j;
        if (!text.empty())
            text += ',';
        text += std::to_string(columns[i]);
        if (j > i)
            text += '-' + std::to_string(columns[j]);
        i = j + 1;
    }
    return text;
}
