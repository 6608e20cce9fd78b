// The analysis display frame on the main window's analysis page.
#include "windows/AnalysisDisplay.h"

#include "widgets/JUXDisplayFrame.h"

TAnalysisDisplayParts CreateAnalysisDisplay(QWidget* parent, TEnvironmentClass& environment)
{
    // The frame makes itself the environment's display link.
    auto* frame = new TFrmJUXDisplay(environment, parent);
    TAnalysisDisplayParts parts;
    parts.Widget = frame;
    parts.Link = frame;
    parts.ShowFinalResults = [frame] { frame->ShowFinalResults(); };
    parts.RequestedNumbers = [frame] { return frame->RequestedNumbersSelected(); };
    parts.ShowTable = [frame](int32_t table, bool delayChart) { frame->ShowTableWithChart(table, delayChart); };
    return parts;
}
