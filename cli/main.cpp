// jux-cli: the analysis core on game files, for scripting, batch runs and tests.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CliText.h"
#include "cli/Commands.h"

std::vector<TCliCommand>& CliCommands()
{
    static std::vector<TCliCommand> commands;
    return commands;
}

int CliUsageError(const std::string& command, const std::string& message)
{
    if (!message.empty())
        std::fprintf(stderr, "jux-cli %s: %s\n", command.c_str(), message.c_str());
    for (const auto& c : CliCommands())
        if (c.name == command) {
            std::fprintf(stderr, "usage: jux-cli %s %s\n", c.name.c_str(), c.usage.c_str());
            return kExitUsage;
        }
    std::fprintf(stderr, "usage: jux-cli COMMAND [ARGS]   (jux-cli --help lists the commands)\n");
    return kExitUsage;
}

TCliArgs::TCliArgs(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                   const std::vector<std::string>& options)
{
    auto in = [](const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a.substr(2);
            std::string val;
            bool inlineValue = false;
            if (auto eq = name.find('='); eq != std::string::npos) {
                val = name.substr(eq + 1);
                name = name.substr(0, eq);
                inlineValue = true;
            }
            if (in(flags, name)) {
                if (inlineValue) {
                    error_ = "option --" + name + " takes no value";
                    return;
                }
                values_.emplace_back(name, "");
            } else if (in(options, name)) {
                if (!inlineValue) {
                    if (i + 1 >= args.size()) {
                        error_ = "option --" + name + " needs a value";
                        return;
                    }
                    val = args[++i];
                }
                values_.emplace_back(name, val);
            } else {
                error_ = "unknown option --" + name;
                return;
            }
        } else {
            positional_.push_back(a);
        }
    }
}

bool TCliArgs::has(const std::string& name) const
{
    for (const auto& v : values_)
        if (v.first == name)
            return true;
    return false;
}

std::string TCliArgs::value(const std::string& name, const std::string& fallback) const
{
    std::string out = fallback;
    for (const auto& v : values_)
        if (v.first == name)
            out = v.second; // the last one given wins
    return out;
}

bool TCliArgs::intValue(const std::string& name, long long& out, long long fallback)
{
    out = fallback;
    if (!has(name))
        return true;
    const std::string v = value(name);
    if (!ParseCliInteger(v, out)) {
        error_ = "option --" + name + " needs an integer, not '" + v + "'";
        return false;
    }
    return true;
}

bool ParseCliInteger(const std::string& text, long long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE)
        return false;
    out = n;
    return true;
}

bool ParseCliInt32(const std::string& text, int32_t& out)
{
    long long n = 0;
    if (!ParseCliInteger(text, n) || n < INT32_MIN || n > INT32_MAX)
        return false;
    out = static_cast<int32_t>(n);
    return true;
}

namespace {

void PrintHelp()
{
    std::printf("jux-cli - the J.U.X. analysis on lottery game files\n\n"
                "usage: jux-cli COMMAND [ARGS]\n"
                "       jux-cli --help | --version\n\n"
                "commands:\n");
    auto commands = CliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const TCliCommand& a, const TCliCommand& b) { return a.name < b.name; });
    for (const auto& c : commands)
        std::printf("  %-10s %s\n             %s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
}

// Output that did not reach its file (a full disk, a closed pipe) must not
// end in success: scripts would take a cut-off report for a whole one.
int Finish(const std::string& who, int status)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    std::fprintf(stderr, "%s: cannot write the output: %s\n", who.c_str(), std::strerror(errno));
    return status == kExitOk ? kExitFailure : status;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "usage: jux-cli COMMAND [ARGS]   (jux-cli --help lists the commands)\n");
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        PrintHelp();
        return Finish("jux-cli", kExitOk);
    }
    if (first == "--version") {
        std::printf("jux-cli %s (J.U.X. 2.3b)\n", JUX_VERSION);
        return Finish("jux-cli", kExitOk);
    }
    for (const auto& c : CliCommands())
        if (c.name == first) {
            std::vector<std::string> rest(args.begin() + 1, args.end());
            if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
                std::printf("usage: jux-cli %s %s\n%s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
                return Finish("jux-cli " + c.name, kExitOk);
            }
            int status = kExitFailure;
            try {
                status = c.run(rest);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "jux-cli %s: %s\n", c.name.c_str(), clitext::Out(e.what()).c_str());
            }
            return Finish("jux-cli " + c.name, status);
        }
    std::fprintf(stderr, "jux-cli: unknown command '%s'\n", first.c_str());
    std::fprintf(stderr, "usage: jux-cli COMMAND [ARGS]   (jux-cli --help lists the commands)\n");
    return kExitUsage;
}
