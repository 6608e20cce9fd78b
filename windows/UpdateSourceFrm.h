// TfrmUpdateSource ("Update Draws from Source"): the open game's results file
// address, the last update and its result, and "Update now", which downloads
// the file beside the window (progress bar, "Cancel"), adds the new draws and
// saves the game.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "data/GameFile.h"
#include "service/DownloadJob.h"
#include "service/GameSource.h"
#include "service/SourceUpdate.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TEnvironmentClass;

inline constexpr const char* kUpdateSourceCaption = "Update Draws from Source";

class TfrmUpdateSource : public QDialog {
    Q_OBJECT

public:
    // `game` is the open game; it outlives the window.
    explicit TfrmUpdateSource(TCurrentGame& game, QWidget* parent = nullptr);
    ~TfrmUpdateSource() override;

    // The file dialog of "Browse..."; tests answer it in code. Empty: cancelled.
    using TFileChooser = std::function<std::string(const std::string& current)>;
    void SetFileChooser(TFileChooser chooser) { fileChooser_ = std::move(chooser); }
    void SetTimeoutSeconds(long seconds) { timeoutSeconds_ = seconds; }

    QLineEdit& SourceEdit() { return *edtSource_; }
    QLabel& LastUpdateLabel() { return *txtLastUpdate_; }
    QLabel& StatusLabel() { return *lblStatus_; }
    QProgressBar& Progress() { return *pbDownload_; }
    QPushButton& UpdateButton() { return *btnUpdate_; }
    QPushButton& CancelButton() { return *btnCancel_; }
    QPushButton& CloseButton() { return *btnClose_; }
    bool Running() const { return job_ != nullptr; }
    // The outcome of the last update of this window.
    const TUpdateOutcome& LastOutcome() const { return outcome_; }

    void btnBrowseClick();
    void btnUpdateClick();
    void btnCancelClick();

public slots:
    void reject() override;

private:
    void Poll();
    void Finish(const TDownloadResult& download);
    void RefreshControls();

    TCurrentGame& game_;
    TGameSource source_;
    std::unique_ptr<TDownloadJob> job_;
    TUpdateOutcome outcome_;
    TFileChooser fileChooser_;
    long timeoutSeconds_ = kDefaultSourceTimeoutSeconds;

    QLineEdit* edtSource_;
    QPushButton* btnBrowse_;
    QLabel* txtLastUpdate_;
    QProgressBar* pbDownload_;
    QLabel* lblStatus_;
    QPushButton* btnUpdate_;
    QPushButton* btnCancel_;
    QPushButton* btnClose_;
    QTimer* poll_;
};

// The main window's entry: the window over the open game, modal.
void OpenUpdateFromSource(QWidget* parent, TEnvironmentClass& environment);
