// The real results files of the import cases, whole or cut to their first
// lines, as the update tests serve them.
#pragma once

#include <string>
#include <vector>

#include "support/GameFixtures.h"

namespace resultsfiles {

// A file of tests/data/import-cases, e.g. Sample("real-ca-lotto649/input.csv").
inline std::string Sample(const std::string& relative)
{
    fixtures::Bytes bytes;
    fixtures::ReadFile(std::string(JUX_TESTS_DIR) + "/data/import-cases/" + relative, bytes);
    return std::string(bytes.begin(), bytes.end());
}

// The lines of a text, each with its line break.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, next - at));
        at = next;
    }
    return lines;
}

// The first `count` lines of a text.
inline std::string Head(const std::string& text, size_t count)
{
    std::string out;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size() && i < count; ++i)
        out += lines[i];
    return out;
}

} // namespace resultsfiles
