// Paging, sorting and the navigator rules of the list display.
#include "rules/PagedList.h"

#include <algorithm>

bool TNaviModel::SetPageCount(int n)
{
    if (n <= 0)
        return false;
    count_ = n;
    const int page = std::clamp(page_, 1, count_);
    const bool changed = page != page_;
    page_ = page;
    return changed;
}

bool TNaviModel::GoToPage(int page)
{
    if (page < 1 || page > count_ || page == page_)
        return false;
    page_ = page;
    return true;
}

int TPagedList::AddColumn(const std::string& caption, int width, std::function<std::string(int32_t)> text,
                          std::function<bool(int32_t, int32_t)> less)
{
    int id = 1;
    while (std::any_of(columns_.begin(), columns_.end(), [id](const TListColumn& c) { return c.Id == id; }))
        ++id;
    TListColumn column;
    column.Id = id;
    column.Caption = caption;
    column.Width = width;
    column.Text = std::move(text);
    column.Less = std::move(less);
    columns_.push_back(std::move(column));
    return id;
}

void TPagedList::SetAlignment(int id, TColumnAlign align)
{
    for (TListColumn& c : columns_)
        if (c.Id == id)
            c.Align = align;
}

void TPagedList::ClearColumns()
{
    columns_.clear();
    sortId_ = 0;
    sortDirection_ = 0;
}

void TPagedList::MoveColumn(int from, int to)
{
    const int n = static_cast<int>(columns_.size());
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    TListColumn moved = std::move(columns_[static_cast<size_t>(from)]);
    columns_.erase(columns_.begin() + from);
    columns_.insert(columns_.begin() + to, std::move(moved));
}

void TPagedList::SetRows(std::vector<int32_t> keys)
{
    rows_ = std::move(keys);
    sortId_ = 0;
    sortDirection_ = 0;
    navi_ = TNaviModel();
    navi_.SetPageCount(PageCount());
}

int TPagedList::PageCount() const { return rows_.empty() ? 1 : (RowCount() - 1) / kListPageSize + 1; }

int TPagedList::FirstRow() const { return rows_.empty() ? 0 : (Page() - 1) * kListPageSize + 1; }

int TPagedList::LastRow() const { return rows_.empty() ? 0 : std::min(RowCount(), Page() * kListPageSize); }

std::vector<int32_t> TPagedList::PageKeys() const
{
    if (rows_.empty())
        return {};
    return std::vector<int32_t>(rows_.begin() + (FirstRow() - 1), rows_.begin() + LastRow());
}

std::string TPagedList::CellText(int columnIndex, int32_t key) const
{
    if (columnIndex < 0 || columnIndex >= static_cast<int>(columns_.size()))
        return {};
    const TListColumn& c = columns_[static_cast<size_t>(columnIndex)];
    return c.Text ? c.Text(key) : std::string();
}

bool TPagedList::ClickHeader(int columnIndex)
{
    if (columnIndex < 0 || columnIndex >= static_cast<int>(columns_.size()))
        return false;
    const TListColumn& c = columns_[static_cast<size_t>(columnIndex)];
    if (!c.Less)
        return false;
    if (c.Id == sortId_) {
        std::reverse(rows_.begin(), rows_.end());
        sortDirection_ = sortDirection_ == 1 ? 2 : 1;
    } else {
        std::stable_sort(rows_.begin(), rows_.end(), c.Less);
        sortId_ = c.Id;
        sortDirection_ = 1;
    }
    return true;
}

int TPagedList::SortColumnIndex() const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].Id == sortId_)
            return static_cast<int>(i);
    return -1;
}

int TPagedList::RowOfKey(int32_t key) const
{
    const auto it = std::find(rows_.begin(), rows_.end(), key);
    return it == rows_.end() ? 0 : static_cast<int>(it - rows_.begin()) + 1;
}

int TPagedList::ShowKey(int32_t key)
{
    const int row = RowOfKey(key);
    if (row > 0)
        navi_.GoToPage((row - 1) / kListPageSize + 1);
    return row;
}

std::string TPagedList::Title() const
{
    if (TitleCallback)
        return TitleCallback();
    return rows_.empty() ? kNoDataTitle : std::string();
}
