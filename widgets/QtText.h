// The one pair of conversions between the core's single-byte text
// (Windows-1252, as files store it) and QString.
#pragma once

#include <string>

#include <QString>

#include "data/TextCodec.h"

inline QString FromText(const std::string& text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        out.append(QChar(static_cast<char16_t>(Win1252ToCodePoint(static_cast<unsigned char>(c)))));
    return out;
}

// What Windows-1252 cannot hold becomes '?'.
inline std::string ToText(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar qc : text) {
        const int byte = CodePointToWin1252(qc.unicode());
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}
