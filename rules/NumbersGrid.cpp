// The number grid's state machine and texts.
#include "rules/NumbersGrid.h"

#include <algorithm>

namespace {

// Red, blue, green, yellow: zone z >= 2 takes entry (z - 1) mod 4.
constexpr uint32_t kZoneColors[4] = {0x0000FFu, 0xFF0000u, 0x008000u, 0x00FFFFu};

constexpr const char* kCannotAddMore =
    "INTERNAL ERROR : TNumbersFrame [SetLimit] - Cannot add more numbers in state/zone";

} // namespace

void TNumbersGrid::SetTotalNumbers(int total)
{
    total_ = std::max(0, total);
    zones_.clear();
    limits_.clear();
    colors_.clear();
    state2_.clear();
    state2Limit_ = 0;
    disabled_.assign(static_cast<size_t>(total_) + 1, 0);
}

int TNumbersGrid::ZoneCapacity() const
{
    int sum = 0;
    for (int limit : limits_)
        sum += limit;
    return sum;
}

int TNumbersGrid::Remaining() const { return std::max(0, ZoneCapacity() - SelectedCount()); }

void TNumbersGrid::SetLimit(int state, int zone, int count)
{
    if (state != 1 && state != 2)
        throw Exception("INTERNAL ERROR : TNumbersFrame [SetLimit] - Call for normal state");
    if (count < 1 || count > total_)
        throw Exception(Format(
            "INTERNAL ERROR : TNumbersFrame [SetLimit] - Invalid total numbers [Zone=%d, Tot.Num=%d]", zone, count));
    const int capacity = ZoneCapacity();
    if (state == 2) {
        if (count + capacity > total_)
            throw Exception(kCannotAddMore);
        state2Limit_ = count;
        if (static_cast<int>(state2_.size()) > count)
            state2_.resize(static_cast<size_t>(count));
        return;
    }
    if (zone == ZoneCount() + 1) {
        if (capacity + state2Limit_ + count > total_)
            throw Exception(kCannotAddMore);
        zones_.emplace_back();
        limits_.push_back(count);
        colors_.push_back(zone >= 2 ? kZoneColors[(zone - 1) % 4] : kDefaultTextColor);
        return;
    }
    if (zone < 1 || zone > ZoneCount())
        throw Exception(Format("INTERNAL ERROR : TNumbersFrame [SetLimit] - invalid zone %d", zone));
    const size_t z = static_cast<size_t>(zone) - 1;
    if (capacity + state2Limit_ + count - limits_[z] > total_)
        throw Exception(kCannotAddMore);
    limits_[z] = count;
    if (static_cast<int>(zones_[z].size()) > count)
        zones_[z].resize(static_cast<size_t>(count));
}

void TNumbersGrid::SetDisabled(int number, bool flag)
{
    if (!InRange(number))
        return;
    disabled_[static_cast<size_t>(number)] = flag ? 1 : 0;
    // A number that becomes disabled cannot stay picked.
    if (flag)
        Remove(number);
}

bool TNumbersGrid::IsDisabled(int number) const
{
    return InRange(number) && disabled_[static_cast<size_t>(number)] != 0;
}

void TNumbersGrid::Remove(int number)
{
    auto it = std::find(state2_.begin(), state2_.end(), number);
    if (it != state2_.end()) {
        state2_.erase(it);
        return;
    }
    for (std::vector<int>& zone : zones_) {
        auto z = std::find(zone.begin(), zone.end(), number);
        if (z != zone.end()) {
            zone.erase(z);
            return;
        }
    }
}

void TNumbersGrid::Place(int number, int state, int zone)
{
    if (!InRange(number) || IsDisabled(number))
        return;
    Remove(number);
    if (state == 2) {
        if (static_cast<int>(state2_.size()) < state2Limit_)
            state2_.push_back(number);
    } else if (state == 1) {
        if (zone > 0) {
            if (zone <= ZoneCount() &&
                static_cast<int>(zones_[static_cast<size_t>(zone) - 1].size()) < limits_[static_cast<size_t>(zone) - 1])
                zones_[static_cast<size_t>(zone) - 1].push_back(number);
            return;
        }
        for (size_t z = 0; z < zones_.size(); ++z)
            if (static_cast<int>(zones_[z].size()) < limits_[z]) {
                zones_[z].push_back(number);
                return;
            }
    }
}

void TNumbersGrid::SetSelection(const std::vector<int>& numbers)
{
    const size_t take = std::min(numbers.size(), static_cast<size_t>(ZoneCapacity()));
    for (size_t i = 0; i < take; ++i)
        if (InRange(numbers[i]) && !IsDisabled(numbers[i]))
            Place(numbers[i], 1, 0);
}

void TNumbersGrid::ClearSelection()
{
    for (std::vector<int>& zone : zones_)
        zone.clear();
    state2_.clear();
}

