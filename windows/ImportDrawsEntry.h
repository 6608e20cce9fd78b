// The draws editor's way into the import window.
#pragma once

class QWidget;
class TEnvironmentClass;

// Opens the import window over the draws editor for the open game; answers
// the number of draws imported (0 when cancelled or nothing was added).
int ExecuteImportDraws(QWidget* parent, TEnvironmentClass& environment);
