// The page navigator of the list display.
#include "widgets/NaviButtonFrame.h"

#include <QGridLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

TNaviButtonsFrame::TNaviButtonsFrame(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("NaviButtonsFrame"));
    setMinimumSize(229, 33);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    auto make = [&](const char* name, const char* caption, const char* hint, int column) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setFixedHeight(20);
        grid->addWidget(b, 0, column);
        return b;
    };
    first_ = make("btnFirst", "|<<", "Go to first page.", 0);
    previous_ = make("btnPrevious", "<", "Go to previous page.", 1);
    next_ = make("btnNext", ">", "Go to next page.", 2);
    last_ = make("btnLast", ">>|", "Go to last page.", 3);
    bar_ = new QScrollBar(Qt::Horizontal, this);
    bar_->setObjectName(QStringLiteral("sbPages"));
    bar_->setToolTip(QStringLiteral("Use the scroll bar to move to any page."));
    bar_->setRange(1, 1);
    grid->addWidget(bar_, 1, 0, 1, 4);
    connect(first_, &QPushButton::clicked, this, [this] { GoToPage(1); });
    connect(previous_, &QPushButton::clicked, this, [this] { GoToPage(navi_.Page() - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { GoToPage(navi_.Page() + 1); });
    connect(last_, &QPushButton::clicked, this, [this] { GoToPage(navi_.PageCount()); });
    connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!updating_)
            PageChanged(navi_.GoToPage(value));
    });
    Refresh();
}

void TNaviButtonsFrame::SetPageCount(int n)
{
    if (n <= 0)
        return;
    const bool changed = navi_.SetPageCount(n);
    PageChanged(changed);
}

void TNaviButtonsFrame::GoToPage(int page) { PageChanged(navi_.GoToPage(page)); }

void TNaviButtonsFrame::Refresh()
{
    updating_ = true;
    bar_->setRange(1, navi_.PageCount());
    bar_->setPageStep(navi_.LargeStep());
    bar_->setValue(navi_.Page());
    updating_ = false;
    first_->setEnabled(navi_.CanGoBack());
    previous_->setEnabled(navi_.CanGoBack());
    next_->setEnabled(navi_.CanGoForward());
    last_->setEnabled(navi_.CanGoForward());
    bar_->setEnabled(navi_.ScrollEnabled());
    setVisible(navi_.Visible());
}

void TNaviButtonsFrame::PageChanged(bool changed)
{
    Refresh();
    if (changed && OnChange)
        OnChange(navi_.Page());
}
