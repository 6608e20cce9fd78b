#include "cli/CliText.h"

#include "data/TextCodec.h"

namespace clitext {

std::string Out(const std::string& text) { return Win1252ToUtf8(text); }

std::string Lines(const std::string& message)
{
    std::string out;
    for (size_t i = 0; i < message.size(); ++i) {
        out += message[i];
        if (message[i] == '\n' && i + 1 < message.size() && message[i + 1] == '\r')
            ++i;
    }
    return Out(out);
}

bool In(const std::string& command, const std::string& what, const std::string& utf8, std::string& out)
{
    std::string why;
    if (Utf8ToWin1252(utf8, out, &why))
        return true;
    std::fprintf(stderr, "jux-cli %s: %s: %s\n", command.c_str(), what.c_str(), why.c_str());
    return false;
}

namespace {

// The library's compact form with a blank after each comma and colon, the
// layout jux-cli has always printed; scalars are the library's own.
void Write(const Json& value, std::string& out)
{
    if (value.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first)
                out += ", ";
            first = false;
            out += Json(key).dump(-1, ' ', false, Json::error_handler_t::replace);
            out += ": ";
            Write(item, out);
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        for (size_t i = 0; i < value.size(); ++i) {
            if (i)
                out += ", ";
            Write(value[i], out);
        }
        out += ']';
    } else {
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
}

} // namespace

std::string JsonText(const Json& document)
{
    std::string out;
    Write(document, out);
    return out + "\n";
}

void PrintJson(const Json& document, FILE* to)
{
    const std::string text = JsonText(document);
    std::fwrite(text.data(), 1, text.size(), to);
}

} // namespace clitext
