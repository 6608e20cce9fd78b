// Windows-1252 <-> UTF-8: the files keep single-byte text; terminals, JSON
// and the network speak UTF-8. Each boundary converts once with these.
#pragma once

#include <string>

// The code point of one Windows-1252 byte. The five unassigned bytes keep
// their C1 code point, so a round trip is lossless.
char32_t Win1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToWin1252(char32_t cp);

std::string Win1252ToUtf8(const std::string& text);

// Converts UTF-8 to Windows-1252. Answers false when the text holds a
// character Windows-1252 cannot hold, or is not valid UTF-8; `why` then
// names the character, e.g. "the character 'ł' (U+0142) has no Windows-1252 form".
bool Utf8ToWin1252(const std::string& utf8, std::string& out, std::string* why = nullptr);

// The same with a substitute byte for what Windows-1252 cannot hold
// (invalid UTF-8 bytes are taken as Windows-1252 bytes).
std::string Utf8ToWin1252Lossy(const std::string& utf8, char substitute = '?');

// A file system path (UTF-8 bytes here) as a core text, for the messages that
// name it; they are converted back to UTF-8 or QString when shown.
inline std::string PathToText(const std::string& path) { return Utf8ToWin1252Lossy(path); }
