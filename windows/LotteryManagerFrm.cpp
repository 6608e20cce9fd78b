// The manager's pages are a stacked widget the window switches itself; the
// captions, states and list texts come from LotteryRules.
#include "windows/LotteryManagerFrm.h"

#include <system_error>

#include <QApplication>
#include <QShowEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>

#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "platform/Paths.h"
#include "service/DownloadJob.h"
#include "service/GameSource.h"
#include "widgets/PathsUi.h"
#include "widgets/QtFont.h"
#include "widgets/QtPalette.h"
#include "widgets/QtText.h"
#include "widgets/WindowPlacement.h"
#include "ui_LotteryManagerFrm.h"

namespace {

void StyleTitle(QLabel* label)
{
    QFont f = DialogFont();
    f.setBold(true);
    f.setPixelSize(13);
    label->setFont(f);
    FillBackground(label, kSkyBlue);
    label->setMinimumHeight(22);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    label->setContentsMargins(4, 0, 4, 0);
}

// A report-style list: grid lines, whole rows, read-only.
void StyleList(QTableWidget* list, const QStringList& columns)
{
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHorizontalHeaderLabels(columns);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(18);
    list->horizontalHeader()->setHighlightSections(false);
    list->setWordWrap(false);
    list->setIconSize(QSize(16, 16));
}

QIcon IconFor(TGameIcon icon)
{
    QStyle* style = QApplication::style();
    switch (icon) {
    case TGameIcon::Valid: return style->standardIcon(QStyle::SP_DialogApplyButton);
    case TGameIcon::OlderVersion: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TGameIcon::Damaged: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case TGameIcon::Foreign: break;
    }
    return style->standardIcon(QStyle::SP_MessageBoxCritical);
}

QTableWidgetItem* Cell(const std::string& text, bool centred = false)
{
    auto* item = new QTableWidgetItem(FromText(text));
    if (centred)
        item->setTextAlignment(Qt::AlignCenter);
    return item;
}

bool CopyWholeFile(const std::string& from, const std::string& to)
{
    std::vector<uint8_t> bytes;
    std::string error;
    return ReadWholeFile(from, bytes, error, kMaxGameFileBytes) &&
           WriteWholeFile(to, bytes, error, TSafeSave::TMode::Replace, {from});
}

std::string DefaultExportChooser(QWidget* parent, const std::string& proposed)
{
    return PathFromQt(ChooseSaveFileName(parent, QStringLiteral("Export lottery game"), PathToQt(proposed),
                                         QStringLiteral("Lottery game (*.drw)"), QStringLiteral("drw")));
}

} // namespace

TfrmLotteryManager::TfrmLotteryManager(const std::string& dataFolder, TDrawFileHooks hooks, QWidget* parent,
                                       TCurrentGame& game)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmLotteryManager>()), hooks_(std::move(hooks)), game_(game),
      dataFolder_(dataFolder)
{
    ui_->setupUi(this);
    ApplyLook();

    // Each action's value is its radio button's tag.
    const std::pair<QRadioButton*, uint8_t> tags[] = {{ui_->rbOpenLocal, maOpenLocal},
                                                      {ui_->rbCreate, maCreate},
                                                      {ui_->rbDeleteLocal, maDeleteLocal},
                                                      {ui_->rbExportLocal, maExportLocal},
                                                      {ui_->rbSearchDatabase, maSearchDatabase}};
    for (const auto& [button, tag] : tags) {
        button->setProperty("tag", tag);
        connect(button, &QRadioButton::clicked, this, [this, b = button] { rbActionsClick(b); });
    }
    // The database search is offered only when the settings name a database.
    endpoint_.Address = TGameOptions::DatabaseAddress(dataFolder_);
    // Requests go to the contact the settings name; without one nobody is offered.
    databaseContact_ = TGameOptions::DatabaseContact(dataFolder_);
    ui_->rbSearchDatabase->setText(QString::fromLatin1(kSearchDatabaseCaption));
    ui_->rbSearchDatabase->setVisible(!endpoint_.Address.empty());
    ui_->chkAutoLoad->hide();

    connect(ui_->btnNext, &QPushButton::clicked, this, &TfrmLotteryManager::btnNextClick);
    connect(ui_->btnBack, &QPushButton::clicked, this, &TfrmLotteryManager::btnBackClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &TfrmLotteryManager::btnCancelClick);
    connect(ui_->btnRequest, &QPushButton::clicked, this, &TfrmLotteryManager::btnRequestClick);
    connect(ui_->lvLocal, &QTableWidget::itemSelectionChanged, this, &TfrmLotteryManager::lvLocalChange);
    connect(ui_->lvLocal, &QTableWidget::cellDoubleClicked, this, &TfrmLotteryManager::lvLocalDblClick);
    connect(ui_->lvDatabase, &QTableWidget::itemSelectionChanged, this, &TfrmLotteryManager::lvDatabaseChange);
    btnUpdateAll_ = new QPushButton(QStringLiteral("Update all games"), this);
    btnUpdateAll_->setObjectName(QStringLiteral("btnUpdateAll"));
    btnUpdateAll_->setAutoDefault(false);
    ui_->layButtons->insertWidget(ui_->layButtons->indexOf(ui_->btnRequest), btnUpdateAll_);
    connect(btnUpdateAll_, &QPushButton::clicked, this, &TfrmLotteryManager::btnUpdateAllClick);

    // FormCreate.
    drawsFolder_ = TLocalGamesClass::GamesFolder(dataFolder);
    if (!DirectoryExists(drawsFolder_))
        ForceDirectories(drawsFolder_);
    if (!DirectoryExists(drawsFolder_)) {
        ShowError(kDrawsFolderError);
        return;
    }
    localGames_ = std::make_unique<TLocalGamesClass>(dataFolder_);
    created_ = true;
    ShowPage(TManagerPage::Actions);
}

