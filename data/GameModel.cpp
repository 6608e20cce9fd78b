#include "data/GameModel.h"

#include <algorithm>
#include <cmath>

#include "data/Utils.h"

// ---- TCommissionClass ------------------------------------------------------

int TCommissionClass::Find(const std::string& name) const
{
    const std::string key = Trim(name);
    for (size_t i = 0; i < pairs_.size(); ++i)
        if (SameText(Trim(pairs_[i].first), key))
            return static_cast<int>(i) + 1;
    return 0;
}

void TCommissionClass::Set(const std::string& name, const std::string& value)
{
    if (const int at = Find(name))
        pairs_[static_cast<size_t>(at) - 1].second = value;
    else
        pairs_.emplace_back(name, value);
}

bool TCommissionClass::Get(int position, std::string& name, std::string& value) const
{
    if (position < 1 || position > Count())
        return false;
    name = pairs_[static_cast<size_t>(position) - 1].first;
    value = pairs_[static_cast<size_t>(position) - 1].second;
    return true;
}

void TCommissionClass::WriteToStream(TMemoryStream& stream) const
{
    stream.WriteI32(Count());
    for (const auto& [name, value] : pairs_) {
        StoreString(stream, name);
        StoreString(stream, value);
    }
}

void TCommissionClass::ReadFromStream(TMemoryStream& stream)
{
    Clear();
    const int32_t count = stream.ReadI32();
    // Each pair takes at least its two terminating zero bytes.
    if (count > 0 && static_cast<size_t>(count) > stream.Remaining() / 2)
        throw EStreamError(
            Format("Commission: %d pairs announced, %zu bytes left in the stream.", count, stream.Remaining()));
    for (int32_t i = 0; i < count; ++i) {
        std::string name = LoadString(stream);
        std::string value = LoadString(stream);
        Set(name, value);
    }
}

// ---- Game definition -------------------------------------------------------

namespace {

bool ValidField(const TGameField& f)
{
    return f.Total >= 2 && f.Total <= 99 && f.Picked >= 1 && f.Picked <= 7 && f.Picked < f.Total &&
           (f.Lowest == 0 || f.Lowest == 1) && f.Total <= MaxTotalFor(f.Picked);
}

} // namespace

bool ValidateGameInfo(TGameInfo& info)
{
    if ((info.FieldCount != 1 && info.FieldCount != 2) || info.Name.empty())
        return false;
    if (info.DrawsPerDay < 0 || info.DrawsPerDay > 9)
        return false;
    for (int i = 0; i < info.FieldCount; ++i)
        if (!ValidField(info.Fields[static_cast<size_t>(i)]))
            return false;
    if (info.FieldCount == 1) {
        info.Fields[1] = TGameField{};
        info.Field2Kind = 0;
        info.FieldNames[1].clear();
    }
    return true;
}

void ClearGameInfo(TGameInfo& info)
{
    info.State = 0;
    info.FieldCount = 0;
    info.DrawsPerDay = 0;
    info.Commission.Clear();
    info.Name.clear();
    info.FieldNames[0].clear();
    info.FieldNames[1].clear();
}

std::string DefaultFieldName(const TGameInfo& info, int32_t field)
{
    if (field != 2)
        return "Main numbers";
    const bool two = info.Fields[1].Picked == 2;
    if (info.Field2Kind == 2)
        return two ? "Bonus balls" : "Bonus ball";
    return two ? "Powerballs" : "Powerball";
}

int32_t TicketCount(const TGameField& field)
{
    if (field.Ordered)
        return PowerTable(field.Total, field.Picked);
    return Combinations(field.Total, field.Picked);
}

int64_t TicketCount64(const TGameField& field)
{
    if (field.Total < 0 || field.Picked < 0)
        return 0;
    if (!field.Ordered)
        return Combinations64(field.Total, field.Picked);
    int64_t count = 1;
    for (int i = 0; i < field.Picked; ++i)
        if (__builtin_mul_overflow(count, int64_t(field.Total), &count))
            return 0;
    return count;
}

