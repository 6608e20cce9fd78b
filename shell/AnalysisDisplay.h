// The analysis page's content, made in one place: the analysis display frame
// with its link for the environment. Until that frame is part of the build,
// a plain stand-in with the run button takes its place.
#pragma once

#include <functional>

class QWidget;
class TDisplayFrameLink;
class TEnvironmentClass;

struct TAnalysisDisplayParts {
    QWidget* Widget = nullptr;          // owned by its Qt parent
    TDisplayFrameLink* Link = nullptr;  // the same object, as the environment sees it
    std::function<void()> ShowFinalResults;
};

TAnalysisDisplayParts CreateAnalysisDisplay(QWidget* parent, TEnvironmentClass& environment);
