// TfrmOddsCalculator: the modal window listing the odds of matching k of the
// drawn numbers, with tickable rows, their combined odds and a copy of the
// whole table. What it shows is computed by engine/OddsTable.h.
#pragma once

#include <QDialog>

#include "engine/OddsTable.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;

class TfrmOddsCalculator : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOddsCalculator(QWidget* parent = nullptr);

    // The window modally over `parent`; `preset` sets the three values first.
    static void Execute(QWidget* parent, bool preset, int32_t total, int32_t drawn, int32_t selected);

    // Sets the three edit boxes; the computation follows when the window shows.
    void Preset(int32_t total, int32_t drawn, int32_t selected);

    void btnComputeOddsClick();
    void mniSelectAllClick();
    void mniDeselectAllClick();
    void mniCopyToClipboardClick();

    const TOddsTable& Table() const { return table_; }
    // The rows ticked in the list, in list order.
    std::vector<bool> Ticked() const;
    QMenu* Popup() const { return popup_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillRows();
    void SetAllTicked(bool ticked);
    void UpdateCombined();

    QLineEdit* edtTotal_ = nullptr;
    QLineEdit* edtDrawn_ = nullptr;
    QLineEdit* edtSelected_ = nullptr;
    QPushButton* btnComputeOdds_ = nullptr;
    QTreeWidget* lvProb_ = nullptr;
    QLabel* pnlCombined_ = nullptr;
    QMenu* popup_ = nullptr;
    TOddsTable table_;
    bool shown_ = false;
};
