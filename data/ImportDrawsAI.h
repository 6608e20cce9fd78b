// The import of draws from text files in free layout: reads a delimited file
// by its columns and any other text by the integers of each line, works out
// where the date and the drawn numbers stand, and extracts the candidate
// draws for the open game. Plain C++: the import window and jux-cli both drive it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/DelimitedText.h"
#include "data/GameModel.h"
#include "data/ImportLayout.h"

// Files above this size, or with more lines holding numbers, are refused: a
// century of daily draws is a few MB and 40,000 lines. With both bounds the
// analysis stays near 120 MB at worst (a 16 MB file of 600,000 valid draws).
constexpr size_t kMaxImportFileBytes = size_t(16) << 20;
constexpr size_t kMaxImportLines = 1'000'000;
// Integers beyond this count on one line are ignored; no draw layout reaches them.
constexpr int kMaxImportIntegers = 256;
// The automatic analysis looks for the date and numbers among the first integers only.
constexpr int kMaxImportPositions = 64;

// Captions of the date formats, index = DateType.
extern const std::array<const char*, 8> kImportDateFormats;
// Integers a date of that type takes on a line: 3 or 1.
int ImportDateLength(int dateType);

// The day number of a date field read with a date format, or 0 when it holds no such date.
int32_t ImportFieldDate(std::string_view field, int dateType);

struct TImportCandidate {
    TDateTime Date = 0; // 0 in a game without dates
    int32_t Index = 1;  // place of the draw within its day
    int32_t Line = 0;   // 1-based line of the file
    TArrayOfShortIntArray Numbers;
};

// Lines left out of the candidates for one reason.
struct TImportSkip {
    std::string Reason;
    int Count = 0;
    std::vector<int> Lines; // the first few, 1-based, ascending
};

// What an analysis or an extraction yields.
struct TImportResult {
    bool Ready = false;
    // The layout used: complete whenever Ready.
    TImportLayout Layout;
    // Whether the layout reads the text as well as an automatic analysis must
    // before it is offered: most data lines give a draw or fail for a stated
    // reason (balls out of range, more draws on a day than the game holds).
    bool Fits = false;
    std::vector<TImportCandidate> Draws;
    std::vector<TImportSkip> Skipped;
    // Errors, or the note that the analysis succeeded, as the window shows them.
    std::vector<std::string> Messages;
};

// The whole import reading of a file's bytes for a game, without a window and
// without messages shown: with an incomplete layout (Auto by default) the
// analysis finds what is missing; a complete one (a stored layout that
// worked) is used as it stands. Fits tells whether it still suits the text;
// when it does not, a caller may analyse again without it.
TImportResult AnalyzeImportText(const std::string& bytes, const TDrawClass& draws,
                                const TImportLayout& layout = TImportLayout{});

class TImportDrawsAIClass {
public:
    // The game the draws are for; FindDraw refuses the draws it already holds.
    explicit TImportDrawsAIClass(const TDrawClass& draws);

    // Works out the layout by itself; Ready only when draws could be extracted.
    bool AnalyzeFile(const std::string& fileName);
    // The same with a layout: what it leaves open is found by analysis (with
    // its messages); a complete layout is only extracted (Ready also when
    // nothing was found).
    bool AnalyzeFile(const std::string& fileName, const TImportLayout& layout);
    // As AnalyzeFile, over bytes already read.
    bool AnalyzeText(const std::string& bytes, const TImportLayout& layout);
    // The given layout (1-based positions), without analysis; Ready also when nothing was found.
    bool ExtractWith(const std::string& fileName, int dateStart, int dateType, int numbersStart);
    // The manual layout of the window and of jux-cli: integers to skip before the date
    // (or the numbers, without dates), and integers between the date and the numbers;
    // a negative `afterDate` puts the numbers before the date.
    bool ExtractManual(const std::string& fileName, int skip, int dateType, int afterDate);

    // Integers to skip after the date for the current layout (negative: the numbers stand before it).
    int AfterDate() const;
    // One line per reason, e.g. "62 lines skipped: balls outside 1..26".
    std::vector<std::string> SkippedTexts() const;
    int SkippedCount() const;

    std::vector<TImportCandidate> FoundDraws;
    std::vector<TImportSkip> Skipped;
    // The texts shown to the user, in order (also shown through the user dialogs).
    std::vector<std::string> Messages;