int32_t MaxTotalFor(int32_t picked)
{
    if (picked < 1 || picked > 7)
        return 0;
    for (int n = 99; n >= picked; --n)
        if (Combinations(n, picked) > 0)
            return n;
    return 0;
}

int ValueWidth(const TGameField& field)
{
    const int64_t largest = TicketCount64(field) - 1;
    int width = 1;
    while (width < 8 && (largest >> (8 * width)) > 0)
        ++width;
    return width;
}

std::string FieldFormationText(const TGameField& field)
{
    std::string text = Format("%2.2d/%2.2d", field.Picked, field.Total);
    if (field.Lowest == 0)
        text += "L";
    if (field.Ordered)
        text += "S";
    return text;
}

std::string FormationText(const std::array<TGameField, 2>& fields, uint8_t field2Kind)
{
    std::string text = FieldFormationText(fields[0]);
    if (field2Kind == 2)
        text += " + " + Format("%2.2d BB", fields[1].Picked);
    else if (field2Kind == 1)
        text += " + " + FieldFormationText(fields[1]);
    return text;
}

std::string FieldCaption(const TGameInfo& info, int32_t field)
{
    if (field == 1)
        return info.FieldNames[0];
    if (field != 2 || info.FieldCount < 2)
        return {};
    if (info.Field2Kind == 1)
        return info.FieldNames[1];
    if (info.Field2Kind != 2)
        return {};
    std::string name = Trim(info.FieldNames[1]);
    if (name.empty())
        name = "Bonus ball(s)";
    return info.FieldNames[0] + " + " + std::to_string(info.Fields[1].Picked) + " " + name;
}

void ParseFormationCode(const std::string& code, std::array<TGameField, 2>& fields, uint8_t& field2Kind)
{
    // Characters by 1-based position; beyond the end reads as nothing.
    auto copy = [&](size_t from, size_t count) {
        return from >= 1 && from <= code.size() ? code.substr(from - 1, count) : std::string();
    };
    auto at = [&](size_t position) { return position >= 1 && position <= code.size() ? code[position - 1] : '\0'; };
    const size_t bar = code.find('|');
    const size_t a = bar == std::string::npos ? 0 : bar + 1;
    const uint8_t kind = a == 0 ? 0 : (code.find("BB") != std::string::npos ? 2 : 1);

    std::array<TGameField, 2> out{};
    out[0].Picked = StrToInt(copy(1, 2));
    out[0].Total = StrToInt(copy(3, 2));
    out[0].Lowest = at(5) == 'L' ? 0 : 1;
    out[0].Ordered = at(5) == 'S' || at(6) == 'S';
    if (kind == 2) {
        out[1] = out[0];
        out[1].Picked = StrToInt(copy(a + 1, 2));
    } else if (kind == 1) {
        out[1].Picked = StrToInt(copy(a + 1, 2));
        out[1].Total = StrToInt(copy(a + 3, 2));
        out[1].Lowest = at(a + 5) == 'L' ? 0 : 1;
        out[1].Ordered = at(a + 5) == 'S' || at(a + 6) == 'S';
    }
    fields = out;
    field2Kind = kind;
}

