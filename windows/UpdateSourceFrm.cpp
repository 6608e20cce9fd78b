// The download runs in a TDownloadJob; a timer on the window reads its
// progress and, once it is done, reads, merges and saves on this thread.
#include "windows/UpdateSourceFrm.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "data/DrawsMerge.h"
#include "data/Types.h"
#include "data/UserDialogs.h"
#include "engine/Environment.h"
#include "widgets/QtText.h"

namespace {

constexpr int kProgressSteps = 1000;

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

} // namespace

TfrmUpdateSource::TfrmUpdateSource(TCurrentGame& game, QWidget* parent) : QDialog(parent), game_(game)
{
    setWindowTitle(QString::fromLatin1(kUpdateSourceCaption));
    setObjectName(QStringLiteral("frmUpdateSource"));
    source_ = LoadGameSource(game_.FilePath);

    edtSource_ = new QLineEdit(QString::fromStdString(source_.Address), this);
    edtSource_->setObjectName(QStringLiteral("edtSource"));
    edtSource_->setPlaceholderText(QStringLiteral("https://... or the path of a file"));
    edtSource_->setMinimumWidth(360);
    btnBrowse_ = new QPushButton(QStringLiteral("Browse..."), this);
    btnBrowse_->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse_->setAutoDefault(false);
    auto* address = new QHBoxLayout;
    address->addWidget(edtSource_, 1);
    address->addWidget(btnBrowse_);

    txtLastUpdate_ = new QLabel(this);
    txtLastUpdate_->setObjectName(QStringLiteral("txtLastUpdate"));
    txtLastUpdate_->setWordWrap(true);
    txtLastUpdate_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    form->addRow(FromText("Results file address"), address);
    form->addRow(FromText("Last update"), txtLastUpdate_);

    pbDownload_ = new QProgressBar(this);
    pbDownload_->setObjectName(QStringLiteral("pbDownload"));
    pbDownload_->setRange(0, kProgressSteps);
    pbDownload_->setValue(0);
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);

    btnUpdate_ = new QPushButton(QStringLiteral("Update now"), this);
    btnUpdate_->setObjectName(QStringLiteral("btnUpdate"));
    btnUpdate_->setDefault(true);
    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setAutoDefault(false);
    btnClose_ = new QPushButton(QStringLiteral("Close"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnUpdate_);
    buttons->addWidget(btnCancel_);
    buttons->addStretch(1);
    buttons->addWidget(btnClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(pbDownload_);
    layout->addWidget(lblStatus_);
    layout->addStretch(1);
    layout->addLayout(buttons);

    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, [this] { Poll(); });
    connect(btnBrowse_, &QPushButton::clicked, this, [this] { btnBrowseClick(); });
    connect(btnUpdate_, &QPushButton::clicked, this, [this] { btnUpdateClick(); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnClose_, &QPushButton::clicked, this, [this] { reject(); });
    RefreshControls();
}

TfrmUpdateSource::~TfrmUpdateSource() = default;

void TfrmUpdateSource::RefreshControls()
{
    const bool running = Running();
    edtSource_->setEnabled(!running);
    btnBrowse_->setEnabled(!running);
    btnUpdate_->setEnabled(!running);
    btnCancel_->setEnabled(running);
    txtLastUpdate_->setText(FromText(SourceUpdateText(source_)));
}

void TfrmUpdateSource::btnBrowseClick()
{
    const std::string current = edtSource_->text().trimmed().toStdString();
    std::string chosen;
    if (fileChooser_) {
        chosen = fileChooser_(current);
    } else {
        const QString start = SourceKind(current) == TSourceKind::File ? QString::fromStdString(current) : QString();
        chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Results file"), start,
                                              QStringLiteral("text files (*.txt);;comma separated values (*.csv);;"
                                                             "all files (*)"))
                     .toStdString();
    }
    if (!chosen.empty())
        edtSource_->setText(QString::fromStdString(chosen));
}

void TfrmUpdateSource::btnUpdateClick()
{
    if (Running())
        return;
    const std::string refusal = UpdateRefusal(game_.Draws.get(), game_.Refused.Total(), game_.FilePath);
    if (!refusal.empty()) {
        ShowError(refusal);
        return;
    }
    const std::string address = edtSource_->text().trimmed().toStdString();
    if (address.empty()) {
        ShowError("Enter the address of the game's results file: an http:// or https:// address, or a file.");
        return;
    }
    SetSourceAddress(source_, address);
    edtSource_->setText(QString::fromStdString(source_.Address));
    pbDownload_->setRange(0, 0); // busy until the size is known
    lblStatus_->setText(QStringLiteral("Downloading..."));
    job_ = std::make_unique<TDownloadJob>(SourceRequest(source_, timeoutSeconds_));
    poll_->start();
    RefreshControls();
}

void TfrmUpdateSource::btnCancelClick()
{
    if (job_)
        job_->Cancel();
}

void TfrmUpdateSource::Poll()
{
    if (!job_)
        return;
    const uint64_t received = job_->Received(), expected = job_->Expected();
    if (expected > 0) {
        pbDownload_->setRange(0, kProgressSteps);
        pbDownload_->setValue(static_cast<int>(std::min<uint64_t>(received, expected) * kProgressSteps / expected));
    }
    if (received > 0)
        lblStatus_->setText(
            FromText(Format("Downloading... %llu KB", static_cast<unsigned long long>(received >> 10))));
    if (!job_->Finished())
        return;
    poll_->stop();
    const TDownloadResult download = job_->Take();
    job_.reset();
    Finish(download);
}

void TfrmUpdateSource::Finish(const TDownloadResult& download)
{
    outcome_ = UpdateOpenGame(game_, source_, download);
    pbDownload_->setRange(0, kProgressSteps);
    pbDownload_->setValue(outcome_.Succeeded() ? kProgressSteps : 0);
    lblStatus_->setText(FromText(FirstLine(outcome_.Message)));
    RefreshControls();
    if (outcome_.Succeeded())
        ShowInfo(outcome_.Message);
    else if (outcome_.Status == TUpdateStatus::Failed)
        ShowError(outcome_.Message);
}

void TfrmUpdateSource::reject()
{
    // A download still running is cancelled; nothing of it is kept.
    poll_->stop();
    job_.reset();
    QDialog::reject();
}

void OpenUpdateFromSource(QWidget* parent, TEnvironmentClass& environment)
{
    if (!environment.GameOpen() || !environment.Game().Draws)
        return;
    TfrmUpdateSource window(environment.Game(), parent);
    window.exec();
}
