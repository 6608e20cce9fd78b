// The terminal side of jux-cli's texts: arguments and standard input arrive
// as UTF-8, the core keeps Windows-1252, and everything printed is UTF-8.
#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

namespace clitext {

using Json = nlohmann::ordered_json;

// A core text (Windows-1252) as UTF-8 for the terminal.
std::string Out(const std::string& text);

// A core message with its "\n\r" line breaks as plain line feeds, in UTF-8.
std::string Lines(const std::string& message);

// Converts a text given by the user to the core's encoding; on failure prints
// "jux-cli COMMAND: WHAT: the character ... has no Windows-1252 form" and
// answers false (the command then ends with exit status 1, writing nothing).
bool In(const std::string& command, const std::string& what, const std::string& utf8, std::string& out);

// A JSON document on one line, ending with a line feed.
std::string JsonText(const Json& document);

// Prints a JSON document on one line. Strings put into it must already be
// UTF-8; file paths that are not are shown with U+FFFD.
void PrintJson(const Json& document, FILE* to = stdout);

} // namespace clitext
