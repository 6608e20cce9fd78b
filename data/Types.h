// Shared array types, the date type, the exception family and the format helper
// that every part of the core uses.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using TShortIntArray = std::vector<int8_t>;
using TArrayOfShortIntArray = std::vector<TShortIntArray>;
using TIntArray = std::vector<int32_t>;
using TInt64Array = std::vector<int64_t>;
using TArrayOfIntArray = std::vector<TIntArray>;
using TArrayOfInt64Array = std::vector<TInt64Array>;

// Days since 30 December 1899; 0 means "no date".
using TDateTime = double;

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that is not an integer: "'%s' is not a valid integer value".
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A value outside the range of its target type.
class ERangeError : public Exception {
public:
    using Exception::Exception;
};

// A stream read past its end or a write that could not be done.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// printf-style formatting into a std::string ("%2.2d", "%.10f", ...).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Text to integer, raising EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);
// Text to integer with a fallback instead of an exception.
int32_t StrToIntDef(const std::string& text, int32_t fallback);

std::string Trim(const std::string& text);
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
bool SameText(const std::string& a, const std::string& b);
