// TNaviButtonsFrame: first, previous, next and last page buttons over a
// scroll bar that moves to any page.
#pragma once

#include <functional>

#include <QFrame>

#include "rules/PagedList.h"

class QPushButton;
class QScrollBar;

class TNaviButtonsFrame : public QFrame {
    Q_OBJECT

public:
    explicit TNaviButtonsFrame(QWidget* parent = nullptr);

    void SetPageCount(int n);
    void GoToPage(int page);
    int Page() const { return navi_.Page(); }
    int PageCount() const { return navi_.PageCount(); }
    // Called with the new page when the page really changed.
    std::function<void(int)> OnChange;

    QPushButton* FirstButton() const { return first_; }
    QPushButton* PreviousButton() const { return previous_; }
    QPushButton* NextButton() const { return next_; }
    QPushButton* LastButton() const { return last_; }
    QScrollBar* ScrollBar() const { return bar_; }

private:
    void Refresh();
    void PageChanged(bool changed);

    TNaviModel navi_;
    QPushButton* first_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* last_ = nullptr;
    QScrollBar* bar_ = nullptr;
    bool updating_ = false;
};
