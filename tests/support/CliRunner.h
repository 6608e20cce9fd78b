// Runs the jux-cli executable named by $JUX_CLI and captures what it prints.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

struct TCliResult {
    int status = -1;
    std::string out; // stdout
    std::string err; // stderr
};

// `args` is appended to the command line as given (quote it yourself);
// `input`, when not empty, is fed to standard input through a file; `shell`
// runs before the command in the same shell (e.g. "ulimit -f 1;").
inline TCliResult RunCliAfter(const std::string& shell, const std::string& args, const std::string& input = "")
{
    const char* exe = std::getenv("JUX_CLI");
    TCliResult r;
    if (!exe)
        return r;
    const char* tmp = std::getenv("JUX_TEST_TMP");
    std::string dir = tmp ? tmp : "/tmp";
    std::system(("mkdir -p '" + dir + "'").c_str());
    static int counter = 0;
    const std::string base = dir + "/cli" + std::to_string(++counter);
    const std::string errFile = base + ".err";
    std::string cmd = shell + " '" + std::string(exe) + "' " + args + " 2>'" + errFile + "'";
    if (!input.empty()) {
        const std::string inFile = base + ".in";
        if (FILE* f = std::fopen(inFile.c_str(), "wb")) {
            std::fwrite(input.data(), 1, input.size(), f);
            std::fclose(f);
        }
        cmd += " <'" + inFile + "'";
    } else {
        cmd += " </dev/null";
    }
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (FILE* f = std::fopen(errFile.c_str(), "rb")) {
        while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
            r.err.append(buf.data(), n);
        std::fclose(f);
    }
    return r;
}

inline TCliResult RunCli(const std::string& args, const std::string& input = "")
{
    return RunCliAfter("", args, input);
}

namespace clitest {

// A file name in the tests' temporary folder ($JUX_TEST_TMP), made on demand.
inline std::string Tmp(const std::string& name)
{
    const char* dir = std::getenv("JUX_TEST_TMP");
    std::string d = dir ? dir : "/tmp/jux-cli-test";
    std::system(("mkdir -p '" + d + "'").c_str());
    return d + "/" + name;
}

// A demo game written afresh by jux-cli at Tmp(name); answers its path.
inline std::string DemoGame(const std::string& name, const std::string& formation, int seed, int draws = 200)
{
    const std::string path = Tmp(name);
    std::remove(path.c_str());
    const TCliResult r = RunCli("demo-game '" + path + "' --draws " + std::to_string(draws) + " --seed " +
                                std::to_string(seed) + " --formation '" + formation + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
}

} // namespace clitest
