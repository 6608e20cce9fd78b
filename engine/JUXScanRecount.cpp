// The recounting path, for windows of any length: each position window keeps
// its last D values, and every step rates each window afresh. A number's
// rating in a window is its frequency there, plus its repeats (the gaps
// between its successive occurrences no longer than its age, the values since
// its newest occurrence counting from 1), plus how many times the step from
// one value to the next equals its distance from the newest value. A number's
// score is the sum of its ratings over the windows.
#include <algorithm>

#include "engine/JUXScanParts.h"

void TRecountWindows::Reset(int32_t count, int32_t length)
{
    windowLength_ = std::max(length, 0);
    const size_t slice = 2 * size_t(std::max(windowLength_, 1));
    if (buf_.size() < slice * size_t(count))
        buf_.resize(slice * size_t(count));
    start_.assign(size_t(count), 0);
    end_.assign(size_t(count), 0);
}

void TRecountWindows::Append(int32_t window, int32_t value)
{
    if (windowLength_ == 0)
        return; // a window of length 0 keeps nothing
    const int32_t slice = 2 * windowLength_;
    int32_t* base = buf_.data() + size_t(window) * size_t(slice);
    int32_t& s = start_[size_t(window)];
    int32_t& e = end_[size_t(window)];
    if (e == slice) {
        std::copy(base + s, base + e, base);
        e -= s;
        s = 0;
    }
    base[e++] = value;
    if (e - s > windowLength_)
        ++s;
}

void TRecountWindows::AppendRow(const int8_t* values, int32_t width)
{
    for (int32_t i = 0; i < width; ++i)
        Append(i, values[i]);
}

void TRecountWindows::Rate(int32_t width, int64_t* scores)
{
    std::fill_n(scores, kScoreSlots, 0);
    if (windowLength_ > 0)
        for (int32_t i = 0; i < width; ++i) {
            const int32_t* base = buf_.data() + size_t(i) * 2 * size_t(windowLength_);
            RateWindow(base + start_[size_t(i)], end_[size_t(i)] - start_[size_t(i)], scores);
        }
}

// Only the values present get a rating that reaches the scores, and the
// rating depends on values and their differences alone, so the slots are
// indexed by value at a fixed offset instead of by value - lo.
void TRecountWindows::RateWindow(const int32_t* w, int32_t count, int64_t* scores)
{
    if (count == 0)
        return;
    TSlot* slots = slots_.data() + kOffset;
    int32_t* steps = steps_.data() + kHalf;
    int32_t distinctCount = 0;
    // Branch-free: whether a value is met for the first time is not
    // predictable. A slot not met yet has Age and LastSeen 0.
    for (int32_t p = count; p >= 1; --p) {
        const int32_t v = w[p - 1];
        TSlot& slot = slots[v];
        const int32_t first = slot.Frequency == 0;
        slot.Frequency += 1;
        distinct_[size_t(distinctCount)] = v;
        distinctCount += first;
        slot.Repeats += (first ^ 1) & int32_t(slot.Age >= slot.LastSeen - p);
        slot.Age += first * (count - p + 1);
        slot.LastSeen = p;
    }
    for (int32_t p = 1; p < count; ++p)
        ++steps[w[p] - w[p - 1]];
    const int32_t newest = w[count - 1];
    for (int32_t d = 0; d < distinctCount; ++d) {
        const int32_t x = distinct_[size_t(d)];
        TSlot& slot = slots[x];
        const int32_t rating = slot.Frequency + slot.Repeats + steps[x - newest];
        if (x >= 1 && x <= TJUXScanner::kMaxPool)
            scores[x] += rating;
        slot = TSlot{};
    }
    for (int32_t p = 1; p < count; ++p)
        steps[w[p] - w[p - 1]] = 0;
}
