// The command table of jux-cli: each command lives in its own Cmd*.cpp file
// and registers itself here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TCliCommand {
    std::string name;
    std::string usage;                                            // the argument synopsis, e.g. "GAME.drw [--json]"
    std::string summary;                                          // one line
    std::function<int(const std::vector<std::string>& args)> run; // args after the command name
};

std::vector<TCliCommand>& CliCommands();

struct TCliRegistrar {
    explicit TCliRegistrar(TCliCommand command) { CliCommands().push_back(std::move(command)); }
};

// Exit statuses: 0 success, 1 failure of the operation, 2 wrong usage.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints "usage: jux-cli NAME USAGE" on stderr and answers kExitUsage.
int CliUsageError(const std::string& command, const std::string& message);

// A whole decimal number as options take it; false for anything else and for
// a value out of range.
bool ParseCliInteger(const std::string& text, long long& out);
bool ParseCliInt32(const std::string& text, int32_t& out);

// A small argument reader: positional values and --name [value] options.
class TCliArgs {
public:
    // `flags` are options without a value, `options` take one value.
    TCliArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
             const std::vector<std::string>& options);
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& name) const;
    std::string value(const std::string& name, const std::string& fallback = "") const;
    // Integer option; sets error() when present but not an integer.
    bool intValue(const std::string& name, long long& out, long long fallback);

private:
    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> values_;
    std::string error_;
};
