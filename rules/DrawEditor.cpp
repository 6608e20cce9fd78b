// The draws editor's rules and texts.
#include "rules/DrawEditor.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "data/GameFile.h"
#include "data/Utils.h"

TDrawEditor::TDrawEditor(TDrawClass& draws, bool hasFilePath)
    : draws_(draws), hasFilePath_(hasFilePath), modifiedAtEntry_(draws.Modified)
{
    Clear();
}

void TDrawEditor::Clear()
{
    const TGameInfo& g = Game();
    work_.assign(static_cast<size_t>(std::clamp(g.FieldCount, 1, 2)), TShortIntArray());
    for (size_t f = 0; f < work_.size(); ++f)
        work_[f].assign(static_cast<size_t>(std::max(0, g.Fields[f].Picked)), int8_t(-1));
    activeField_ = 1;
}

void TDrawEditor::SetActiveField(int field)
{
    activeField_ = std::clamp(field, 1, std::clamp(Game().FieldCount, 1, 2));
}

bool TDrawEditor::FieldOneValid() const
{
    TArrayOfShortIntArray numbers = work_;
    return CheckNumbersFor(numbers, 1, Game().Fields, 0);
}

bool TDrawEditor::AllValid() const
{
    TArrayOfShortIntArray numbers = work_;
    return CheckNumbersFor(numbers, Game().FieldCount, Game().Fields, Game().Field2Kind);
}

bool TDrawEditor::SelectorEnabled() const
{
    return Game().FieldCount == 2 && Game().Field2Kind != 0 && FieldOneValid();
}

TGridSetup TDrawEditor::GridSetup()
{
    const TGameInfo& g = Game();
    if (activeField_ == 2 && g.Field2Kind == 2 && !FieldOneValid())
        activeField_ = 1;
    if (activeField_ > g.FieldCount)
        activeField_ = 1;
    TGridSetup s;
    const TGameField& f = g.Fields[static_cast<size_t>(activeField_) - 1];
    s.Field = activeField_;
    s.Total = f.Total;
    s.Picked = f.Picked;
    s.FaceOffset = f.Lowest - 1;
    s.FieldName = g.FieldNames[static_cast<size_t>(activeField_) - 1];
    s.SelectorVisible = g.FieldCount == 2;
    s.SelectorMax = g.FieldCount == 2 ? 2 : 1;
    s.SelectorEnabled = SelectorEnabled();
    if (activeField_ == 2 && g.Field2Kind == 2)
        for (int8_t ball : work_[0])
            if (ball >= 0)
                s.Disabled.push_back(GridOf(2, ball));
    return s;
}

void TDrawEditor::WorkFromGrid(const TShortIntArray& gridPicks)
{
    TShortIntArray& balls = work_[static_cast<size_t>(activeField_) - 1];
    const int lowest = Game().Fields[static_cast<size_t>(activeField_) - 1].Lowest;
    std::vector<int> picks;
    for (int8_t n : gridPicks)
        picks.push_back(static_cast<uint8_t>(n));
    std::sort(picks.begin(), picks.end());
    std::fill(balls.begin(), balls.end(), int8_t(-1));
    for (size_t i = 0; i < picks.size() && i < balls.size(); ++i)
        balls[i] = static_cast<int8_t>(picks[i] + lowest - 1);
}

std::vector<int> TDrawEditor::GridSelection() const
{
    std::vector<int> out;
    for (int8_t ball : work_[static_cast<size_t>(activeField_) - 1])
        if (ball >= 0)
            out.push_back(GridOf(activeField_, ball));
    return out;
}

TEditorButtons TDrawEditor::Buttons(int selected, TDateTime day, int index) const
{
    TEditorButtons b;
    const bool valid = AllValid();
    const bool free = !draws_.Dated() || draws_.FindDraw(index, day) == 0;
    b.Add = b.Insert = valid && free;
    const TDraw* d = draws_.GetDraw(selected);
    b.Get = d != nullptr;
    b.Replace = d && valid && (!draws_.Dated() || (d->Date == day && d->Index == index));
    b.Save = draws_.Modified && hasFilePath_;
    b.FieldSelector = SelectorEnabled();
    return b;
}

