// TDrawModifyForm ("Draws History Management"): the modal window in which
// the user edits the open game's draw history by hand on the number grid,
// starts the import and exports the history as text.
#pragma once

#include <functional>
#include <memory>
#include <random>
#include <string>

#include <QDialog>

#include "rules/DrawEditor.h"

class QAction;
class QCalendarWidget;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QWidget;
class TDisplayF;
class TEnvironmentClass;
class TNumbersFrame;

class TDrawModifyForm : public QDialog {
    Q_OBJECT

public:
    // FormCreate; Created() is false (after the error) when no lottery is open.
    explicit TDrawModifyForm(TEnvironmentClass& environment, QWidget* parent = nullptr);
    ~TDrawModifyForm() override;

    bool Created() const { return editor_ != nullptr; }
    // The editor modally over `parent`, released when closed.
    static void Execute(QWidget* parent, TEnvironmentClass& environment);

    // The export's save dialog; tests answer it in code. Answers the chosen
    // path, empty when cancelled.
    using TExportChooser = std::function<std::string()>;
    void SetExportChooser(TExportChooser chooser) { exportChooser_ = std::move(chooser); }
    void SetRandomSeed(unsigned seed) { rng_.seed(seed); }

    TDrawEditor& Editor() { return *editor_; }
    TNumbersFrame* NumbersFrame() const { return numbers_; }
    TDisplayF* DisplayF() const { return display_; }
    QCalendarWidget* Calendar() const { return calendar_; }
    QSpinBox* IndexSE() const { return indexSE_; }
    QSpinBox* FieldUD() const { return fieldUD_; }
    QLabel* FieldLabel() const { return lblField_; }
    QMenu* PopupMenu() const { return popupMenu_; }

    void FieldUDClick();
    void CalendarClick();
    void IndexSEChange();
    void GetBClick();
    void AddBClick();
    void InsertBClick();
    void ReplaceBClick();
    void DeleteBClick();
    void ClearBClick();
    void RandomBClick();
    void ImportBClick();
    void btnSaveClick();
    void CloseBClick();
    void ImportDrawsItemClick();
    void ExportDrawsItemClick();
    void ExportDrawsOptionsItemClick() {}
    void MissingDrawsItemClick() {}
    // Escape closes without a close event; the reminder is due all the same.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildWindow();
    void SetupGrid();
    void PutWorkOnGrid();
    void CopyGrid();
    void RefreshButtons();
    void RebuildRows();
    TDateTime CalendarDay() const;
    int SpinIndex() const;
    int Selected() const;
    // The reminder about unsaved draws; false when the user goes back to the editor.
    bool FormCloseQuery();
    // Asks about a day after today or off the game's weekdays; true to go on.
    bool DayAccepted();

    TEnvironmentClass& environment_;
    std::unique_ptr<TDrawEditor> editor_;
    std::mt19937 rng_;
    TExportChooser exportChooser_;
    bool closed_ = false;

    QLabel* lblTitle_ = nullptr;
    QSpinBox* fieldUD_ = nullptr;
    QLabel* lblField_ = nullptr;
    TNumbersFrame* numbers_ = nullptr;
    QWidget* pnlDate_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QLabel* lblIndex_ = nullptr;
    QSpinBox* indexSE_ = nullptr;
    QPushButton* getB_ = nullptr;
    QPushButton* addB_ = nullptr;
    QPushButton* insertB_ = nullptr;
    QPushButton* replaceB_ = nullptr;
    QPushButton* deleteB_ = nullptr;
    QPushButton* clearB_ = nullptr;
    QPushButton* randomB_ = nullptr;
    QPushButton* importB_ = nullptr;
    QPushButton* saveB_ = nullptr;
    QPushButton* closeB_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    TDisplayF* display_ = nullptr;
};
