#include "platform/Locale.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <langinfo.h>

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "%d/%m/%Y" -> "dd/mm/yyyy"; other conversions are dropped.
std::string FromStrftime(const std::string& f)
{
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') {
            out += f[i];
            continue;
        }
        if (++i >= f.size())
            break;
        switch (f[i]) {
        case 'd':
        case 'e': out += "dd"; break;
        case 'm': out += "mm"; break;
        case 'y': out += "yy"; break;
        case 'Y': out += "yyyy"; break;
        case 'D': out += "mm/dd/yy"; break;
        case 'F': out += "yyyy-mm-dd"; break;
        default: break;
        }
    }
    return out;
}

} // namespace

int DetectDateOrder(const std::string& shortDateFormat, int previous)
{
    const std::string f = Upper(shortDateFormat);
    const auto d = f.find('D');
    const auto m = f.find('M');
    const auto y = f.find('Y');
    if (d == std::string::npos || m == std::string::npos || y == std::string::npos)
        return previous;
    if (d < m && m < y)
        return 0;
    if (m < d && d < y)
        return 1;
    if (y < m && m < d)
        return 2;
    if (y < d && d < m)
        return 3;
    return previous;
}

std::string DetectDateSeparator(const std::string& shortDateFormat)
{
    for (char c : shortDateFormat) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '%')
            return std::string(1, c);
    }
    return "-";
}

TLocaleInfo ReadLocaleInfo()
{
    TLocaleInfo info;
    std::setlocale(LC_TIME, "");
    const char* over = std::getenv("JUX_SHORT_DATE_FORMAT");
    if (over && *over)
        info.shortDateFormat = over;
    else
        info.shortDateFormat = FromStrftime(nl_langinfo(D_FMT));
    info.dateSeparator = DetectDateSeparator(info.shortDateFormat);
    static const nl_item abday[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    static const nl_item day[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    for (int i = 0; i < 7; ++i) {
        info.shortDays[i] = nl_langinfo(abday[i]);
        info.longDays[i] = nl_langinfo(day[i]);
    }
    std::setlocale(LC_TIME, "C");
    return info;
}
