// TDisplayF: a title line, a report-style list showing one 100-row page of
// a TPagedList, and the page navigator below it. Columns sort on a header
// click and can be dragged into another order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QFrame>

#include "rules/PagedList.h"

class QLabel;
class QTreeWidget;
class TNaviButtonsFrame;

class TDisplayF : public QFrame {
    Q_OBJECT

public:
    explicit TDisplayF(QWidget* parent = nullptr);

    TPagedList& List() { return list_; }
    // The spacer column comes first in the view; list columns follow.
    static constexpr int kSpacerColumns = 1;

    int AddColumn(const std::string& caption, int width, std::function<std::string(int32_t)> text,
                  std::function<bool(int32_t, int32_t)> less = nullptr);
    void ClearColumns();
    // Resets sorting and shows page 1.
    void SetRows(std::vector<int32_t> keys);
    void RefreshPage();
    // Shows the key's page, selects its row and scrolls it into view.
    void SelectByKey(int32_t key);
    int32_t SelectedKey() const;
    int FirstRow() const { return list_.FirstRow(); }
    int LastRow() const { return list_.LastRow(); }
    void ClickHeader(int columnIndex);
    void SetTitle(const std::string& title);
    std::string Title() const;

    std::function<void()> OnSelect;
    std::function<void()> OnDoubleClick;

    QTreeWidget* ListView() const { return view_; }
    TNaviButtonsFrame* Navi() const { return navi_; }
    QLabel* TitleLabel() const { return title_; }

private:
    void RebuildColumns();
    void ShowPage();

    TPagedList list_;
    QLabel* title_ = nullptr;
    QTreeWidget* view_ = nullptr;
    TNaviButtonsFrame* navi_ = nullptr;
    bool rebuilding_ = false;
};
