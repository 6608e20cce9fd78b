// What the system reads from the user's locale: the short date format (and the
// date order and separator derived from it) and the weekday names.
#pragma once

#include <array>
#include <string>

struct TLocaleInfo {
    std::string shortDateFormat;          // e.g. "DD/MM/YYYY" style, upper or lower case
    std::string dateSeparator;            // e.g. "/"
    std::array<std::string, 7> shortDays; // Sunday first
    std::array<std::string, 7> longDays;  // Sunday first
};

// Reads LC_TIME of the environment. JUX_SHORT_DATE_FORMAT (e.g. "dd/mm/yyyy")
// overrides the format, so tests and users can fix the order.
TLocaleInfo ReadLocaleInfo();

// Date order from a short date format: the format is upper-cased and the first
// positions of D, M and Y compared. 0 = D M Y, 1 = M D Y, 2 = Y M D, 3 = Y D M;
// any other arrangement answers `previous`.
int DetectDateOrder(const std::string& shortDateFormat, int previous);

// The separator of a short date format: its first character that is not a
// letter, a digit or a '%' ("-" when none).
std::string DetectDateSeparator(const std::string& shortDateFormat);
