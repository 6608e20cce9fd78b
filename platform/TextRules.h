// Text rules shared by settings files and user texts, kept once.
#pragma once

#include <cstdint>
#include <string>

// Without the blanks and control characters at both ends.
std::string TrimBlanks(const std::string& text);

// Surrounding blanks and control characters, an optional sign, then decimal
// digits or a "$"/"0x" hexadecimal form. Hexadecimal spells the 32-bit
// pattern ("$FFFFFFFF" is -1), as the classic conversion does. False when the
// text is anything else or does not fit 32 bits.
bool ParseDelphiInt(const std::string& text, int32_t& out);
