// TfrmCreateLottery: the three-page wizard that defines a new user-defined
// lottery game, writes it as a game file without draws in the draws folder
// and opens it as the active lottery.
#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "data/GameFile.h"
#include "windows/ShellHooks.h"

namespace Ui {
class TfrmCreateLottery;
}

// The hooks through which the lottery windows open and close the current
// lottery; an empty function stands for a hook that is not installed.
struct TDrawFileHooks {
    TLoadDrawFileHook Load;
    TCloseDrawFileHook Close;
};
// The program's installed hooks (ShellHooks).
TDrawFileHooks InstalledDrawFileHooks();

class TfrmCreateLottery : public QDialog {
    Q_OBJECT

public:
    enum TPage { pgGameType = 0, pgFields = 1, pgDates = 2 };

    TfrmCreateLottery(const std::string& drawsFolder, TDrawFileHooks hooks, QWidget* parent = nullptr,
                      TCurrentGame& game = CurrentGame());
    ~TfrmCreateLottery() override;

    // The start checks; each failure shows its error and answers false.
    bool Prepare();
    // Prepare, then the wizard modally; true when a game file was written.
    static bool Start(QWidget* parent, const std::string& drawsFolder, TDrawFileHooks hooks);

    Ui::TfrmCreateLottery& Form() { return *ui_; }
    int CurrentPage() const;
    const TGameInfo& Definition() const { return info_; }
    bool Created() const { return created_; }
    // The new game file, once written.
    const std::string& FilePath() const { return filePath_; }

    void btnCancelClick();
    void btnBackClick();
    void btnNextClick();
    void cbGameTypeChange();
    void edtGameNameChange();
    void edtF1NameChange();
    void edtF2NameChange();
    void cbF1kChange();
    void cbF2kChange();
    void cbF1vChange();
    void cbF2vChange();
    void cbF2StatusChange();
    void cbDPDChange();

public slots:
    // Escape, the close box and "Cancel" all come here.
    void reject() override;

private:
    void ApplyLook();
    void ShowPage(TPage page);
    void RefreshButtons();
    void LeaveGameTypePage();
    void LeaveFieldsPage();
    // False, with the character named and selected, when a name holds one a game file cannot.
    bool NamesStorable();
    void FillFieldsPage();
    void FillTotalList(int field);
    void RefreshLabels();
    void FollowProposedName();
    void CreateGame();
    // FormCloseQuery: true when the wizard may close.
    bool FormCloseQuery();

    std::unique_ptr<Ui::TfrmCreateLottery> ui_;
    std::string drawsFolder_;
    TDrawFileHooks hooks_;
    TCurrentGame& game_;
    TGameInfo info_;
    int gameType_ = 0;
    int dpdPosition_ = 0;
    // The name the wizard proposed last; empty for "User defined".
    std::string proposedName_;
    bool created_ = false;
    std::string filePath_;
};
