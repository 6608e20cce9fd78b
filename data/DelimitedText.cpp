// Delimited text: delimiter detection, splitting with libcsv, and the
// readings of single fields.
#include "data/DelimitedText.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>

#include <csv.h>

// Fills a table while it is split: the only code that writes its storage.
class TImportTableWriter {
public:
    explicit TImportTableWriter(TImportTable& t) : t_(t) {}
    void Field(const char* bytes, size_t len)
    {
        if (len > kMaxImportFieldBytes) {
            t_.cut_.push_back(static_cast<uint32_t>(t_.cellStart_.size() - 1));
            len = kMaxImportFieldBytes;
        }
        t_.text_.append(bytes, len);
        t_.cellStart_.push_back(static_cast<uint32_t>(t_.text_.size()));
    }
    void Row(int line, bool digits)
    {
        t_.rowStart_.push_back(static_cast<uint32_t>(t_.cellStart_.size() - 1));
        t_.rowLine_.push_back(static_cast<uint32_t>(line));
        t_.rowDigits_.push_back(digits ? 1 : 0);
    }
    // Where the row being read began, to drop it again.
    void Mark()
    {
        text_ = t_.text_.size();
        cells_ = t_.cellStart_.size();
        cut_ = t_.cut_.size();
    }
    void Rewind()
    {
        t_.text_.resize(text_);
        t_.cellStart_.resize(cells_);
        t_.cut_.resize(cut_);
    }

private:
    TImportTable& t_;
    size_t text_ = 0, cells_ = 0, cut_ = 0;
};

namespace {

bool IsDigit(unsigned char b) { return b >= '0' && b <= '9'; }
// Windows-1252 text: bytes above 0x7F are letters of some script (0xA0 is a space).
bool IsLetter(unsigned char b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= 0x80 && b != 0xA0); }
bool IsBlank(unsigned char b) { return b == ' ' || b == '\t' || b == 0 || b == 0xA0; }
// Between the numbers of one field.
bool IsListSeparator(unsigned char b) { return IsBlank(b) || b == ',' || b == ';' || b == '|' || b == '/' || b == '+'; }

std::string_view Trim(std::string_view f)
{
    while (!f.empty() && IsBlank(static_cast<unsigned char>(f.front())))
        f.remove_prefix(1);
    while (!f.empty() && IsBlank(static_cast<unsigned char>(f.back())))
        f.remove_suffix(1);
    return f;
}

// "1.714.650", "1,000,000.50", "435 530,60", "-12'345": one amount written
// with thousands separators, never a list of balls.
bool IsGroupedAmount(std::string_view f)
{
    size_t i = f.size() && f[0] == '-' ? 1 : 0;
    const size_t lead = i;
    while (i < f.size() && IsDigit(static_cast<unsigned char>(f[i])))
        ++i;
    if (i == lead || i - lead > 3 || (f[lead] == '0' && i - lead > 1))
        return false;
    char sep = 0;
    int groups = 0;
    while (i + 4 <= f.size()) {
        const char s = f[i];
        if (!(s == ',' || s == '.' || s == ' ' || s == '\'' || static_cast<unsigned char>(s) == 0xA0))
            break;
        if (sep && s != sep)
            break;
        size_t j = i + 1;
        while (j < f.size() && IsDigit(static_cast<unsigned char>(f[j])))
            ++j;
        if (j - i - 1 != 3)
            break;
        sep = s;
        ++groups;
        i = j;
    }
    if (groups == 0)
        return false;
    if (i == f.size())
        return true;
    // A decimal part after the groups, with the other mark.
    if ((f[i] == ',' || f[i] == '.') && f[i] != sep && i + 1 < f.size()) {
        size_t j = i + 1;
        while (j < f.size() && IsDigit(static_cast<unsigned char>(f[j])))
            ++j;
        return j == f.size();
    }
    return false;
}

