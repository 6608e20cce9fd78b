// The number grid's state without a widget: numbers 1..N picked into zones
// with their own maximum counts, an optional second state, disabled numbers,
// the click cycle, the hint and the clipboard texts. TNumbersFrame renders it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Types.h"

inline constexpr const char* kGridCompleteHint = "Numbers selection completed";
inline constexpr const char* kGridRemainingHint = "%d number(s) remaining to complete selection";
inline constexpr int kGridButtonSize = 25;
inline constexpr int kGridColumns = 10;
inline constexpr int kGridWidth = 267;
inline constexpr int kGridHeight = 175;
inline constexpr int kGridWheelStep = 8;

// Colours as 0x00BBGGRR; 0xFFFFFFFF stands for the default text colour.
inline constexpr uint32_t kDefaultTextColor = 0xFFFFFFFFu;

// How one number's button looks.
struct TGridButtonLook {
    std::string Caption;
    int PointSize = 8;
    bool Bold = false;
    uint32_t Color = kDefaultTextColor;
    bool Enabled = true;
};

class TNumbersGrid {
public:
    // Clears disabled numbers, zones and their limits and the state-2 limit.
    void SetTotalNumbers(int total);
    int TotalNumbers() const { return total_; }
    // state 1 or 2; raises the INTERNAL ERROR texts for requests an owner
    // should never make.
    void SetLimit(int state, int zone, int count);
    void SetDisabled(int number, bool flag);
    bool IsDisabled(int number) const;
    // Picks numbers into state 1 (first zone with room), without clearing.
    void SetSelection(const std::vector<int>& numbers);
    // Empties zones and the state-2 set; limits and disabled numbers stay.
    void ClearSelection();
    // state 0: unpicked numbers ascending; 1: zone `zone` (0 = all zones in
    // zone order); 2: the state-2 set.
    TShortIntArray GetNumbers(int state, int zone, bool sorted) const;
    int SelectedCount() const;
    int NumberState(int number) const;
    int NumberZone(int number) const;
    int ZoneCount() const { return static_cast<int>(zones_.size()); }
    int ZoneLimit(int zone) const;
    uint32_t ZoneColor(int zone) const;
    int State2Limit() const { return state2Limit_; }

    // Steps the number's state forward (left click) or backward (middle
    // button) to the next allowed one; true when it changed.
    bool Click(int number, bool forward);

    int ZoneCapacity() const;
    int Remaining() const;
    std::string HintText() const;

    // The picks of all zones, ascending, as the clipboard gets them.
    std::string CopyText() const;
    // The acceptable numbers of a pasted text, in text order.
    std::vector<int> PasteNumbers(const std::string& text) const;

    TGridButtonLook ButtonLook(int number) const;
    // Captions show number + offset (-1 for a field whose balls start at 0).
    void SetFaceOffset(int offset) { faceOffset_ = offset; }
    int FaceOffset() const { return faceOffset_; }

    bool ReadOnly = false;
    bool ShowHint = true;

private:
    void Place(int number, int state, int zone);
    void Remove(int number);
    bool InRange(int number) const { return number >= 1 && number <= total_; }

    int total_ = 0;
    int faceOffset_ = 0;
    std::vector<std::vector<int>> zones_;
    std::vector<int> limits_;
    std::vector<uint32_t> colors_;
    std::vector<int> state2_;
    int state2Limit_ = 0;
    std::vector<uint8_t> disabled_; // by number, index 0 unused
};

// Name of a number's button: "TNumbersFrame%dButton%.2d".
std::string GridButtonName(int instance, int number);
// Top-left corner of a number's button inside the grid.
int GridButtonLeft(int number, int total);
int GridButtonTop(int number);
// Scroll position after `notches` wheel notches (positive: downward).
int GridWheelPosition(int position, int range, int notches);