    // The layout of the last analysis or extraction, and whether it fits the text.
    TImportLayout Layout;
    bool Fits = false;
    // The column (1-based) that told apart the draws of one date; 0 none.
    int SequenceColumn = 0;
    // The columns of the file last read when it is delimited (also when the
    // analysis found no draws in them); null otherwise.
    const TImportTable* Table() const { return table_.get(); }

    int32_t NumbersPerLine = 0; // the integer count most regular lines share
    int32_t DateStart = 0;      // 1-based; 0 none
    uint8_t DateType = 0;
    bool CompactDate = false;
    int32_t NumbersStart = 0; // 1-based; 0 none
    bool Ready = false;
    bool Descending = false; // the file lists its dates newest first

    // Set false to only record messages (the command line prints them itself).
    bool ShowMessages = true;

private:
    struct TStats {
        int64_t Valid = 0;    // rows with at least one valid draw
        int64_t Fitting = 0;  // rows with a valid draw or only balls out of the game's range
        int64_t Eligible = 0; // data rows that count against the layout
    };
    struct TRowDraws;
    class TLayoutSearch;

    struct TLines {
        std::vector<uint32_t> Values; // saturated at UINT32_MAX beyond 32 bits
        std::vector<uint8_t> Wide;    // per value: written with more than two digits
        std::vector<uint32_t> Starts; // per line its first value; one extra at the end
        std::vector<uint32_t> LineNo;
        size_t Count() const { return LineNo.size(); }
        int Length(size_t i) const { return static_cast<int>(Starts[i + 1] - Starts[i]); }
        const uint32_t* Row(size_t i) const { return Values.data() + Starts[i]; }
        const uint8_t* WideRow(size_t i) const { return Wide.data() + Starts[i]; }
    };

    bool ReadFile(const std::string& fileName, std::string& bytes);
    bool Load(const std::string& fileName);
    bool LoadText(const std::string& text, const std::string& unable);
    bool Analyze(const std::string& bytes, const TImportLayout& layout, const std::string& unable);
    void Reset();
    void Fail(const std::string& message, bool keepColumns = false);
    void Say(const std::string& message, bool error);
    void Clear();
    // The integer layout; "" or the message why none was found.
    std::string FindLayout();
    void Extract();
    void ExtractIntegers();
    // Reads the rows, by day and within a day in the order of their draws.
    void ExtractRows(TRowDraws& rows);
    bool Accepts(const TStats& stats) const;
    void Skip(const std::string& reason, int line);
    // Why a draw read at `from` fails the checks, or "" when it passes.
    std::string CheckDraw(const uint32_t* from, TArrayOfShortIntArray& numbers) const;

    bool SplitTable(char delimiter, const std::string& unable);
    std::vector<uint32_t> DataRows() const;
    // The columns analysis over table_: completes `layout`; "" or the message why nothing was found.
    std::string FindColumns(TImportLayout& layout) const;
    void ExtractColumns(const TImportLayout& layout);
    // 0-based column and its main value; -1 when no column tells draws of one date apart.
    std::pair<int, int32_t> FindSequenceColumn(const TImportLayout& layout, const std::vector<uint32_t>& rows,
                                               const std::vector<int32_t>& days) const;
    // Analyses as columns; false with `error` set when that finds nothing, or
    // with a message already said when the text cannot be read.
    bool ColumnsAnalysis(const TImportLayout& layout, char delimiter, const std::string& unable, std::string& error,
                         bool& stop);

    const TDrawClass& draws_;
    TGameInfo game_;
    int numbersPerDraw_ = 0; // integers of one draw, field 2's after field 1's
    int drawsPerLine_ = 1;   // draws one line may hold (the game's draws per day)
    TLines lines_;
    std::string text_; // the file's text, decoded
    std::unique_ptr<TImportTable> table_;
    TStats stats_; // of the last extraction
};

// The number a preview row shows: its 1-based position, or counted from the
// end when the order is reversed.
inline int ImportShownNumber(int row, int count, bool reverse) { return reverse ? count - row + 1 : row; }

// Adds the candidates to the game as "Import" does: row by row, the candidate
// whose position is the row's shown number (the last first when reversed).
// Answers how many the game took.
int ImportCandidates(TDrawClass& draws, const std::vector<TImportCandidate>& found, bool reverse);
