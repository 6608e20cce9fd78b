// TfrmMain: the application's main window. It shows the active lottery and
// the run state, offers the environment's commands where the state allows
// them, edits the analysis options and hosts the analysis display.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>

#include "engine/Environment.h"
#include "windows/AnalysisDisplay.h"

namespace Ui {
class TfrmMain;
}
class QAction;
class QFont;
class QLabel;
class QPushButton;
class QMenu;
class QUrl;
class QWidget;

class TfrmMain : public QMainWindow, public TMainWindowLink {
    Q_OBJECT

public:
    explicit TfrmMain(TEnvironmentClass& environment, QWidget* parent = nullptr);
    ~TfrmMain() override;

    Ui::TfrmMain& Form() { return *ui_; }
    enum class TPage { MainActions, Analysis, Options };
    TPage CurrentPage() const;
    QMenu& ActiveFieldsMenu() { return *popActiveFields_; }
    TAnalysisDisplayParts& Display() { return display_; }

    // Whether the first show reads the program settings and opens AutoLoadDraw.
    void SetAutoLoadOnShow(bool autoLoad) { autoLoadOnShow_ = autoLoad; }
    // The file dialogs of the run state commands; tests answer them in code.
    // Answers the chosen path, empty when cancelled.
    using TFileChooser = std::function<std::string(bool save, const std::string& proposedName)>;
    void SetFileChooser(TFileChooser chooser) { fileChooser_ = std::move(chooser); }
    // Hands the guide, the data folder and the web page to the desktop; false
    // when no program took it. Tests stand in for the desktop.
    using TUrlOpener = std::function<bool(const QUrl& url)>;
    void SetUrlOpener(TUrlOpener opener) { urlOpener_ = std::move(opener); }

    // TMainWindowLink
    void UpdateControls() override;
    void ShowMainPage() override;
    void ShowAnalysisPage() override;
    void RefreshLotteryHeader() override;

    void FormShow();
    void SaveLottery();
    void BuildActiveFieldList();
    void popActiveFieldsClicked(QAction* item);
    void lblActiveFieldClick(QWidget* clicked);

    void btnStartClick();
    void btnFinalResultsClick();
    void btnOptionsClick();
    void btnOptionsAcceptClick();
    void btnOptionsCancelClick();
    void btnOptionsDefaultClick();
    void btnResetStartPointClick();
    void UpdateStartPointLabel();

    void mniManageLotteryClick();
    void mniSaveLotteryClick();
    void mniCloseLotteryClick();
    void mniLotteryDrawsClick();
    void mniUpdateFromSourceClick();
    void mniExitClick();
    void mniImportRunStateClick();
    void mniExportRunStateClick();
    void mniClearPredictionClick();
    void mniOddsCalculatorClick();
    void mniBacktestClick();
    void mniHelpFileClick();
    void mniJUXOnlineClick();
    void mniApplicationDataFolderClick();
    void mniAboutClick();

    // The header's captions, as the exports name their files.
    std::string ActiveLotteryCaption() const;
    std::string ActiveFieldCaption() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyLook();
    void UpdateFirstStep();
    void ConnectCommands();
    void FillOptionsPage();
    void SetLotteryCaption(const std::string& text, bool hasFilePath);
    std::string RunStateFileName() const;
    std::string ChooseFile(bool save, const std::string& proposedName);
    // Opens the URL; when nothing opens it, says so with `where` on the next line.
    void OpenOnDesktop(const QUrl& url, const char* noProgramText, const std::string& where);

    TEnvironmentClass& environment_;
    std::unique_ptr<Ui::TfrmMain> ui_;
    QMenu* popActiveFields_ = nullptr;
    QWidget* pnlFirstStep_ = nullptr;
    QLabel* lblFirstStep_ = nullptr;
    QPushButton* btnFirstStep_ = nullptr;
    TAnalysisDisplayParts display_;
    TFileChooser fileChooser_;
    TUrlOpener urlOpener_;
    bool autoLoadOnShow_ = true;
    bool formShown_ = false;
};
