// TImportDrawsForm: the "Import draws wizard". Reads a text file of draws for
// the open game with TImportDrawsAIClass, shows the layout it found and the
// candidate draws, lets the user correct the layout (the columns of a
// delimited file by clicking their titles, the integers to skip of any other
// text) and remove draws, and adds the accepted ones to the game's history.
// The layout that imported draws is remembered in the game's options file.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "data/ImportDrawsAI.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTableView;
class QAction;
class TImportPreviewModel;
class TImportColumnsModel;

// The "..." dialog's filters: the layouts lotteries publish come first.
inline constexpr const char* kImportFileFilter = "History files (*.txt *.csv *.tsv);;All files (*)";

class TImportDrawsForm : public QDialog {
    Q_OBJECT

public:
    TImportDrawsForm(TDrawClass& draws, QWidget* parent = nullptr);
    ~TImportDrawsForm() override;

    // Asks for the file to read; empty when cancelled. Tests put their own.
    using TFileChooser = std::function<std::string()>;
    void SetFileChooser(TFileChooser chooser) { chooser_ = std::move(chooser); }

    // The game's options file, where the layout that imported draws is
    // remembered and offered again; none when empty.
    void SetOptionsFile(std::string path) { optionsFile_ = std::move(path); }

    // Draws added to the game while the window was open.
    int ImportedCount() const { return imported_; }
    const TImportDrawsAIClass& Analysis() const { return *ai_; }

    // The window's actions, as its controls trigger them.
    void btnBrowseClick();
    void FileEReturn();
    void btnAnalyzeClick();
    void btnImportClick();
    void ReverseCBClick();
    void RemoveSelectedDrawClick();
    void LayoutCBChange();
    // A click on the title of a 0-based column of the file offers its roles.
    void ColumnTitleClick(int column);
    // What a column of the file is used for; a field's column is switched
    // in and out of it, the date has one column.
    enum class TColumnRole { None, Date, Field1, Field2 };
    void PickColumn(int column, TColumnRole role);
    // The layout the columns view shows: the one read, or the picks so far.
    const TImportLayout& ColumnsLayout() const { return picks_; }

    QLineEdit* FileE = nullptr;
    QComboBox* LayoutCB = nullptr;
    QComboBox* DateTypeCB = nullptr;
    QSpinBox* IndexSE = nullptr;
    QSpinBox* AfterDSE = nullptr;
    QCheckBox* ReverseCB = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnAnalyze = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblColumns = nullptr;
    QTableView* sgColumns = nullptr;
    QMenu* popColumn = nullptr;
    QAction* mniColumnDate = nullptr;
    QAction* mniColumnField1 = nullptr;
    QAction* mniColumnField2 = nullptr;
    QAction* mniColumnNone = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblHeader = nullptr;
    QLabel* lblSkipped = nullptr;
    QTableView* sgPreview = nullptr;
    QAction* mniRemoveDraw = nullptr;

private:
    void UpdateWindow();
    void RebuildPreview();
    void UpdateButtons();
    void ParametersChanged(bool dateFormat = false);
    std::string FileName() const;
    // Runs one reading of the file with the columns view let go meanwhile
    // (dialogs may repaint it while the table is rebuilt); status texts
    // instead of dialogs when `quiet`.
    void Read(const TImportLayout& layout, bool quiet);
    // Reads the picked columns when they make a whole layout; asks for what is missing otherwise.
    void ApplyPicks(const TImportLayout& picks);
    bool ColumnsShown() const;
    // The window's own notes (a remembered layout, what a pick still lacks), hidden when empty.
    void SetStatus(const QString& text);

    TDrawClass& draws_;
    std::unique_ptr<TImportDrawsAIClass> ai_;
    TImportPreviewModel* model_ = nullptr;
    TImportColumnsModel* columnsModel_ = nullptr;
    QFormLayout* form_ = nullptr;
    TFileChooser chooser_;
    std::string optionsFile_;
    TImportLayout picks_;
    int menuColumn_ = -1;
    int imported_ = 0;
    bool updating_ = false;
    // A game without dates takes a file again in full: once imported, the
    // same preview is not offered a second time.
    bool previewImported_ = false;
};
