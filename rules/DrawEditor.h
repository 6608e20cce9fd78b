// The draws editor without its window: the draw being composed, the field
// shown on the grid, the button rules, the list's columns and title, and the
// texts of its questions. TDrawModifyForm renders it and forwards clicks.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "data/GameModel.h"
#include "rules/PagedList.h"

inline constexpr const char* kEditorCaption = "Draws History Management";
inline constexpr const char* kNoLotteryText = "No lottery detected.";
inline constexpr const char* kNoDrawsTitle = "No history draws in file";
inline constexpr const char* kExportDialogTitle = "Export history draws";
inline constexpr const char* kExportFilter = "text files (*.txt)|*.txt";

// What the grid shows for the active field.
struct TGridSetup {
    int Field = 1;
    int Total = 0;
    int Picked = 0;
    int FaceOffset = 0;        // caption of grid number n is n + offset
    std::vector<int> Disabled; // grid numbers
    std::string FieldName;
    bool SelectorVisible = false;
    bool SelectorEnabled = false;
    int SelectorMax = 1;
};

struct TEditorButtons {
    bool Get = false; // and Delete: a row of a readable draw is selected
    bool Add = false;
    bool Insert = false;
    bool Replace = false;
    bool Save = false;
    bool FieldSelector = false;
};

class TDrawEditor {
public:
    TDrawEditor(TDrawClass& draws, bool hasFilePath);

    TDrawClass& Draws() { return draws_; }
    const TGameInfo& Game() const { return draws_.GameInfo(); }
    bool ModifiedAtEntry() const { return modifiedAtEntry_; }

    int ActiveField() const { return activeField_; }
    // The selector's choice; GridSetup falls back to field 1 where needed.
    void SetActiveField(int field);
    const TArrayOfShortIntArray& Work() const { return work_; }
    // Sets the active field (bonus field 2 only once field 1 is complete).
    TGridSetup GridSetup();
    // The grid's picks (grid numbers) become the active field's work numbers.
    void WorkFromGrid(const TShortIntArray& gridPicks);
    // The active field's work numbers as grid numbers, for SetSelection.
    std::vector<int> GridSelection() const;

    bool FieldOneValid() const;
    bool AllValid() const;
    bool SelectorEnabled() const;
    // `selected` is the selected draw's position (0: none); `day` the
    // calendar's day, `index` the spin edit's value.
    TEditorButtons Buttons(int selected, TDateTime day, int index) const;

    // The question asked before a draw of `day` goes into a dated history: the
    // day lies after `today`, or on a weekday none of the recent draws fell on.
    // Empty when there is nothing to ask.
    std::string DayQuestion(TDateTime day, TDateTime today) const;
    int Add(TDateTime day, int index);
    int Insert(int selected, TDateTime day, int index);
    // Empty when the draw cannot be read: `error` then holds the message.
    std::string ReplaceQuestion(int position, TDateTime day, int index, std::string& error) const;
    // May raise EDrawError.
    bool Replace(int position, TDateTime day, int index);
    std::string DeleteQuestion(int position, std::string& error) const;
    // Deletes; answers the position to select afterwards (0 when refused).
    int Delete(int position);
    // Copies a stored draw into the work numbers; false when it cannot be read.
    bool Get(int position, TDateTime& date, int& index);
    void Clear();
    void Random(std::mt19937& rng);

    // The reminder on closing, empty when none is due.
    std::string CloseReminder() const;

    // The draw list: columns and title.
    void DefineColumns(TPagedList& list) const;
    std::string ListTitle(const TPagedList& list) const;
    std::vector<int32_t> RowKeys() const;

private:
    int GridOf(int field, int ball) const { return ball - Game().Fields[static_cast<size_t>(field) - 1].Lowest + 1; }

    TDrawClass& draws_;
    bool hasFilePath_;
    bool modifiedAtEntry_;
    int activeField_ = 1;
    TArrayOfShortIntArray work_;
};

// The list's cell texts.
std::string DrawFieldCellText(const TDrawClass& draws, int32_t position, int field);
int DrawFieldColumnWidth(int picked);
