// TImportDrawsForm: the "Import draws wizard". Reads a text file of draws for
// the open game with TImportDrawsAIClass, shows the layout it found and the
// candidate draws, lets the user correct the layout and remove draws, and adds
// the accepted ones to the game's history.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "data/ImportDrawsAI.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QAction;
class TImportPreviewModel;

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

    QLineEdit* FileE = nullptr;
    QComboBox* DateTypeCB = nullptr;
    QSpinBox* IndexSE = nullptr;
    QSpinBox* AfterDSE = nullptr;
    QCheckBox* ReverseCB = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnAnalyze = nullptr;
    QPushButton* btnImport = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblHeader = nullptr;
    QLabel* lblSkipped = nullptr;
    QTableView* sgPreview = nullptr;
    QAction* mniRemoveDraw = nullptr;

private:
    void UpdateWindow();
    void RebuildPreview();
    void UpdateButtons();
    void ParametersChanged();
    std::string FileName() const;

    TDrawClass& draws_;
    std::unique_ptr<TImportDrawsAIClass> ai_;
    TImportPreviewModel* model_ = nullptr;
    TFileChooser chooser_;
    int imported_ = 0;
    bool updating_ = false;
    // A game without dates takes a file again in full: once imported, the
    // same preview is not offered a second time.
    bool previewImported_ = false;
};