TfrmLotteryManager::~TfrmLotteryManager() = default;

void TfrmLotteryManager::Execute(QWidget* parent, const std::string& dataFolder, TDrawFileHooks hooks)
{
    TfrmLotteryManager manager(dataFolder, std::move(hooks), parent);
    if (!manager.Created())
        return;
    TrackPlacement(manager, "LotteryManager");
    manager.exec();
}

void TfrmLotteryManager::ApplyLook()
{
    setWindowTitle(QString::fromLatin1(kManagerCaption));
    setFont(DialogFont());
    resize(529, 298);
    // Enter does what "Next" does.
    ui_->btnNext->setDefault(true);
    StyleTitle(ui_->lblActionsTitle);
    StyleTitle(ui_->lblLocalTitle);
    StyleTitle(ui_->lblDatabaseTitle);

    StyleList(ui_->lvLocal, {QStringLiteral("Lottery name"), QStringLiteral("Fields Descr."), QStringLiteral("Draws"),
                             QStringLiteral("Last entry"), QStringLiteral("Last update"), QStringLiteral("Source"),
                             QStringLiteral("Source update")});
    QHeaderView* local = ui_->lvLocal->horizontalHeader();
    local->setSectionResizeMode(1, QHeaderView::Stretch);
    ui_->lvLocal->setColumnWidth(0, 117);
    ui_->lvLocal->setColumnWidth(2, 50);
    ui_->lvLocal->setColumnWidth(3, 100);
    ui_->lvLocal->setColumnWidth(4, 150);
    ui_->lvLocal->setColumnWidth(5, 200);
    ui_->lvLocal->setColumnWidth(6, 260);

    StyleList(ui_->lvDatabase, {QStringLiteral("Lottery name"), QStringLiteral("Fields Description"),
                                QStringLiteral("Draws"), QStringLiteral("Last update")});
    ui_->lvDatabase->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    ui_->lvDatabase->setColumnWidth(0, 180);
    ui_->lvDatabase->setColumnWidth(2, 50);
    ui_->lvDatabase->setColumnWidth(3, 150);
    ui_->lvDatabase->hide();

    lblLocalHint_ = new QLabel(ui_->tabLocal);
    lblLocalHint_->setObjectName(QStringLiteral("lblLocalHint"));
    lblLocalHint_->setWordWrap(true);
    lblLocalHint_->setAlignment(Qt::AlignCenter);
    lblLocalHint_->hide();
    ui_->layLocal->addWidget(lblLocalHint_);

    if (parent())
        if (QWidget* owner = parentWidget(); owner && owner->isVisible())
            move(owner->geometry().center() - rect().center());
}

TManagerPage TfrmLotteryManager::Page() const
{
    const QWidget* page = ui_->pgManager->currentWidget();
    if (page == ui_->tabLocal)
        return TManagerPage::Local;
    if (page == ui_->tabDatabase)
        return TManagerPage::Database;
    return TManagerPage::Actions;
}

void TfrmLotteryManager::ShowPage(TManagerPage page)
{
    switch (page) {
    case TManagerPage::Actions: ui_->pgManager->setCurrentWidget(ui_->tabActions); break;
    case TManagerPage::Local: ui_->pgManager->setCurrentWidget(ui_->tabLocal); break;
    case TManagerPage::Database: ui_->pgManager->setCurrentWidget(ui_->tabDatabase); break;
    }
}

