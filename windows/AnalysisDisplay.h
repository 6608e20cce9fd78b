// The analysis page's content, made in one place: the analysis display frame
// and what the main window needs of it.
#pragma once

#include <cstdint>
#include <functional>

class QWidget;
class TDisplayFrameLink;
class TEnvironmentClass;

struct TAnalysisDisplayParts {
    QWidget* Widget = nullptr;         // owned by its Qt parent
    TDisplayFrameLink* Link = nullptr; // the same object, as the environment sees it
    std::function<void()> ShowFinalResults;
    // Requested numbers selected in the display, for the odds calculator.
    std::function<int32_t()> RequestedNumbers;
    // The JUX Table page on a table (0: the panorama's first) and chart.
    std::function<void(int32_t table, bool delayChart)> ShowTable;
};

TAnalysisDisplayParts CreateAnalysisDisplay(QWidget* parent, TEnvironmentClass& environment);