TShortIntArray TNumbersGrid::GetNumbers(int state, int zone, bool sorted) const
{
    TShortIntArray out;
    auto add = [&](const std::vector<int>& numbers) {
        for (int n : numbers)
            out.push_back(static_cast<int8_t>(n));
    };
    if (state == 0) {
        for (int n = 1; n <= total_; ++n)
            if (NumberState(n) == 0)
                out.push_back(static_cast<int8_t>(n));
        return out;
    }
    if (state == 1) {
        if (zone == 0)
            for (const std::vector<int>& z : zones_)
                add(z);
        else if (zone >= 1 && zone <= ZoneCount())
            add(zones_[static_cast<size_t>(zone) - 1]);
    } else if (state == 2) {
        add(state2_);
    }
    if (sorted)
        std::sort(out.begin(), out.end(),
                  [](int8_t a, int8_t b) { return static_cast<uint8_t>(a) < static_cast<uint8_t>(b); });
    return out;
}

int TNumbersGrid::SelectedCount() const
{
    int count = 0;
    for (const std::vector<int>& zone : zones_)
        count += static_cast<int>(zone.size());
    return count;
}

int TNumbersGrid::NumberState(int number) const
{
    if (std::find(state2_.begin(), state2_.end(), number) != state2_.end())
        return 2;
    return NumberZone(number) > 0 ? 1 : 0;
}

int TNumbersGrid::NumberZone(int number) const
{
    for (size_t z = 0; z < zones_.size(); ++z)
        if (std::find(zones_[z].begin(), zones_[z].end(), number) != zones_[z].end())
            return static_cast<int>(z) + 1;
    return 0;
}

int TNumbersGrid::ZoneLimit(int zone) const
{
    return zone >= 1 && zone <= ZoneCount() ? limits_[static_cast<size_t>(zone) - 1] : 0;
}

uint32_t TNumbersGrid::ZoneColor(int zone) const
{
    return zone >= 1 && zone <= ZoneCount() ? colors_[static_cast<size_t>(zone) - 1] : kDefaultTextColor;
}

bool TNumbersGrid::Click(int number, bool forward)
{
    if (ReadOnly || !InRange(number) || IsDisabled(number))
        return false;
    const int old = NumberState(number);
    auto allowed = [&](int s) {
        if (s == 1)
            return ZoneCapacity() >= SelectedCount() + 1;
        if (s == 2)
            return state2Limit_ >= static_cast<int>(state2_.size()) + 1;
        return true;
    };
    int next = old;
    do
        next = forward ? (next + 1) % 3 : (next + 2) % 3;
    while (!allowed(next));
    if (next == old)
        return false;
    Place(number, next, 0);
    return true;
}

std::string TNumbersGrid::HintText() const
{
    if (!ShowHint)
        return {};
    const int remaining = Remaining();
    return remaining == 0 ? kGridCompleteHint : Format(kGridRemainingHint, remaining);
}

std::string TNumbersGrid::CopyText() const
{
    const TShortIntArray picks = GetNumbers(1, 0, true);
    std::string text;
    for (int8_t n : picks) {
        if (!text.empty())
            text += ' ';
        const int face = static_cast<uint8_t>(n) + faceOffset_;
        text += total_ + faceOffset_ > 9 ? Format("%2.2d", face) : Format("%1.1d", face);
    }
    return text;
}

std::vector<int> TNumbersGrid::PasteNumbers(const std::string& text) const
{
    std::vector<int> numbers;
    // Only the first zone-capacity acceptable numbers can ever be placed.
    const size_t wanted = static_cast<size_t>(std::max(0, ZoneCapacity()));
    size_t i = 0;
    while (i < text.size() && numbers.size() < wanted) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        int64_t value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(1) << 40);
        const int64_t number = value - faceOffset_;
        if (number >= 1 && number <= total_ && !IsDisabled(static_cast<int>(number)))
            numbers.push_back(static_cast<int>(number));
    }
    return numbers;
}

TGridButtonLook TNumbersGrid::ButtonLook(int number) const
{
    TGridButtonLook look;
    const int state = NumberState(number);
    look.Caption = std::to_string(number + faceOffset_);
    if (IsDisabled(number)) {
        look.Caption = "-";
        look.PointSize = 14;
        look.Enabled = false;
    } else if (state == 1) {
        look.PointSize = 14;
        look.Bold = true;
        look.Color = ZoneColor(NumberZone(number));
    } else if (state == 2) {
        look.Caption = "-";
        look.PointSize = 14;
    }
    return look;
}

std::string GridButtonName(int instance, int number) { return Format("TNumbersFrame%dButton%.2d", instance, number); }

int GridButtonLeft(int number, int total)
{
    return ((number - 1) % kGridColumns) * kGridButtonSize + (total <= 70 ? 8 : 0);
}

int GridButtonTop(int number) { return ((number - 1) / kGridColumns) * kGridButtonSize; }

int GridWheelPosition(int position, int range, int notches)
{
    const int next = position + notches * kGridWheelStep;
    if (notches > 0)
        return std::min(next, std::max(0, range));
    // Fewer than 9 pixels above: straight to the top.
    return next < 1 ? 0 : next;
}