void TfrmLotteryManager::RefreshButtons()
{
    bool selected = false;
    if (Page() == TManagerPage::Local)
        selected = SelectedEntry() != nullptr;
    else if (Page() == TManagerPage::Database)
        selected = !ui_->lvDatabase->selectedItems().isEmpty();
    const TManagerButtons b = ManagerButtons(Page(), action_, selected, !databaseContact_.empty());
    ui_->btnNext->setText(QString::fromStdString(b.NextCaption));
    ui_->btnNext->setEnabled(b.NextEnabled);
    ui_->btnBack->setEnabled(b.BackEnabled);
    ui_->btnRequest->setVisible(b.RequestVisible);
    btnUpdateAll_->setVisible(Page() == TManagerPage::Local);
}

// --- Events ------------------------------------------------------------------

void TfrmLotteryManager::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmLotteryManager::FormShow()
{
    action_ = maNone;
    ShowPage(TManagerPage::Actions);
    RefreshButtons();
    if (!hooks_.Load) {
        ShowError(kUndefinedLoadError);
        // Leave the show handler before closing.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    ui_->rbOpenLocal->setChecked(true);
    rbActionsClick(ui_->rbOpenLocal);
}

void TfrmLotteryManager::rbActionsClick(QRadioButton* button)
{
    action_ = static_cast<uint8_t>(button->property("tag").toInt());
    RefreshButtons();
}

void TfrmLotteryManager::btnNextClick()
{
    switch (Page()) {
    case TManagerPage::Actions:
        switch (action_) {
        case maOpenLocal:
        case maDeleteLocal:
        case maExportLocal:
            ShowPage(TManagerPage::Local);
            FillLocalList();
            break;
        case maSearchDatabase: SearchDatabase(); break;
        case maCreate: CreateGame(); break;
        default: break;
        }
        break;
    case TManagerPage::Local:
        switch (action_) {
        case maOpenLocal: OpenSelected(); break;
        case maDeleteLocal: DeleteSelected(); break;
        case maExportLocal: ExportSelected(); break;
        default: ShowError(kInvalidLocalActionError); break;
        }
        break;
    case TManagerPage::Database:
        if (action_ == maSearchDatabase)
            DownloadSelected();
        break;
    }
    RefreshButtons();
}

void TfrmLotteryManager::btnBackClick()
{
    ShowPage(TManagerPage::Actions);
    RefreshButtons();
}

void TfrmLotteryManager::btnCancelClick() { close(); }

void TfrmLotteryManager::btnRequestClick() { ShowInfo(RequestDatabaseGameText(databaseContact_)); }

void TfrmLotteryManager::lvLocalChange() { RefreshButtons(); }

void TfrmLotteryManager::lvLocalDblClick()
{
    // A double click on a game does what "Next" offers for it.
    if (Page() == TManagerPage::Local && ui_->btnNext->isEnabled())
        btnNextClick();
}

void TfrmLotteryManager::lvDatabaseChange() { RefreshButtons(); }

// --- Local games -------------------------------------------------------------

void TfrmLotteryManager::FillLocalList()
{
    QTableWidget* list = ui_->lvLocal;
    list->setSortingEnabled(false);
    list->clearContents();
    list->setRowCount(0);
    const int count = localGames_ ? localGames_->Count() : 0;
    for (int i = 1; i <= count; ++i) {
        const TLocalGameRec* entry = localGames_->Get(i);
        if (!entry)
            continue;
        const TLocalGameRow row = LocalGameRow(*entry);
        const int r = list->rowCount();
        list->insertRow(r);
        QTableWidgetItem* caption = Cell(row.Name);
        caption->setIcon(IconFor(row.Icon));
        caption->setData(kEntryRole, i);
        caption->setData(kIconRole, static_cast<int>(row.Icon));
        list->setItem(r, 0, caption);
        QTableWidgetItem* description = Cell(row.Description);
        description->setToolTip(FromText(row.Description));
        list->setItem(r, 1, description);
        list->setItem(r, 2, Cell(row.Draws, true));
        list->setItem(r, 3, Cell(row.LastEntry));
        list->setItem(r, 4, Cell(row.LastUpdate));
        const TGameSource source = LoadGameSource(entry->FileName);
        // The address is a path or URL in the system's bytes, not stored text.
        auto* address = new QTableWidgetItem(QString::fromStdString(source.Address));
        address->setToolTip(address->text());
        list->setItem(r, 5, address);
        QTableWidgetItem* update = Cell(source.HasAddress() ? SourceUpdateText(source) : std::string());
        update->setToolTip(update->text());
        list->setItem(r, 6, update);
    }
    list->sortItems(0, Qt::AscendingOrder);
    list->clearSelection();
    const std::string hint = LocalListHint(list->rowCount(), action_);
    lblLocalHint_->setText(FromText(hint));
    lblLocalHint_->setVisible(!hint.empty());
    RefreshButtons();
}

const TLocalGameRec* TfrmLotteryManager::SelectedEntry() const
{
    if (!localGames_)
        return nullptr;
    const QList<QTableWidgetItem*> items = ui_->lvLocal->selectedItems();
    for (QTableWidgetItem* item : items) {
        const QTableWidgetItem* caption = ui_->lvLocal->item(item->row(), 0);
        if (caption)
            return localGames_->Get(caption->data(kEntryRole).toInt());
    }
    return nullptr;
}

void TfrmLotteryManager::OpenSelected()
{
    const TLocalGameRec* entry = SelectedEntry();
    if (!entry)
        return;
    const std::string path = entry->FileName;
    hooks_.Load(path);
    // The main window shows afterwards whether the game opened.
    close();
}

void TfrmLotteryManager::DeleteSelected()
{
    const TLocalGameRec* entry = SelectedEntry();
    if (!entry)
        return;
    if (AskYesNoDefaultNo(DeleteGameQuestion(entry->Info.Game.Name)) != TModalResult::Yes)
        return;
    DeleteFile(entry->FileName);
    std::string file;
    for (int i = 1; entry->Files && entry->Files->GetString(i, file); ++i)
        DeleteFile(file);
    localGames_ = std::make_unique<TLocalGamesClass>(dataFolder_);
    FillLocalList();
}

void TfrmLotteryManager::ExportSelected()
{
    const TLocalGameRec* entry = SelectedEntry();
    if (!entry)
        return;
    const std::string source = entry->FileName;
    std::string options;
    std::string file;
    for (int i = 1; entry->Files && entry->Files->GetString(i, file); ++i)
        if (SameText(ExtractFileExt(file), ".ini"))
            options = file;

    const std::string proposed = ExtractFileName(source);
    std::string target = exportChooser_ ? exportChooser_(proposed) : DefaultExportChooser(this, proposed);
    if (target.empty())
        return;
    // The dialog adds the extension before its own question; a name that
    // still comes without one is asked about here.
    if (ExtractFileExt(target).empty()) {
        target += ".drw";
        if (FileExists(target) && AskYesNoDefaultNo(Format("%s already exists.\n\rDo you want to replace it?",
                                                           PathToText(target).c_str())) != TModalResult::Yes)
            return;
    }
    const std::string targetOptions = ChangeFileExt(target, ".ini");
    const std::string failure = "Unable to export lottery game to " + PathToText(target);
    if (IsSameFile(source, target) || (!options.empty() && IsSameFile(options, targetOptions))) {
        ShowError(failure);
        return;
    }
    if (!CopyWholeFile(source, target)) {
        ShowError(failure);
        return;
    }
    if (!options.empty() && !CopyWholeFile(options, targetOptions)) {
        DeleteFile(target);
        ShowError(failure);
        return;
    }
    ShowInfo("Lottery game exported to " + PathToText(target));
}

// --- Updates from the games' sources -----------------------------------------

void TfrmLotteryManager::btnUpdateAllClick()
{
    updateAll_.clear();
    const std::vector<std::string> games = GamesWithSource(drawsFolder_);
    if (games.empty()) {
        ShowInfo(UpdateCountsText(updateAll_));
        return;
    }
    QProgressDialog progress(QStringLiteral("Updating games from their sources..."), QStringLiteral("Cancel"), 0,
                             static_cast<int>(games.size()), this);
    progress.setWindowTitle(QStringLiteral("Update all games"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    TUpdateSettings settings;
    settings.TimeoutSeconds = updateTimeoutSeconds_;
    for (size_t i = 0; i < games.size() && !progress.wasCanceled(); ++i) {
        const std::string& path = games[i];
        progress.setValue(static_cast<int>(i));
        progress.setLabelText(QStringLiteral("Updating ") + QString::fromStdString(ExtractFileName(path)) +
                              QStringLiteral("..."));
        const std::unique_ptr<TPreparedUpdate> prepared = PrepareGameUpdate(path, settings);
        TUpdateOutcome outcome;
        if (game_.Draws && IsSameFile(game_.FilePath, path)) {
            outcome = prepared->Refused();
            outcome.Message = "The game is open: update it with \"Lottery > Update Draws from Source...\".";
        } else if (!prepared->Refusal.empty()) {
            outcome = prepared->Refused();
        } else {
            // The download runs beside the window, which stays responsive and can cancel it.
            TDownloadJob job(prepared->Request);
            QEventLoop wait;
            QTimer poll;
            connect(&poll, &QTimer::timeout, &wait, [&] {
                if (progress.wasCanceled())
                    job.Cancel();
                if (job.Finished())
                    wait.quit();
            });
            poll.start(50);
            wait.exec();
            outcome = FinishGameUpdate(*prepared, job.Take());
        }
        updateAll_.push_back({PathToText(ExtractFileName(path)), std::move(outcome)});
    }
    progress.setValue(static_cast<int>(games.size()));
    localGames_ = std::make_unique<TLocalGamesClass>(dataFolder_);
    FillLocalList();
    ShowInfo(UpdateSummaryText(updateAll_));
}

// --- Creation and the database -----------------------------------------------

void TfrmLotteryManager::CreateGame()
{
    if (wizardRunner_)
        wizardRunner_(this, drawsFolder_, hooks_);
    else
        TfrmCreateLottery::Start(this, drawsFolder_, hooks_);
    if (game_.Info.State == 2)
        close();
}

void TfrmLotteryManager::SearchDatabase()
{
    ui_->lvDatabase->hide();
    ui_->lblDatabaseStatus->setText(QString::fromLatin1(kRetrievingText));
    ShowPage(TManagerPage::Database);
    RefreshButtons();
    repaint();
    if (!databaseGames_) {
        databaseGames_ = std::make_unique<TDatabaseGames>();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        std::string error;
        try {
            RequestGamesList(endpoint_, *databaseGames_);
        } catch (const std::exception& e) {
            error = e.what();
        }
        QApplication::restoreOverrideCursor();
        RemoveUnwantedGames(*databaseGames_, localGames_.get());
        if (!error.empty()) {
            ShowError(error);
            return;
        }
    }
    FillDatabaseList();
    if (databaseGames_->Count() > 0) {
        ui_->lvDatabase->show();
    } else {
        ui_->lblDatabaseStatus->setText(QString::fromLatin1(kNoNewDatabaseGamesText));
    }
    RefreshButtons();
}

void TfrmLotteryManager::FillDatabaseList()
{
    QTableWidget* list = ui_->lvDatabase;
    list->setSortingEnabled(false);
    list->clearContents();
    list->setRowCount(0);
    for (int i = 1; databaseGames_ && i <= databaseGames_->Count(); ++i) {
        const TDatabaseGameRow row = DatabaseGameRow(*databaseGames_->GetRecord(i));
        const int r = list->rowCount();
        list->insertRow(r);
        QTableWidgetItem* caption = Cell(row.Name);
        caption->setData(kEntryRole, i);
        list->setItem(r, 0, caption);
        list->setItem(r, 1, Cell(row.Description));
        list->setItem(r, 2, Cell(row.Draws, true));
        list->setItem(r, 3, Cell(row.LastUpdate));
    }
    list->sortItems(0, Qt::AscendingOrder);
    list->clearSelection();
}

const TDatabaseGameRec* TfrmLotteryManager::SelectedDatabaseEntry() const
{
    if (!databaseGames_)
        return nullptr;
    for (QTableWidgetItem* item : ui_->lvDatabase->selectedItems())
        if (const QTableWidgetItem* caption = ui_->lvDatabase->item(item->row(), 0))
            return databaseGames_->GetRecord(caption->data(kEntryRole).toInt());
    return nullptr;
}

void TfrmLotteryManager::DownloadSelected()
{
    const TDatabaseGameRec* entry = SelectedDatabaseEntry();
    if (!entry)
        return;
    TDownloadedGame downloaded;
    std::string error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        downloaded = RequestGameDraws(endpoint_, entry->Identifier);
    } catch (const std::exception& e) {
        error = e.what();
    }
    QApplication::restoreOverrideCursor();
    if (!error.empty()) {
        ShowError(error);
        return;
    }
    // As the wizard does with a new game: the open one is closed (which may
    // ask about its changes) before anything is written.
    if (!hooks_.Close || !hooks_.Close())
        return;
    std::string path;
    try {
        path = WriteDownloadedGame(downloaded, drawsFolder_);
    } catch (const std::exception& e) {
        ShowError(e.what());
        return;
    }
    hooks_.Load(path);
    if (game_.Info.State == 1)
        game_.Info.State = 2;
    close();
}

void RunLotteryManager(QWidget* parent)
{
    // The same folder the environment makes at start-up.
    TfrmLotteryManager::Execute(parent, ProgramDataFolder(), InstalledDrawFileHooks());
}
