// The paged list behind TDisplayF and its navigator, without a widget:
// column definitions with text callbacks and optional comparisons, rows
// identified by a 32-bit key, 100-row pages, sorting and its direction.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr int kListPageSize = 100;
inline constexpr const char* kNoDataTitle = "No data to display";

enum class TColumnAlign { Center, Left, Right };

struct TListColumn {
    int Id = 0;
    std::string Caption;
    int Width = 0; // 0: sized to its contents
    TColumnAlign Align = TColumnAlign::Center;
    std::function<std::string(int32_t key)> Text;
    std::function<bool(int32_t a, int32_t b)> Less; // set: the column sorts
};

// The page navigator's state: current page and page count, both 1-based.
class TNaviModel {
public:
    // Ignored when n <= 0; clamps the current page. True when the page changed.
    bool SetPageCount(int n);
    // Ignored outside 1..count; true when the page changed.
    bool GoToPage(int page);
    int Page() const { return page_; }
    int PageCount() const { return count_; }
    int LargeStep() const { return count_ / 100 > 1 ? count_ / 100 : 1; }
    bool Visible() const { return count_ > 1; }
    bool CanGoBack() const { return count_ > 1 && page_ > 1; }
    bool CanGoForward() const { return count_ > 1 && page_ < count_; }
    bool ScrollEnabled() const { return count_ > 1; }

private:
    int page_ = 1;
    int count_ = 1;
};

class TPagedList {
public:
    // Answers the new column's identifier: the lowest positive one unused.
    int AddColumn(const std::string& caption, int width, std::function<std::string(int32_t)> text,
                  std::function<bool(int32_t, int32_t)> less = nullptr);
    void SetAlignment(int id, TColumnAlign align);
    void ClearColumns();
    const std::vector<TListColumn>& Columns() const { return columns_; }
    // Moves a column from one display position to another (0-based).
    void MoveColumn(int from, int to);

    // Resets sorting and shows page 1.
    void SetRows(std::vector<int32_t> keys);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int32_t RowKey(int row) const { return rows_[static_cast<size_t>(row) - 1]; } // 1-based

    TNaviModel& Navi() { return navi_; }
    const TNaviModel& Navi() const { return navi_; }
    int Page() const { return navi_.Page(); }
    int PageCount() const;
    // 1-based row numbers of the current page; 0, 0 when there are no rows.
    int FirstRow() const;
    int LastRow() const;
    std::vector<int32_t> PageKeys() const;
    std::string CellText(int columnIndex, int32_t key) const;

    // A click on the header at a display position: sorts by that column or
    // reverses the order; false for a column that does not sort.
    bool ClickHeader(int columnIndex);
    int SortColumnId() const { return sortId_; }
    int SortDirection() const { return sortDirection_; } // 0 none, 1 sorted, 2 reversed
    // 0-based display position of the sort column, -1 when none.
    int SortColumnIndex() const;

    // Shows the page holding the key; answers its 1-based row, 0 when absent.
    int ShowKey(int32_t key);
    int RowOfKey(int32_t key) const;

    std::function<std::string()> TitleCallback;
    std::string Title() const;

private:
    std::vector<TListColumn> columns_;
    std::vector<int32_t> rows_;
    TNaviModel navi_;
    int sortId_ = 0;
    int sortDirection_ = 0;
};
