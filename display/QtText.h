// The one pair of conversions between the core's single-byte text
// (Windows-1252, as files store it) and QString.
#pragma once

#include <string>

#include <QString>

namespace qttext_detail {

// Code points of the bytes 0x80..0x9F; 0 marks the five unassigned bytes.
inline constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace qttext_detail

inline QString FromText(const std::string& text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F) {
            const char16_t u = qttext_detail::kCp1252High[b - 0x80];
            // Unassigned bytes keep their C1 code point, so a round trip is lossless.
            out.append(QChar(u ? u : char16_t(b)));
        } else {
            out.append(QChar(char16_t(b)));
        }
    }
    return out;
}

inline std::string ToText(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i)
            if (qttext_detail::kCp1252High[i] == u || (qttext_detail::kCp1252High[i] == 0 && u == 0x80 + i)) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        out.push_back(byte);
    }
    return out;
}
