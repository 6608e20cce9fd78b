// The command line of the desktop application: none for the normal start, or
// "--screenshot FILE.png [--page main|options|analysis|table|editor|editor-field2|import]
// [--game GAME.drw] [--tables N] [--table ID] [--chart hits|delay] [--import FILE]"
// to save a picture of the main window (or, with --page import, of the import
// window after analysing FILE) and exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TStartArgs {
    bool Screenshot = false;
    std::string File;
    std::string Page = "main";
    std::string Game;
    int32_t Tables = 0;         // 0: no run
    int32_t Table = 0;          // the JUX Table page's table; 0: the best of category 1
    std::string Chart = "hits"; // the chart page shown with --page table
    std::string Import;         // the text file the import page analyses
    std::string Error;          // set when the arguments are wrong
};

inline constexpr const char* kStartUsage =
    "usage: jux [--screenshot FILE.png [--page main|options|analysis|table|editor|editor-field2|import] "
    "[--game GAME.drw] [--tables N] [--table ID] [--chart hits|delay] [--import FILE]]";

// `args` without the program name (and without the toolkit's own options).
TStartArgs ParseStartArgs(const std::vector<std::string>& args);
