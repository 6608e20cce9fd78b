// TNumbersFrame: the number grid as a frame of small square buttons over a
// TNumbersGrid, with its pop-up menu (clear, copy, paste), the completion
// hint and the mouse wheel step.
#pragma once

#include <functional>
#include <vector>

#include <QFrame>

#include "rules/NumbersGrid.h"

class QMenu;
class QAction;
class QScrollArea;
class QToolButton;

class TNumbersFrame : public QFrame {
    Q_OBJECT

public:
    explicit TNumbersFrame(QWidget* parent = nullptr);
    ~TNumbersFrame() override;

    int Instance() const { return instance_; }
    TNumbersGrid& Grid() { return grid_; }
    const TNumbersGrid& Grid() const { return grid_; }

    void SetTotalNumbers(int total);
    void SetLimit(int state, int zone, int count);
    void SetDisabled(int number, bool flag);
    void SetSelection(const std::vector<int>& numbers);
    void SetFaceOffset(int offset);
    TShortIntArray GetNumbers(int state, int zone, bool sorted) const { return grid_.GetNumbers(state, zone, sorted); }
    int SelectedCount() const { return grid_.SelectedCount(); }
    int NumberState(int number) const { return grid_.NumberState(number); }
    int NumberZone(int number) const { return grid_.NumberZone(number); }
    void SetReadOnly(bool readOnly) { grid_.ReadOnly = readOnly; }
    void SetShowHint(bool show);

    // Called after every change made by the user or by SetSelection.
    std::function<void()> OnChange;
    // Called after each button is redrawn: (state, zone, button, number).
    std::function<void(int, int, QToolButton*, int)> OnButton;

    QToolButton* Button(int number) const;
    QMenu& PopupMenu() { return *popupMenu_; }
    QAction* ClearNumbersItem() const { return clearItem_; }
    QAction* CopyNumbersItem() const { return copyItem_; }
    QAction* PasteNumbersItem() const { return pasteItem_; }
    QScrollArea* ScrollBox() const { return scrollBox_; }

    void PopupMenuPopup();
    void ClearNumbersItemClick();
    void CopyNumbersItemClick();
    void PasteNumbersItemClick();
    // A click on a number: forward for the left button, backward for the middle one.
    void NumberClick(int number, bool forward);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGrid(int scrollTo);
    void RedrawButton(int number);
    void RedrawAll();
    void RefreshHint();
    void Changed();
    void FocusGrid();

    static int instances_;
    int instance_;
    TNumbersGrid grid_;
    QScrollArea* scrollBox_ = nullptr;
    QWidget* panel_ = nullptr;
    std::vector<QToolButton*> buttons_;
    QMenu* popupMenu_ = nullptr;
    QAction* clearItem_ = nullptr;
    QAction* copyItem_ = nullptr;
    QAction* pasteItem_ = nullptr;
};