bool CheckNumbersFor(TArrayOfShortIntArray& numbers, int32_t fieldCount, const std::array<TGameField, 2>& fields,
                     uint8_t field2Kind)
{
    if (fieldCount < 1 || fieldCount > 2)
        return false;
    for (int i = 0; i < fieldCount; ++i) {
        const TGameField& f = fields[static_cast<size_t>(i)];
        if (static_cast<size_t>(i) >= numbers.size() || f.Picked < 0)
            return false;
        const TShortIntArray& balls = numbers[static_cast<size_t>(i)];
        const size_t picked = static_cast<size_t>(f.Picked);
        if (balls.size() < picked)
            return false;
        bool seen[256] = {};
        for (size_t j = 0; j < picked; ++j) {
            const int b = balls[j];
            if (b < f.Lowest || b > int64_t(f.Total) + f.Lowest - 1)
                return false;
            bool& mark = seen[static_cast<uint8_t>(b)];
            if (!f.Ordered && mark)
                return false;
            mark = true;
            if (i == 1 && field2Kind == 2) {
                const TShortIntArray& main = numbers[0];
                const size_t mainPicked = std::min(main.size(), static_cast<size_t>(std::max(fields[0].Picked, 0)));
                if (std::find(main.begin(), main.begin() + static_cast<long>(mainPicked), b) !=
                    main.begin() + static_cast<long>(mainPicked))
                    return false;
            }
        }
    }
    for (int i = 0; i < fieldCount; ++i) {
        TShortIntArray& balls = numbers[static_cast<size_t>(i)];
        balls.resize(static_cast<size_t>(fields[static_cast<size_t>(i)].Picked));
        if (!fields[static_cast<size_t>(i)].Ordered)
            std::sort(balls.begin(), balls.end());
    }
    return true;
}

std::string NumbersToText(const TArrayOfShortIntArray& numbers)
{
    std::string text;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i)
            text += " | ";
        for (size_t j = 0; j < numbers[i].size(); ++j) {
            if (j)
                text += ' ';
            text += Format("%.2d", static_cast<int>(numbers[i][j]));
        }
    }
    return text;
}

std::string DrawToText(int position, int index, int drawsPerDay, const TArrayOfShortIntArray& numbers, int fieldCount,
                       TDateTime date)
{
    std::string text;
    if (position > 0)
        text = "Draw #" + std::to_string(position) + " - ";
    if (date != 0) {
        text += DateText(CurrentDateOrder(), CurrentDateSeparator(), true, false, date);
        if (drawsPerDay > 1)
            text += " / " + std::to_string(index);
        text += " : ";
    }
    const size_t fields = std::min(numbers.size(), static_cast<size_t>(std::max(fieldCount, 0)));
    text += NumbersToText(TArrayOfShortIntArray(numbers.begin(), numbers.begin() + static_cast<long>(fields)));
    return text;
}

// ---- TDrawClass ------------------------------------------------------------

namespace {

bool Before(const TDraw& d, TDateTime date, int index) { return d.Date < date || (d.Date == date && d.Index < index); }

bool AtMost(const TDraw& d, TDateTime date, int index) { return d.Date < date || (d.Date == date && d.Index <= index); }

} // namespace

TDrawClass::TDrawClass(const TGameInfo& info)
    : info_(info), drawsPerDay_(info.DrawsPerDay), dated_(info.DrawsPerDay > 0)
{}

const TDraw* TDrawClass::GetDraw(int position) const
{
    if (position < 1 || position > DrawCount())
        return nullptr;
    return draws_[static_cast<size_t>(position) - 1].get();
}

TShortIntArray TDrawClass::GetDrawNumbers(int position, int field) const
{
    const TDraw* d = GetDraw(position);
    if (!d || field < 1 || field > info_.FieldCount || static_cast<size_t>(field) > d->Numbers.size())
        return {};
    return d->Numbers[static_cast<size_t>(field) - 1];
}

bool TDrawClass::CheckNumbers(TArrayOfShortIntArray& numbers) const
{
    return CheckNumbersFor(numbers, info_.FieldCount, info_.Fields, info_.Field2Kind);
}

int TDrawClass::FindDraw(int index, TDateTime date) const
{
    if (!dated_)
        return 0;
    // Appending in date order asks for a pair beyond the last draw: no search needed.
    if (draws_.empty() || Before(*draws_.back(), date, index))
        return 0;
    int64_t low = 1;
    int64_t high = DrawCount();
    while (low <= high) {
        const int64_t middle = (low + high) / 2;
        const TDraw& d = *draws_[static_cast<size_t>(middle) - 1];
        if (d.Date == date && d.Index == index)
            return static_cast<int>(middle);
        if (!Before(d, date, index))
            high = middle - 1;
        else
            low = middle + 1;
    }
    return 0;
}

