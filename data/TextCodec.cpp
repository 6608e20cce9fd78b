#include "data/TextCodec.h"

#include <cstdio>

namespace {

// Code points of the bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at `i`; answers its length, 0 when invalid
// (overlong forms, surrogates and values past U+10FFFF included).
size_t DecodeUtf8(const std::string& s, size_t i, char32_t& cp)
{
    const unsigned char b = static_cast<unsigned char>(s[i]);
    size_t len;
    char32_t min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        len = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

char32_t Win1252ToCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && kHigh[byte - 0x80] != 0)
        return kHigh[byte - 0x80];
    return byte;
}

int CodePointToWin1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp || (kHigh[i] == 0 && cp == char32_t(0x80 + i)))
            return 0x80 + i;
    return -1;
}

std::string Win1252ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text)
        AppendUtf8(out, Win1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

bool Utf8ToWin1252(const std::string& utf8, std::string& out, std::string* why)
{
    std::string result;
    result.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            if (why) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "the byte 0x%02X is not valid UTF-8",
                              static_cast<unsigned char>(utf8[i]));
                *why = buf;
            }
            return false;
        }
        const int byte = CodePointToWin1252(cp);
        if (byte < 0) {
            if (why) {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(cp));
                *why = "the character '" + utf8.substr(i, len) + "' (U+" + buf + ") has no Windows-1252 form";
            }
            return false;
        }
        result.push_back(static_cast<char>(byte));
        i += len;
    }
    out = std::move(result);
    return true;
}

std::string Utf8ToWin1252Lossy(const std::string& utf8, char substitute)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            out.push_back(utf8[i]);
            ++i;
            continue;
        }
        const int byte = CodePointToWin1252(cp);
        out.push_back(byte < 0 ? substitute : static_cast<char>(byte));
        i += len;
    }
    return out;
}
