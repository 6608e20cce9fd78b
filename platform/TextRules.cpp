#include "platform/TextRules.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::string TrimBlanks(const std::string& text)
{
    size_t b = 0;
    size_t e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

bool ParseDelphiInt(const std::string& text, int32_t& out)
{
    const std::string t = TrimBlanks(text);
    const size_t e = t.size();
    size_t i = 0;
    bool negative = false;
    if (i < e && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < e && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < e && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= e)
        return false;
    int64_t v = 0;
    for (; i < e; ++i) {
        const char c = t[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > int64_t(UINT32_MAX))
            return false;
    }
    if (base == 16 && !negative) {
        out = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}