namespace {

// The date check followed by the ball check; raises the "Add draw" errors.
void ValidateDraw(const TDrawClass& model, int& index, TDateTime& date, TArrayOfShortIntArray& numbers)
{
    if (!model.Dated()) {
        index = 0;
        date = 0;
    } else if (date == 0 || !std::isfinite(date) || index < 1 || index > model.DrawsPerDay()) {
        throw EDrawError("Add draw : Invalid date entered.");
    }
    if (!model.CheckNumbers(numbers))
        throw EDrawError("Add draw : Invalid numbers entered.");
}

} // namespace

int TDrawClass::AddDraw(int index, uint8_t status, const TArrayOfShortIntArray& numbers, TDateTime date)
{
    int added = 0;
    try {
        TArrayOfShortIntArray balls = numbers;
        ValidateDraw(*this, index, date, balls);
        if (FindDraw(index, date) != 0)
            throw EDrawError("Add draw : Date already exists in data.");
        auto draw = std::make_unique<TDraw>();
        draw->Date = date;
        // The index belongs to every dated draw, also one dated before 1899-12-30.
        draw->Index = dated_ ? index : 0;
        draw->Status = status;
        balls.resize(static_cast<size_t>(info_.FieldCount));
        draw->Numbers = std::move(balls);
        // Walk back from the end: appending in date order costs one comparison.
        int position = DrawCount() + 1;
        if (dated_)
            while (position > 1 && !AtMost(*draws_[static_cast<size_t>(position) - 2], date, draw->Index))
                --position;
        draws_.insert(draws_.begin() + (position - 1), std::move(draw));
        Modified = true;
        added = position;
    } catch (const std::exception&) {
        return 0;
    }
    CountChanged();
    return added;
}

int TDrawClass::InsertDraw(int position, int index, const TArrayOfShortIntArray& numbers, uint8_t status,
                           TDateTime date)
{
    if (dated_)
        return AddDraw(index, status, numbers, date);
    if (position < 1)
        return 0;
    int added = 0;
    try {
        TArrayOfShortIntArray balls = numbers;
        ValidateDraw(*this, index, date, balls);
        auto draw = std::make_unique<TDraw>();
        draw->Status = status;
        balls.resize(static_cast<size_t>(info_.FieldCount));
        draw->Numbers = std::move(balls);
        const int at = std::min(position, DrawCount() + 1);
        draws_.insert(draws_.begin() + (at - 1), std::move(draw));
        Modified = true;
        added = at;
    } catch (const std::exception&) {
        return 0;
    }
    CountChanged();
    return added;
}

bool TDrawClass::ReplaceDraw(int position, int index, const TArrayOfShortIntArray& numbers, TDateTime date)
{
    TArrayOfShortIntArray balls = numbers;
    ValidateDraw(*this, index, date, balls);
    const TDraw* current = GetDraw(position);
    const bool allowed = current && current->Date == date && current->Index == index;
    if (dated_ && FindDraw(index, date) == 0)
        throw EDrawError("Replace draw : Date not found in data.");
    if (!allowed)
        return false;
    balls.resize(static_cast<size_t>(info_.FieldCount));
    draws_[static_cast<size_t>(position) - 1]->Numbers = std::move(balls);
    Modified = true;
    return true;
}

bool TDrawClass::DeleteDraw(int position)
{
    if (position < 1 || position > DrawCount())
        return false;
    draws_.erase(draws_.begin() + (position - 1));
    Modified = true;
    CountChanged();
    return true;
}

std::string TDrawClass::DrawToText(int position) const
{
    const TDraw* d = GetDraw(position);
    if (!d)
        return {};
    return ::DrawToText(position, d->Index, drawsPerDay_, d->Numbers, info_.FieldCount, d->Date);
}
