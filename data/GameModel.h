// The game definition (one or two number fields), the draw record and the draw
// history model with its ordering and validation rules.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/Stream.h"
#include "data/Types.h"

struct TGameField {
    int32_t Total = 0;   // v: balls in the container
    int32_t Picked = 0;  // k: balls a draw takes
    int32_t Lowest = 0;  // face value of the smallest ball: 0 or 1
    uint8_t Ordered = 0; // balls from separate containers: order kept, repeats allowed
};

// Ordered name/value text pairs of the lottery operator.
class TCommissionClass {
public:
    int Count() const { return static_cast<int>(pairs_.size()); }
    // 1-based position of a name (trimmed, case-insensitive), 0 when absent.
    int Find(const std::string& name) const;
    // Replaces the value of an existing name, otherwise appends the pair.
    void Set(const std::string& name, const std::string& value);
    void Clear() { pairs_.clear(); }
    void CopyFrom(const TCommissionClass& other) { pairs_ = other.pairs_; }
    // 1-based; false when out of range.
    bool Get(int position, std::string& name, std::string& value) const;
    void WriteToStream(TMemoryStream& stream) const;
    // Clears, then sets each stored pair in turn (a repeated name keeps its last value).
    void ReadFromStream(TMemoryStream& stream);

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

struct TGameInfo {
    int32_t OnlineID = 0;
    TDateTime LastUpdate = 0;
    uint8_t State = 0; // run-time only: 0 none, 1 draws read, 2 ready
    int32_t FieldCount = 0;
    std::array<TGameField, 2> Fields{};
    uint8_t Field2Kind = 0;  // 0 none, 1 power ball field, 2 bonus balls
    int32_t DrawsPerDay = 0; // 0 undated, 1..9
    std::array<uint8_t, 7> OptionalBlock1{};
    std::array<uint8_t, 8> OptionalBlock2{};
    std::array<uint8_t, 1> OptionalBlock3{};
    std::array<uint8_t, 512> OptionalBlock4{};
    TCommissionClass Commission;
    std::string Name;
    std::array<std::string, 2> FieldNames;
};

// The validity rules of a definition (DrawsPerDay must also be 0..9, since a
// game file keeps the index of a draw in one byte); when valid with one field,
// the second field, Field2Kind and the second field name are reset.
bool ValidateGameInfo(TGameInfo& info);

void ClearGameInfo(TGameInfo& info);

// The name a new game proposes for field 1 or 2 when nobody gave one:
// "Main numbers"; a bonus ball or power ball field after its kind (a second
// field of no stated kind is a power ball field) and how many it draws.
std::string DefaultFieldName(const TGameInfo& info, int32_t field);

struct TDraw {
    TDateTime Date = 0;
    int32_t Index = 0;
    uint8_t Status = 0;
    TArrayOfShortIntArray Numbers;
};

// EDrawError: the draw model's exception.
class EDrawError : public Exception {
public:
    using Exception::Exception;
};

class TDrawClass {
public:
    explicit TDrawClass(const TGameInfo& info);

    const TGameInfo& GameInfo() const { return info_; }
    int DrawsPerDay() const { return drawsPerDay_; }
    bool Dated() const { return dated_; }

    int DrawCount() const { return static_cast<int>(draws_.size()); }
    // 1-based; nullptr when out of range.
    const TDraw* GetDraw(int position) const;
    // A copy of one field's balls; empty when the position or field is out of range.
    TShortIntArray GetDrawNumbers(int position, int field) const;

    // Position of the new draw, or 0 when it was not added.
    int AddDraw(int index, uint8_t status, const TArrayOfShortIntArray& numbers, TDateTime date);
    int InsertDraw(int position, int index, const TArrayOfShortIntArray& numbers, uint8_t status, TDateTime date);
    // May raise EDrawError.
    bool ReplaceDraw(int position, int index, const TArrayOfShortIntArray& numbers, TDateTime date);
    bool DeleteDraw(int position);
    // Binary search by (date, index); 0 when absent or the game has no dates.
    int FindDraw(int index, TDateTime date) const;
    // Validates and sorts a draw's balls in place (balls beyond Picked are dropped).
    bool CheckNumbers(TArrayOfShortIntArray& numbers) const;

    std::string DrawToText(int position) const; // the stored draw at a position

    bool Modified = false;

    // Called after every change of DrawCount (add, insert, delete), whoever
    // makes it; one observer at a time, none to stop.
    void SetCountObserver(std::function<void()> observer) { countObserver_ = std::move(observer); }

private:
    void CountChanged() const
    {
        if (countObserver_)
            countObserver_();
    }

    std::function<void()> countObserver_;
    TGameInfo info_;
    int drawsPerDay_ = 0;
    bool dated_ = false;
    std::vector<std::unique_ptr<TDraw>> draws_;
};

// Number of different tickets of a field; 0 when it does not fit 32 bits.
int32_t TicketCount(const TGameField& field);
// The same in 64 bits (every field of 1..7 balls out of at most 99 fits).
int64_t TicketCount64(const TGameField& field);
int32_t MaxTotalFor(int32_t picked);
// Bytes for one draw of the field in a game file: 1 to 4 for every count that fits
// 32 bits, more (up to 6) for the Ordered fields whose count does not.
int ValueWidth(const TGameField& field);
std::string FieldFormationText(const TGameField& field);
std::string FormationText(const std::array<TGameField, 2>& fields, uint8_t field2Kind);
// The caption of field 1 or 2 as the analysis names it: field 2 of a bonus
// game is field 1 with its bonus balls counted in ("Main numbers + 1 Bonus
// ball(s)"); empty for a field the game does not have.
std::string FieldCaption(const TGameInfo& info, int32_t field);
// Raises EConvertError for non-numeric digit pairs.
void ParseFormationCode(const std::string& code, std::array<TGameField, 2>& fields, uint8_t& field2Kind);
bool CheckNumbersFor(TArrayOfShortIntArray& numbers, int32_t fieldCount, const std::array<TGameField, 2>& fields,
                     uint8_t field2Kind);

std::string NumbersToText(const TArrayOfShortIntArray& numbers);
std::string DrawToText(int position, int index, int drawsPerDay, const TArrayOfShortIntArray& numbers, int fieldCount,
                       TDateTime date);
