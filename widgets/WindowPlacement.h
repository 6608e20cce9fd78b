// Where the windows were: the size and position of the main window and of
// the resizable windows, kept in a settings file of the data folder (section
// "Windows") from one run to the next.
#pragma once

#include <string>

class QWidget;

// The file in the data folder; apart from the program settings, whose
// reading deletes a file it does not recognise.
inline constexpr const char* kPlacementFileName = "windows.ini";

// The settings file to keep placements in; empty (the start) keeps none.
void InstallPlacementFile(const std::string& iniPath);
const std::string& PlacementFile();

// Puts the window where it was last (a placement that no longer fits the
// screens is moved onto them), and keeps its place whenever it is hidden.
void TrackPlacement(QWidget& window, const char* key);
// The two halves of TrackPlacement; false when nothing was kept or written.
bool RestorePlacement(QWidget& window, const char* key);
bool SavePlacement(const QWidget& window, const char* key);
