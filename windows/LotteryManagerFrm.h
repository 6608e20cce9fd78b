// TfrmLotteryManager: the modal window from which the user opens, creates,
// deletes and exports the local lottery games of the draws folder, and in
// which the games of the online database are to be listed.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "rules/LotteryRules.h"
#include "service/SourceUpdate.h"
#include "windows/CreateLotteryFrm.h"

namespace Ui {
class TfrmLotteryManager;
}
class QPushButton;
class QLabel;
class QRadioButton;

class TfrmLotteryManager : public QDialog {
    Q_OBJECT

public:
    // Item data of a local list row: the 1-based position of its entry, and
    // the TGameIcon shown.
    static constexpr int kEntryRole = Qt::UserRole;
    static constexpr int kIconRole = Qt::UserRole + 1;

    // FormCreate: makes the draws folder and lists it; Created() is false
    // (after the error) when the folder cannot be made.
    TfrmLotteryManager(const std::string& dataFolder, TDrawFileHooks hooks, QWidget* parent = nullptr,
                       TCurrentGame& game = CurrentGame());
    ~TfrmLotteryManager() override;

    bool Created() const { return created_; }
    // The manager modally over `parent`; nothing when the folder cannot be made.
    static void Execute(QWidget* parent, const std::string& dataFolder, TDrawFileHooks hooks);

    // The place an exported game goes, asked of the user; empty when cancelled.
    using TExportChooser = std::function<std::string(const std::string& proposedPath)>;
    void SetExportChooser(TExportChooser chooser) { exportChooser_ = std::move(chooser); }
    // Starts the wizard; tests may run their own.
    using TWizardRunner = std::function<void(QWidget* parent, const std::string& drawsFolder, TDrawFileHooks hooks)>;
    void SetWizardRunner(TWizardRunner runner) { wizardRunner_ = std::move(runner); }

    Ui::TfrmLotteryManager& Form() { return *ui_; }
    const std::string& DrawsFolder() const { return drawsFolder_; }
    uint8_t Action() const { return action_; }
    TManagerPage Page() const;
    const TLocalGamesClass* LocalGames() const { return localGames_.get(); }
    // The database games of this window; null until the first search.
    const TDatabaseGames* DatabaseGames() const { return databaseGames_.get(); }
    const std::string& DatabaseAddress() const { return endpoint_.Address; }

    void FormShow();
    void rbActionsClick(QRadioButton* button);
    void btnNextClick();
    void btnBackClick();
    void btnCancelClick();
    void btnRequestClick();
    void lvLocalChange();
    void lvLocalDblClick();
    void lvDatabaseChange();
    // Updates every game of the draws folder that has a source, one after
    // another, then shows one summary.
    void btnUpdateAllClick();
    // The outcome of each game of the last "Update all games".
    const std::vector<TUpdateSummaryLine>& LastUpdateAll() const { return updateAll_; }
    void SetUpdateTimeoutSeconds(long seconds) { updateTimeoutSeconds_ = seconds; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ApplyLook();
    void ShowPage(TManagerPage page);
    void RefreshButtons();
    void FillLocalList();
    // The entry of the selected local row; nullptr when none.
    const TLocalGameRec* SelectedEntry() const;
    void OpenSelected();
    void DeleteSelected();
    void ExportSelected();
    void CreateGame();
    void SearchDatabase();
    void FillDatabaseList();
    // The entry of the selected database row; nullptr when none.
    const TDatabaseGameRec* SelectedDatabaseEntry() const;
    void DownloadSelected();

    std::unique_ptr<Ui::TfrmLotteryManager> ui_;
    TDrawFileHooks hooks_;
    TCurrentGame& game_;
    std::string drawsFolder_;
    bool created_ = false;
    uint8_t action_ = maNone;
    std::unique_ptr<TLocalGamesClass> localGames_;
    std::string dataFolder_;
    TExportChooser exportChooser_;
    TWizardRunner wizardRunner_;
    TServiceEndpoint endpoint_;
    std::string databaseContact_;
    std::unique_ptr<TDatabaseGames> databaseGames_;
    QPushButton* btnUpdateAll_ = nullptr;
    std::vector<TUpdateSummaryLine> updateAll_;
    long updateTimeoutSeconds_ = kDefaultSourceTimeoutSeconds;
    QLabel* lblLocalHint_ = nullptr;
};

// The main window's entry: the manager over the program's data folder (the
// environment's "JUX Engine" folder) with the installed hooks.
void RunLotteryManager(QWidget* parent);
