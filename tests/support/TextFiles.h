// Whole files as strings, for tests that write a fixture or check what a
// writer left behind.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace textfiles {

inline void Put(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string Get(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace textfiles