int32_t Saturate(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Reads digits from f[i]; the value saturates, the digit count is kept.
int64_t ReadDigits(std::string_view f, size_t& i, int& digits, bool& allZero)
{
    int64_t v = 0;
    digits = 0;
    allZero = true;
    while (i < f.size() && IsDigit(static_cast<unsigned char>(f[i]))) {
        if (v < (int64_t(1) << 40))
            v = v * 10 + (f[i] - '0');
        allZero = allZero && f[i] == '0';
        ++digits;
        ++i;
    }
    return v;
}

std::string Lower(std::string_view w)
{
    std::string s(w);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

// The shape of one row while splitting: its field count and whether its last field is empty.
struct TRowShape {
    int Fields = 0;
    bool LastEmpty = false;
};

// Feeds libcsv line by line, so that every row keeps its line and a quote
// that never closes costs only its own line.
class TSplitter {
public:
    TSplitter(const std::string& text, char delimiter, TImportTable* table, std::vector<TRowShape>* shapes,
              size_t maxRows)
        : text_(text), table_(table), shapes_(shapes), maxRows_(maxRows)
    {
        if (table)
            writer_.emplace(*table);
        csv_init(&parser_, 0);
        csv_set_delim(&parser_, static_cast<unsigned char>(delimiter));
        // Spaces around unquoted fields are trimmed; a tab only when it does not delimit.
        csv_set_space_func(&parser_, delimiter == '\t' ? SpaceOnly : SpaceOrTab);
    }
    ~TSplitter() { csv_free(&parser_); }
    TSplitter(const TSplitter&) = delete;
    TSplitter& operator=(const TSplitter&) = delete;

    // False when the rows exceed maxRows or libcsv runs out of memory.
    bool Run(bool& tooMany);

private:
    static int SpaceOnly(unsigned char c) { return c == ' ' || c == 0; }
    static int SpaceOrTab(unsigned char c) { return c == ' ' || c == '\t' || c == 0; }
    static void OnField(void* s, size_t len, void* data);
    static void OnRow(int, void* data);

    void BeginRow(int line);
    void DropRow();

    const std::string& text_;
    TImportTable* table_;
    std::vector<TRowShape>* shapes_;
    size_t maxRows_;
    csv_parser parser_{};

    std::optional<TImportTableWriter> writer_;
    // The row being read.
    int line_ = 0;
    int fields_ = 0;
    bool lastEmpty_ = false;
    bool digits_ = false;
    bool ended_ = false;
    size_t rows_ = 0;
};

void TSplitter::OnField(void* s, size_t len, void* data)
{
    auto* self = static_cast<TSplitter*>(data);
    const auto* bytes = static_cast<const char*>(s);
    ++self->fields_;
    self->lastEmpty_ = len == 0;
    for (size_t i = 0; i < len && !self->digits_; ++i)
        self->digits_ = IsDigit(static_cast<unsigned char>(bytes[i]));
    if (self->writer_ && self->fields_ <= kMaxImportColumns)
        self->writer_->Field(bytes, len);
}

void TSplitter::OnRow(int, void* data)
{
    auto* self = static_cast<TSplitter*>(data);
    self->ended_ = true;
    ++self->rows_;
    if (self->shapes_)
        self->shapes_->push_back({self->fields_, self->lastEmpty_});
    if (self->writer_)
        self->writer_->Row(self->line_, self->digits_);
}

void TSplitter::BeginRow(int line)
{
    line_ = line;
    fields_ = 0;
    lastEmpty_ = false;
    digits_ = false;
    ended_ = false;
    if (writer_)
        writer_->Mark();
}

void TSplitter::DropRow()
{
    csv_fini(&parser_, nullptr, nullptr, nullptr);
    if (table_) {
        writer_->Rewind();
        ++table_->QuoteCount;
        if (table_->QuoteLines.size() < 10)
            table_->QuoteLines.push_back(line_);
    }
}

bool TSplitter::Run(bool& tooMany)
{
    tooMany = false;
    const size_t n = text_.size();
    // "\n", "\r\n" and a lone "\r" each end a line.
    auto nextLine = [&](size_t& at, std::string_view& line) {
        if (at >= n)
            return false;
        size_t end = at;
        while (end < n && text_[end] != '\n' && text_[end] != '\r')
            ++end;
        line = std::string_view(text_).substr(at, end - at);
        at = end + (end + 1 < n && text_[end] == '\r' && text_[end + 1] == '\n' ? 2 : 1);
        return true;
    };
    static const char newline = '\n';
    size_t pos = 0, afterFirst = 0;
    int lineNo = 0, firstLine = 0, openLines = 0;
    bool open = false;
    std::string_view line;
    for (;;) {
        const bool more = nextLine(pos, line);
        if (more)
            ++lineNo;
        if (more && !open) {
            if (Trim(line).empty())
                continue;
            if (rows_ >= maxRows_) {
                tooMany = table_ != nullptr;
                return !tooMany;
            }
            open = true;
            firstLine = lineNo;
            afterFirst = pos;
            openLines = 0;
            BeginRow(lineNo);
        }
        if (!more && !open)
            return true;
        if (more) {
            // libcsv grows a field by this step: a step as long as the line
            // keeps a huge field from being copied over and over as it grows.
            csv_set_blk_size(&parser_, std::max<size_t>(128, line.size() + 1));
            if (csv_parse(&parser_, line.data(), line.size(), OnField, OnRow, this) != line.size() ||
                csv_parse(&parser_, &newline, 1, OnField, OnRow, this) != 1)
                return false;
            ++openLines;
            if (ended_) {
                open = false;
                continue;
            }
        }
        if (!more || openLines >= kMaxImportQuotedLines) {
            // The quote opened on the row's first line never closes: that line
            // is left out, and reading goes on after it.
            DropRow();
            pos = afterFirst;
            lineNo = firstLine;
            open = false;
        }
    }
}

} // namespace

std::string_view TImportTable::Cell(size_t row, int column) const
{
    if (column < 0 || column >= Fields(row))
        return {};
    const size_t cell = rowStart_[row] + static_cast<size_t>(column);
    return std::string_view(text_).substr(cellStart_[cell], cellStart_[cell + 1] - cellStart_[cell]);
}

bool TImportTable::Cut(size_t row, int column) const
{
    if (column < 0 || column >= Fields(row))
        return false;
    return std::binary_search(cut_.begin(), cut_.end(), static_cast<uint32_t>(rowStart_[row] + column));
}

std::string TImportTable::ColumnName(int column) const
{
    if (HeaderRow < 0)
        return "";
    std::string name(Trim(Cell(static_cast<size_t>(HeaderRow), column)));
    if (name.size() > 40)
        name = name.substr(0, 40);
    return name;
}

char DetectDelimiter(const std::string& text)
{
    // A few thousand rows tell the delimiter as well as the whole file.
    constexpr size_t kSampleRows = 2000;
    char best = 0;
    size_t bestAgree = 0;
    // On a tie the rarer delimiter wins: commas also stand inside the fields of
    // the others (decimal commas, lists of numbers).
    for (const char d : {'\t', ';', '|', ','}) {
        std::vector<TRowShape> shapes;
        TSplitter splitter(text, d, nullptr, &shapes, kSampleRows);
        bool tooMany = false;
        if (!splitter.Run(tooMany) || shapes.empty())
            continue;
        std::map<int, size_t> histogram;
        for (const TRowShape& s : shapes)
            ++histogram[s.Fields];
        int modal = 0;
        size_t most = 0;
        for (const auto& [fields, count] : histogram)
            if (count >= most) {
                most = count;
                modal = fields;
            }
        if (modal < 2)
            continue;
        size_t trailing = 0;
        for (const TRowShape& s : shapes)
            trailing += s.Fields == modal && s.LastEmpty;
        const bool modalTrailing = trailing * 2 > most;
        size_t agree = 0;
        for (const TRowShape& s : shapes)
            agree +=
                s.Fields == modal || (s.Fields == modal + 1 && s.LastEmpty) || (s.Fields == modal - 1 && modalTrailing);
        if (agree * 10 < shapes.size() * 6)
            continue;
        if (agree > bestAgree) {
            best = d;
            bestAgree = agree;
        }
    }
    return best;
}

bool SplitColumns(const std::string& text, char delimiter, TImportTable& table, size_t maxRows, std::string& error)
{
    table = TImportTable{};
    table.Delimiter = delimiter;
    TSplitter splitter(text, delimiter, &table, nullptr, maxRows);
    bool tooMany = false;
    if (!splitter.Run(tooMany)) {
        error = tooMany ? "too many rows" : "out of memory";
        table = TImportTable{};
        return false;
    }
    // The column count: the commonest field count of the rows with digits.
    std::map<int, size_t> histogram;
    for (size_t r = 0; r < table.Rows(); ++r)
        if (table.HasDigits(r))
            ++histogram[table.Fields(r)];
    size_t most = 0;
    for (const auto& [fields, count] : histogram)
        if (count >= most) {
            most = count;
            table.Columns = fields;
        }

    // The header: the last row of names (no field of numbers) before the first
    // row with one; a title line above it has a single field.
    std::vector<int32_t> ints;
    const size_t look = std::min<size_t>(table.Rows(), 50);
    for (size_t r = 0; r < look; ++r) {
        int numbers = 0, texts = 0;
        for (int c = 0; c < std::min(table.Fields(r), 64); ++c) {
            const std::string_view cell = Trim(table.Cell(r, c));
            if (cell.empty())
                continue;
            if (ReadFieldIntegers(cell, ints) && !ints.empty())
                ++numbers;
            else
                ++texts;
        }
        if (numbers > 0)
            break;
        if (texts >= 2 && std::abs(table.Fields(r) - table.Columns) <= 1)
            table.HeaderRow = static_cast<int>(r);
    }
    return true;
}

int MonthOfWord(std::string_view w)
{
    static const char* const names[12] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
    if (w.size() < 3 || w.size() > 9)
        return 0;
    for (int m = 0; m < 12; ++m) {
        const std::string_view full = names[m];
        if (w == full || w == full.substr(0, 3))
            return m + 1;
    }
    return w == "sept" ? 9 : 0;
}

bool ReadFieldIntegers(std::string_view f, std::vector<int32_t>& out)
{
    out.clear();
    f = Trim(f);
    if (f.size() >= 2) {
        const char open = f.front(), close = f.back();
        if ((open == '{' && close == '}') || (open == '[' && close == ']') || (open == '(' && close == ')') ||
            (open == '"' && close == '"') || (open == '\'' && close == '\''))
            f = Trim(f.substr(1, f.size() - 2));
    }
    // A dash alone (also the en and em dash) marks a number not drawn.
    if (f.empty() || f == "-" || f == "--" || f == "\x96" || f == "\x97")
        return true;
    if (IsGroupedAmount(f))
        return false;
    size_t i = 0;
    while (i < f.size()) {
        const auto b = static_cast<unsigned char>(f[i]);
        if (IsListSeparator(b)) {
            ++i;
            continue;
        }
        const bool sign = b == '-' && i + 1 < f.size() && IsDigit(static_cast<unsigned char>(f[i + 1])) &&
                          (i == 0 || !IsDigit(static_cast<unsigned char>(f[i - 1])));
        if (b == '-' && !sign) {
            ++i; // "4-9-22": the dash separates
            continue;
        }
        if (!sign && !IsDigit(b))
            return false;
        if (sign)
            ++i;
        // One number: digits, groups after dots ("2019.03.15", "14.0"), a closing dot ("201.").
        int64_t groups[4];
        bool zeros[4];
        int count = 0, digits = 0;
        groups[count] = ReadDigits(f, i, digits, zeros[count]);
        ++count;
        while (i < f.size() && f[i] == '.') {
            if (i + 1 < f.size() && IsDigit(static_cast<unsigned char>(f[i + 1]))) {
                if (count == 4)
                    return false;
                ++i;
                groups[count] = ReadDigits(f, i, digits, zeros[count]);
                ++count;
            } else {
                ++i;
                break;
            }
        }
        if (i < f.size() && !IsListSeparator(static_cast<unsigned char>(f[i])) && f[i] != '-')
            return false;
        if (count == 2 && !zeros[1])
            return false; // a fraction
        const int take = count == 2 ? 1 : count;
        for (int g = 0; g < take; ++g)
            out.push_back(Saturate(sign && g == 0 ? -groups[g] : groups[g]));
        if (static_cast<int>(out.size()) > kMaxFieldIntegers)
            return false;
    }
    return true;
}

TDateParts ReadDateParts(std::string_view f)
{
    TDateParts p;
    int count = 0;
    int digits = 0; // of the number being pushed; a month name has none
    auto push = [&](uint64_t v) {
        if (count < 3) {
            p.Values[count] = static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX));
            p.Wide[count] = digits > 2 ? 1 : 0;
        }
        digits = 0;
        ++count;
    };
    auto word = [&](size_t& i) {
        const size_t from = i;
        while (i < f.size() && IsLetter(static_cast<unsigned char>(f[i])))
            ++i;
        return Lower(f.substr(from, i - from));
    };
    size_t i = 0;
    while (i < f.size() && count <= 3) {
        const auto b = static_cast<unsigned char>(f[i]);
        if (IsDigit(b)) {
            uint64_t v = 0;
            digits = 0;
            while (i < f.size() && IsDigit(static_cast<unsigned char>(f[i]))) {
                if (v <= UINT32_MAX)
                    v = v * 10 + static_cast<uint64_t>(f[i] - '0');
                ++digits;
                ++i;
            }
            if (i < f.size() && f[i] == ':')
                break; // a time of day follows the date
            if (i < f.size() && IsLetter(static_cast<unsigned char>(f[i]))) {
                const std::string w = word(i);
                if (w == "t" && i < f.size() && IsDigit(static_cast<unsigned char>(f[i]))) {
                    push(v); // "2019-03-15T20:00"
                    break;
                }
                if (w == "st" || w == "nd" || w == "rd" || w == "th") {
                    push(v);
                } else if (const int m = MonthOfWord(w)) {
                    push(v); // "15Mar2019"
                    push(static_cast<uint64_t>(m));
                } else {
                    return {}; // "HZQP15472", "3f2a-..."
                }
                continue;
            }
            push(v);
        } else if (IsLetter(b)) {
            const std::string w = word(i);
            const int m = MonthOfWord(w);
            if (m)
                push(static_cast<uint64_t>(m));
            else if (i < f.size() && IsDigit(static_cast<unsigned char>(f[i])))
                return {}; // letters glued to digits: an identifier
        } else {
            ++i;
        }
    }
    if (count == 0 || count > 3)
        return {};
    p.Count = count;
    return p;
}
