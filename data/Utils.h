// Shared free routines: combination, power and rank tables, ball ranks,
// stream strings, number lists in text form, dates, file names, colours.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data/Stream.h"
#include "data/Types.h"

// Counting (tables built once, on first use).
int32_t Combinations(int n, int k);   // 32-bit table entry; 0 outside the table or when it does not fit
int64_t Combinations64(int n, int k); // 64-bit table entry
// a^b (1 for b <= 0); 0 when it does not fit 32 bits.
int32_t PowerTable(int a, int b);

// Balls and arrays.
// Rank of k ascending balls out of 1..v (0-based rank); -1 when v, k or the
// balls are out of range or not strictly ascending.
int64_t RankBalls(const int8_t* balls, int v, int k);
int64_t RankBalls(const TShortIntArray& balls, int v, int k);
// The inverse; false when the rank is outside 0..C(v,k)-1 or v, k out of range.
bool UnrankBalls(int64_t rank, int v, int k, TShortIntArray& balls);

// Stream strings and byte arrays. LoadString raises EStreamError when the stream
// ends before the terminating zero; ReadBytes/ReadByteArrays raise EStreamError
// when a length announces more bytes than the stream still holds.
void StoreString(TMemoryStream& stream, const std::string& text);
std::string LoadString(TMemoryStream& stream);
void WriteBytes(TMemoryStream& stream, const TShortIntArray& bytes);
TShortIntArray ReadBytes(TMemoryStream& stream);
void WriteByteArrays(TMemoryStream& stream, const TArrayOfShortIntArray& arrays);
TArrayOfShortIntArray ReadByteArrays(TMemoryStream& stream);

// Number lists in text form. A run of digits whose value exceeds 2147483647 is
// read as 2147483647 (so TextToBalls answers its range error for it).
// Raises ERangeError "Range check error" for a value above 127.
TShortIntArray TextToBalls(const std::string& text);
// Every run of decimal digits in the text as one number, in text order;
// runs too long for 32 bits are dropped rather than wrapped.
TIntArray DigitRuns(const std::string& text);
std::string BallsToText(const TShortIntArray& balls, const std::string& separator, int digits);

// Dates: day numbers since 30 December 1899.
// 0 (no date) when the date does not exist or lies outside the years 1..9999.
TDateTime EncodeDate(int year, int month, int day);
bool DecodeDate(TDateTime date, int& year, int& month, int& day);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
std::string WeekdayName(int day, int month, int year, bool full);
std::string DateText(int order, const std::string& separator, bool withWeekday, bool fullWeekday, TDateTime date);
std::string DateTimeText(int order, TDateTime dateTime);
TDateTime ParseDateTime(const std::string& text);

// Process-wide date display settings (read from the locale at start-up).
int CurrentDateOrder();
std::string CurrentDateSeparator();
void SetDateSettings(int order, const std::string& separator);
// Reads order, separator and weekday names from the locale.
void InitLocaleSettings();
// The weekday names, Sunday first (read from the locale on first use otherwise).
void SetWeekdayNames(const std::array<std::string, 7>& shortNames, const std::array<std::string, 7>& longNames);
// The date text in the user's order and separator, as the model and editor show it.
std::string UserDateText(TDateTime date, bool withWeekday);

// File names.
std::string UniqueFileName(const std::string& name, const std::string& folder);
std::string BuildFileName(const std::string& folder, const std::string& name, const std::string& extension);

// Colours as 0x00BBGGRR.
uint32_t HalveColor(uint32_t color);
uint32_t BlendColor(uint32_t a, uint32_t b, double factor);