namespace {

// The weekday schedule is read from the draws of about the last year, and only
// once they are enough to show one.
constexpr int kScheduleDraws = 104;
constexpr int kScheduleMinimum = 8;

// 0 = Sunday; day 0 (30 December 1899) was a Saturday.
int Weekday(TDateTime date)
{
    const int64_t day = static_cast<int64_t>(std::floor(date));
    return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

std::string WeekdayOf(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    return DecodeDate(date, y, m, d) ? WeekdayName(d, m, y, true) : std::string();
}

} // namespace

std::string TDrawEditor::DayQuestion(TDateTime day, TDateTime today) const
{
    if (!draws_.Dated() || day == 0)
        return {};
    const char* const goOn = "\n\rDo you want to enter it anyway?";
    if (day > today)
        return "The date of this draw, " + UserDateText(day, false) + ", lies after today." + goOn;
    const int count = draws_.DrawCount();
    const int first = std::max(1, count - kScheduleDraws + 1);
    if (count - first + 1 < kScheduleMinimum)
        return {};
    std::array<TDateTime, 7> drawnOn{}; // a draw of each weekday seen, 0 when none
    for (int p = first; p <= count; ++p)
        if (const TDraw* d = draws_.GetDraw(p); d && d->Date != 0)
            drawnOn[static_cast<size_t>(Weekday(d->Date))] = d->Date;
    if (drawnOn[static_cast<size_t>(Weekday(day))] != 0)
        return {};
    std::vector<std::string> names;
    for (TDateTime seen : drawnOn)
        if (seen != 0)
            names.push_back(WeekdayOf(seen));
    std::string days;
    for (size_t i = 0; i < names.size(); ++i)
        days += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return "The recent draws of this game fall on " + days + "; " + UserDateText(day, false) + " is a " +
           WeekdayOf(day) + "." + goOn;
}

int TDrawEditor::Add(TDateTime day, int index) { return draws_.AddDraw(index, 0, work_, day); }

int TDrawEditor::Insert(int selected, TDateTime day, int index)
{
    return draws_.InsertDraw(selected, index, work_, 0, day);
}

std::string TDrawEditor::ReplaceQuestion(int position, TDateTime day, int index, std::string& error) const
{
    if (!draws_.GetDraw(position)) {
        error = Format("INTERNAL ERROR : cannot retrieve draw #%d [Code 1]", position);
        return {};
    }
    const TGameInfo& g = Game();
    return "Do you want to replace draw\n\r" + draws_.DrawToText(position) + "\n\r" + "with draw" + "\n\r" +
           ::DrawToText(position, index, draws_.DrawsPerDay(), work_, g.FieldCount, draws_.Dated() ? day : 0) + "?";
}

bool TDrawEditor::Replace(int position, TDateTime day, int index)
{
    return draws_.ReplaceDraw(position, index, work_, day);
}

std::string TDrawEditor::DeleteQuestion(int position, std::string& error) const
{
    if (!draws_.GetDraw(position)) {
        error = Format("INTERNAL ERROR : cannot retrieve draw #%d [Code 2]", position);
        return {};
    }
    return "Do you want to delete\n\r" + draws_.DrawToText(position) + "?";
}

int TDrawEditor::Delete(int position)
{
    if (!draws_.DeleteDraw(position))
        return 0;
    return std::max(1, std::min(position, draws_.DrawCount()));
}

bool TDrawEditor::Get(int position, TDateTime& date, int& index)
{
    const TDraw* d = draws_.GetDraw(position);
    if (!d)
        return false;
    date = d->Date;
    index = d->Index;
    for (size_t f = 0; f < work_.size(); ++f) {
        std::fill(work_[f].begin(), work_[f].end(), int8_t(-1));
        if (f < d->Numbers.size())
            for (size_t i = 0; i < work_[f].size() && i < d->Numbers[f].size(); ++i)
                work_[f][i] = d->Numbers[f][i];
    }
    return true;
}

void TDrawEditor::Random(std::mt19937& rng)
{
    const TGameInfo& g = Game();
    for (size_t f = 0; f < work_.size(); ++f) {
        const int64_t tickets = TicketCount64(g.Fields[f]);
        if (tickets <= 0)
            continue;
        std::uniform_int_distribution<int64_t> pick(0, tickets - 1);
        TShortIntArray balls;
        if (DecodeFieldValue(g.Fields[f], pick(rng), balls)) {
            balls.resize(work_[f].size(), int8_t(-1));
            work_[f] = balls;
        }
    }
}

std::string TDrawEditor::CloseReminder() const
{
    if (modifiedAtEntry_ || !draws_.Modified || !hasFilePath_)
        return {};
    return "Current lottery game '" + Game().Name + "' has been modified." + "\n\r" +
           "Please remember to save the draws history file.";
}

int DrawFieldColumnWidth(int picked)
{
    const int width = 24 * picked;
    return width > 40 ? width : 60;
}

std::string DrawFieldCellText(const TDrawClass& draws, int32_t position, int field)
{
    const TDraw* d = draws.GetDraw(position);
    if (!d)
        return "Error!";
    if (field < 1 || static_cast<size_t>(field) > d->Numbers.size())
        return Format("Error retrieving field %d draw!", field);
    const TShortIntArray& balls = d->Numbers[static_cast<size_t>(field) - 1];
    return balls.empty() ? "NF" : BallsToText(balls, " - ", 2);
}

void TDrawEditor::DefineColumns(TPagedList& list) const
{
    const TDrawClass* draws = &draws_;
    const TGameInfo& g = Game();
    auto byPosition = [](int32_t a, int32_t b) { return a < b; };
    list.ClearColumns();
    list.AddColumn(
        "Draw #", 50, [](int32_t key) { return std::to_string(key); }, byPosition);
    if (g.DrawsPerDay > 0) {
        const int id = list.AddColumn(
            "Date", 100,
            [draws](int32_t key) {
                const TDraw* d = draws->GetDraw(key);
                return d ? UserDateText(d->Date, true) : std::string("Error!");
            },
            byPosition);
        list.SetAlignment(id, TColumnAlign::Left);
    }
    if (g.DrawsPerDay > 1)
        list.AddColumn("Index", 44, [draws](int32_t key) {
            const TDraw* d = draws->GetDraw(key);
            return d ? std::to_string(d->Index) : std::string("Error!");
        });
    list.AddColumn(g.FieldNames[0], DrawFieldColumnWidth(g.Fields[0].Picked),
                   [draws](int32_t key) { return DrawFieldCellText(*draws, key, 1); });
    if (g.FieldCount == 2)
        list.AddColumn(g.FieldNames[1], DrawFieldColumnWidth(g.Fields[1].Picked),
                       [draws](int32_t key) { return DrawFieldCellText(*draws, key, 2); });
}

std::string TDrawEditor::ListTitle(const TPagedList& list) const
{
    if (draws_.DrawCount() == 0 || list.RowCount() == 0)
        return kNoDrawsTitle;
    const std::vector<int32_t> keys = list.PageKeys();
    const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
    return "Viewing draws " + std::to_string(*low) + " - " + std::to_string(*high) + " of total " +
           std::to_string(draws_.DrawCount());
}

std::vector<int32_t> TDrawEditor::RowKeys() const
{
    std::vector<int32_t> keys(static_cast<size_t>(draws_.DrawCount()));
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = static_cast<int32_t>(i) + 1;
    return keys;
}
