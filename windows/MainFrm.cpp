// TfrmMain: the widgets render what the rules of MainWindowRules compute and
// forward the user's commands to the environment.
#include "windows/MainFrm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "data/GameFile.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "platform/Paths.h"
#include "rules/MainWindowRules.h"
#include "widgets/BusyProgress.h"
#include "widgets/GridCellUi.h"
#include "widgets/GuardedUi.h"
#include "widgets/PathsUi.h"
#include "widgets/QtFont.h"
#include "widgets/QtPalette.h"
#include "widgets/QtText.h"
#include "windows/AboutFrm.h"
#include "windows/BacktestFrm.h"
#include "windows/ShellHooks.h"
#include "windows/UpdateSourceFrm.h"
#include "ui_MainFrm.h"

namespace {

void SetTextColor(QWidget* w, uint32_t color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, ColorFromRGB(color));
    w->setPalette(p);
}

QFont StyledFont(const QFont& base, bool bold, int pixelSize = 0, bool underline = false)
{
    QFont f = base;
    f.setBold(bold);
    f.setUnderline(underline);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    return f;
}

void FillCombo(QComboBox* combo, const std::vector<int32_t>& choices, int32_t value)
{
    combo->clear();
    for (int32_t c : choices)
        combo->addItem(QString::number(c));
    combo->setEditText(QString::number(value));
}

} // namespace

TfrmMain::TfrmMain(TEnvironmentClass& environment, QWidget* parent)
    : QMainWindow(parent), environment_(environment), ui_(std::make_unique<Ui::TfrmMain>())
{
    ui_->setupUi(this);
    popActiveFields_ = new QMenu(this);
    popActiveFields_->setObjectName(QStringLiteral("popActiveFields"));

    display_ = CreateAnalysisDisplay(ui_->tabJUXAnalysis, environment_);
    ui_->layoutAnalysis->addWidget(display_.Widget);

    ApplyLook();
    ConnectCommands();

    environment_.SetMainWindow(this);
    environment_.SetDisplay(display_.Link);
}

TfrmMain::~TfrmMain()
{
    environment_.SetMainWindow(nullptr);
    environment_.SetDisplay(nullptr);
    InstallSaveLotteryHook(nullptr);
}

void TfrmMain::ApplyLook()
{
    setWindowTitle(QString::fromLatin1(kMainCaption));
    const QFont base = WindowFont();
    setFont(base);

    // Client area 559 x 569 below the menu bar, centred; never smaller.
    const QSize client(559, 569 + menuBar()->sizeHint().height());
    resize(client);
    setMinimumSize(client);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FillBackground(ui_->pnlHeader, kSkyBlue);
    FillBackground(ui_->pnlParams, kMoneyGreen);
    for (QLabel* l : {ui_->lblActiveLottery, ui_->lblActiveField}) {
        l->setFont(StyledFont(base, true, 16));
        SetTextColor(l, kGreen);
    }
    for (QLabel* l : {ui_->txtActiveLottery, ui_->txtActiveField}) {
        l->setFont(StyledFont(base, true, 16));
        SetTextColor(l, kMaroon);
    }
    for (QLabel* l : {ui_->lblDraws, ui_->lblData, ui_->lblRF})
        l->setFont(StyledFont(base, true));
    for (QLabel* l : {ui_->txtDraws, ui_->txtData, ui_->txtRF})
        l->setMinimumWidth(60);

    for (QPushButton* b : {ui_->btnStart, ui_->btnFinalResults, ui_->btnOptions}) {
        b->setMinimumHeight(56);
        b->setFont(StyledFont(base, true, 16));
    }

    FillBackground(ui_->lblOptionsTitle, kSkyBlue);
    ui_->lblOptionsTitle->setFont(StyledFont(base, true, 16));
    ui_->lblOptionsTitle->setMinimumHeight(28);
    ui_->txtTotalDraws->setFont(StyledFont(base, true));
    ui_->lblModes->setFont(StyledFont(base, false, 0, true));
    for (QLabel* l :
         {ui_->lblFields, ui_->lblTotalDraws, ui_->lblTotalTestDraws, ui_->lblMaxStatData, ui_->lblStartPoint})
        l->setWordWrap(true);

    ui_->lblActiveField->installEventFilter(this);
    ui_->txtActiveField->installEventFilter(this);

    // Above the main buttons: where a new user begins.
    pnlFirstStep_ = new QWidget(ui_->tabMainActions);
    pnlFirstStep_->setObjectName(QStringLiteral("pnlFirstStep"));
    auto* firstStep = new QVBoxLayout(pnlFirstStep_);
    firstStep->setContentsMargins(0, 0, 0, 0);
    lblFirstStep_ = new QLabel(pnlFirstStep_);
    lblFirstStep_->setObjectName(QStringLiteral("lblFirstStep"));
    lblFirstStep_->setAlignment(Qt::AlignCenter);
    lblFirstStep_->setFont(StyledFont(base, true));
    btnFirstStep_ = new QPushButton(pnlFirstStep_);
    btnFirstStep_->setObjectName(QStringLiteral("btnFirstStep"));
    firstStep->addWidget(lblFirstStep_);
    firstStep->addWidget(btnFirstStep_, 0, Qt::AlignHCenter);
    ui_->layoutMainActions->insertWidget(2, pnlFirstStep_);
}

void TfrmMain::UpdateFirstStep()
{
    const TFirstStep step = FirstStep(environment_.RunState, environment_.GameOpen());
    lblFirstStep_->setText(FromText(step.Text));
    btnFirstStep_->setText(FromText(step.Button));
    pnlFirstStep_->setVisible(!step.Text.empty());
}

void TfrmMain::ConnectCommands()
{
    auto on = [this](QAction* action, void (TfrmMain::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    auto onClick = [this](QPushButton* button, void (TfrmMain::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    on(ui_->mniManageLottery, &TfrmMain::mniManageLotteryClick);
    on(ui_->mniSaveLottery, &TfrmMain::mniSaveLotteryClick);
    on(ui_->mniCloseLottery, &TfrmMain::mniCloseLotteryClick);
    on(ui_->mniLotteryDraws, &TfrmMain::mniLotteryDrawsClick);
    on(ui_->mniUpdateFromSource, &TfrmMain::mniUpdateFromSourceClick);
    on(ui_->mniExit, &TfrmMain::mniExitClick);
    on(ui_->mniImportRunState, &TfrmMain::mniImportRunStateClick);
    on(ui_->mniExportRunState, &TfrmMain::mniExportRunStateClick);
    on(ui_->mniClearPrediction, &TfrmMain::mniClearPredictionClick);
    on(ui_->mniOddsCalculator, &TfrmMain::mniOddsCalculatorClick);
    on(ui_->mniBacktest, &TfrmMain::mniBacktestClick);
    on(ui_->mniHelpFile, &TfrmMain::mniHelpFileClick);
    on(ui_->mniJUXOnline, &TfrmMain::mniJUXOnlineClick);
    on(ui_->mniApplicationDataFolder, &TfrmMain::mniApplicationDataFolderClick);
    on(ui_->mniAbout, &TfrmMain::mniAboutClick);

    onClick(ui_->btnStart, &TfrmMain::btnStartClick);
    onClick(btnFirstStep_, &TfrmMain::mniManageLotteryClick);
    onClick(ui_->btnFinalResults, &TfrmMain::btnFinalResultsClick);
    onClick(ui_->btnOptions, &TfrmMain::btnOptionsClick);
    onClick(ui_->btnOptionsAccept, &TfrmMain::btnOptionsAcceptClick);
    onClick(ui_->btnOptionsCancel, &TfrmMain::btnOptionsCancelClick);
    onClick(ui_->btnOptionsDefault, &TfrmMain::btnOptionsDefaultClick);
    onClick(ui_->btnResetStartPoint, &TfrmMain::btnResetStartPointClick);

    connect(ui_->edtStartPoint, &QLineEdit::editingFinished, this, [this] { UpdateStartPointLabel(); });
    connect(ui_->cbTotalTestDraws, &QComboBox::editTextChanged, this, [this] { UpdateStartPointLabel(); });
    connect(popActiveFields_, &QMenu::triggered, this,
            [this](QAction* item) { Guarded([this, item] { popActiveFieldsClicked(item); }); });
}

// --- Start-up and closing ----------------------------------------------------

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        FormShow();
    }
}

void TfrmMain::FormShow()
{
    ShowMainPage();
    InstallSaveLotteryHook([this] { SaveLottery(); });
    setWindowTitle(QString::fromLatin1(kMainCaption));
    UpdateControls();
    if (autoLoadOnShow_) {
        Guarded([this] {
            TGameOptions& options = environment_.Options();
            options.LoadProgramSettings(environment_.DataFolder);
            environment_.OpenGame(options.AutoLoadDraw);
            RefreshLotteryHeader();
        });
    } else {
        Guarded([this] { RefreshLotteryHeader(); });
    }
    UpdateControls();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    bool allowed = false;
    Guarded([&] {
        // QueryClose asks about the prediction, saves the program settings and closes the game.
        allowed = environment_.QueryClose();
    });
    UpdateControls();
    if (allowed)
        event->accept();
    else
        event->ignore();
}

// --- TMainWindowLink ---------------------------------------------------------

void TfrmMain::ShowMainPage() { ui_->pgMain->setCurrentWidget(ui_->tabMainActions); }

TfrmMain::TPage TfrmMain::CurrentPage() const
{
    if (ui_->pgMain->currentWidget() == ui_->tabOptions)
        return TPage::Options;
    if (ui_->pgMain->currentWidget() == ui_->tabJUXAnalysis)
        return TPage::Analysis;
    return TPage::MainActions;
}

void TfrmMain::ShowAnalysisPage() { ui_->pgMain->setCurrentWidget(ui_->tabJUXAnalysis); }

void TfrmMain::UpdateControls()
{
    const uint8_t state = environment_.RunState;
    const TCurrentGame& game = environment_.Game();
    const bool modified = game.Draws && game.Draws->Modified;
    const TMenuVisibility v = MenuVisibility(state, modified, !game.FilePath.empty());

    ui_->mniManageLottery->setVisible(v.ManageLotteries);
    ui_->mniSaveLottery->setVisible(v.SaveLottery);
    ui_->mniCloseLottery->setVisible(v.CloseLottery);
    ui_->mniLotteryDraws->setVisible(v.LotteryDraws);
    // Only a game kept in a file has an options file to hold its source.
    ui_->mniUpdateFromSource->setVisible(v.LotteryDraws && !game.FilePath.empty());
    ui_->mniExit->setVisible(v.Exit);
    ui_->mniImportRunState->setVisible(v.ImportRunState);
    ui_->mniExportRunState->setVisible(v.ExportRunState);
    ui_->mniClearPrediction->setVisible(v.ClearPrediction);
    ui_->mniOddsCalculator->setVisible(v.OddsCalculator);
    ui_->mniBacktest->setEnabled(v.BacktestEnabled);
    for (QAction* a : {ui_->mniHelpFile, ui_->mniApplicationDataFolder, ui_->mniAbout})
        a->setVisible(v.HelpItems);
    ui_->mniJUXOnline->setVisible(v.HelpItems && v.ProductPage);
    ui_->btnStart->setEnabled(v.StartEnabled);
    ui_->btnFinalResults->setEnabled(v.FinalResultsEnabled);
    ui_->btnOptions->setEnabled(v.OptionsEnabled);

    const TGameOptions& options = environment_.Options();
    ui_->txtDraws->setText(QString::fromStdString(ParameterText(state, options.TotalTestDraws)));
    ui_->txtData->setText(QString::fromStdString(ParameterText(state, options.MaxStatData)));
    ui_->txtRF->setText(QString::fromStdString(ParameterText(state, options.RunFactorOverhead)));
    ui_->lblLastDraw->setText(FromText(LastDrawLabel(state, game.Draws.get())));

    ui_->mniLottery->menuAction()->setEnabled(v.LotteryMenu);
    ui_->mniFunctions->menuAction()->setEnabled(v.FunctionsMenu);
    ui_->mniHelp->menuAction()->setEnabled(v.HelpMenu);
    UpdateFirstStep();
}

void TfrmMain::SetLotteryCaption(const std::string& text, bool hasFilePath)
{
    const TLotteryCaptionStyle style = LotteryCaptionStyle(hasFilePath);
    QLabel* caption = ui_->txtActiveLottery;
    caption->setText(FromText(text));
    SetTextColor(caption, style.Color);
    QFont f = caption->font();
    f.setItalic(style.Italic);
    caption->setFont(f);
    caption->setToolTip(FromText(style.Tip));
}

void TfrmMain::RefreshLotteryHeader()
{
    const TCurrentGame& game = environment_.Game();
    if (environment_.GameOpen()) {
        SetLotteryCaption(game.Info.Name, !game.FilePath.empty());
        if (!game.Draws || game.Draws->DrawCount() == 0)
            mniLotteryDrawsClick();
    }
    BuildActiveFieldList();
}

void TfrmMain::BuildActiveFieldList()
{
    popActiveFields_->clear();
    const std::vector<std::string> captions = ActiveFieldCaptions(environment_.Game().Info);
    for (size_t i = 0; i < captions.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        QAction* item = popActiveFields_->addAction(FromText(captions[i]));
        item->setObjectName(QStringLiteral("popActiveFieldsItem%1").arg(n));
        item->setData(n);
    }
    const Qt::CursorShape cursor = captions.size() >= 2 ? Qt::PointingHandCursor : Qt::ArrowCursor;
    ui_->lblActiveField->setCursor(cursor);
    ui_->txtActiveField->setCursor(cursor);

    if (!environment_.GameOpen())
        return;
    const int choose = ActiveFieldToChoose(static_cast<int>(captions.size()), environment_.Options().FieldSelected);
    if (choose > 0)
        popActiveFieldsClicked(popActiveFields_->actions().at(choose - 1));
}

void TfrmMain::popActiveFieldsClicked(QAction* item)
{
    if (!item)
        return;
    ui_->txtActiveField->setText(item->text());
    const uint8_t state = environment_.RunState;
    if (state == STANDBY || state == STARTED || state == PAUSED)
        return;
    if (state == FINISHED) {
        if (AskYesNoDefaultNo(kPredictionInMemoryText) != TModalResult::Yes)
            return;
        environment_.ChangeState(LOADED);
    }
    environment_.Options().SetFieldSelected(item->data().toInt());
    ShowMainPage();
    UpdateControls();
}

void TfrmMain::lblActiveFieldClick(QWidget* clicked)
{
    const uint8_t state = environment_.RunState;
    if (environment_.Game().Info.FieldCount < 2 || !environment_.GameOpen() || (state != LOADED && state != FINISHED))
        return;
    popActiveFields_->popup(clicked->mapToGlobal(QPoint(0, clicked->height())));
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        (watched == ui_->lblActiveField || watched == ui_->txtActiveField)) {
        QWidget* clicked = static_cast<QWidget*>(watched);
        Guarded([this, clicked] { lblActiveFieldClick(clicked); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

std::string TfrmMain::ActiveLotteryCaption() const { return ToText(ui_->txtActiveLottery->text()); }

std::string TfrmMain::ActiveFieldCaption() const { return ToText(ui_->txtActiveField->text()); }

// --- Main actions ------------------------------------------------------------

void TfrmMain::btnStartClick()
{
    if (environment_.StartCommand() == TEnvironmentClass::TStartOutcome::OpenManager)
        mniManageLotteryClick();
}

void TfrmMain::btnFinalResultsClick()
{
    if (environment_.RunState != FINISHED)
        return;
    if (display_.ShowFinalResults)
        display_.ShowFinalResults();
    ShowAnalysisPage();
}

void TfrmMain::SaveLottery()
{
    TCurrentGame& game = environment_.Game();
    if (environment_.RunState != STANDBY && game.Draws && game.Draws->Modified && !game.FilePath.empty())
        environment_.SaveGame();
    UpdateControls();
}

void TfrmMain::mniClearPredictionClick()
{
    if (environment_.RunState == FINISHED && AskYesNoDefaultNo(kPredictionInMemoryText) == TModalResult::Yes) {
        ShowMainPage();
        environment_.ChangeState(LOADED);
    }
    UpdateControls();
}

// --- Options page ------------------------------------------------------------

void TfrmMain::FillOptionsPage()
{
    const TGameOptions& options = environment_.Options();
    const TOptionsPageValues page = OptionsPageValues(options);
    const int32_t drawCount = options.DrawCount();

    ui_->cbFields->clear();
    for (QAction* item : popActiveFields_->actions())
        ui_->cbFields->addItem(item->text());
    const int current = ui_->cbFields->findText(ui_->txtActiveField->text(), Qt::MatchExactly);
    ui_->cbFields->setCurrentIndex(current >= 0 ? current : std::max(0, options.FieldSelected - 1));

    ui_->txtTotalDraws->setText(QString::number(drawCount));
    FillCombo(ui_->cbTotalTestDraws, TestDrawChoices(drawCount), options.TotalTestDraws);
    FillCombo(ui_->cbMaxStatData, StatDataChoices(drawCount), options.MaxStatData);
    ui_->edtStartPoint->setText(QString::fromStdString(page.StartPoint));
    ui_->chkAugmentative->setChecked(page.Augmentative);
    ui_->chkAbsolute->setChecked(page.Absolute);
    ui_->chkBuildup->setChecked(page.Buildup);

    ui_->edtMinReqNumbers->setText(QString::fromStdString(page.MinReqNumbers));
    ui_->edtMaxReqNumbers->setText(QString::fromStdString(page.MaxReqNumbers));
    ui_->edtMinHitCategory->setText(QString::fromStdString(page.MinHitCategory));
    ui_->edtMaxHitCategory->setText(QString::fromStdString(page.MaxHitCategory));
    FillCombo(ui_->cbMaxJUXsPerColumn, JUXsPerColumnChoices(), options.MaximumJUXsPerColumn);
    FillCombo(ui_->cbMaxJUXsToScan, JUXsToScanChoices(), options.MaximumJUXsToScan);
    ui_->edtCompareNums->setText(QString::fromStdString(page.CompareNums));
    ui_->memKeepJUXs->setPlainText(QString::fromStdString(page.KeepJUXs));
    ui_->edtAnalysisThreads->setValue(page.AnalysisThreads);
    UpdateStartPointLabel();
}

void TfrmMain::UpdateStartPointLabel()
{
    const int32_t r = RunFactorFor(environment_.Options().DrawCount(), ToText(ui_->edtStartPoint->text()),
                                   ToText(ui_->cbTotalTestDraws->currentText()));
    ui_->lblStartPoint->setText(QString::fromStdString(StartPointLabel(r)));
}

void TfrmMain::btnOptionsClick()
{
    if (!environment_.GameOpen())
        return;
    FillOptionsPage();
    ui_->pgMain->setCurrentWidget(ui_->tabOptions);
}

void TfrmMain::btnResetStartPointClick()
{
    ui_->edtStartPoint->setText(QString::fromStdString(
        ResetStartPointText(environment_.Options().DrawCount(), ToText(ui_->cbTotalTestDraws->currentText()))));
    UpdateStartPointLabel();
}

void TfrmMain::btnOptionsCancelClick() { ShowMainPage(); }

void TfrmMain::btnOptionsDefaultClick()
{
    environment_.Options().SetDefaults();
    FillOptionsPage();
}

void TfrmMain::btnOptionsAcceptClick()
{
    if (environment_.RunState == FINISHED && AskYesNoDefaultNo(kPredictionInMemoryText) != TModalResult::Yes)
        return;

    TOptionsPageValues page;
    page.TotalTestDraws = ToText(ui_->cbTotalTestDraws->currentText());
    page.MaxStatData = ToText(ui_->cbMaxStatData->currentText());
    page.StartPoint = ToText(ui_->edtStartPoint->text());
    page.MinReqNumbers = ToText(ui_->edtMinReqNumbers->text());
    page.MaxReqNumbers = ToText(ui_->edtMaxReqNumbers->text());
    page.MinHitCategory = ToText(ui_->edtMinHitCategory->text());
    page.MaxHitCategory = ToText(ui_->edtMaxHitCategory->text());
    page.MaximumJUXsPerColumn = ToText(ui_->cbMaxJUXsPerColumn->currentText());
    page.MaximumJUXsToScan = ToText(ui_->cbMaxJUXsToScan->currentText());
    page.Augmentative = ui_->chkAugmentative->isChecked();
    page.Absolute = ui_->chkAbsolute->isChecked();
    page.Buildup = ui_->chkBuildup->isChecked();
    page.CompareNums = ToText(ui_->edtCompareNums->text());
    page.KeepJUXs = ToText(ui_->memKeepJUXs->toPlainText());
    page.AnalysisThreads = ui_->edtAnalysisThreads->value();

    // A failure is shown and the page stays open.
    StoreOptionsPage(page, environment_.Options());

    if (environment_.RunState != LOADED)
        environment_.ChangeState(LOADED);
    const QList<QAction*> items = popActiveFields_->actions();
    const int chosen = ui_->cbFields->currentIndex();
    if (chosen >= 0 && chosen < items.size())
        popActiveFieldsClicked(items.at(chosen));
    UpdateControls();
    ShowMainPage();
}

// --- Lottery commands --------------------------------------------------------

void TfrmMain::mniManageLotteryClick()
{
    OpenLotteryManager(this);
    RefreshLotteryHeader();
    UpdateControls();
}

void TfrmMain::mniSaveLotteryClick() { SaveLottery(); }

void TfrmMain::mniCloseLotteryClick()
{
    if (environment_.CloseLotteryCommand()) {
        SetLotteryCaption("-", true);
        ui_->txtActiveField->setText(QStringLiteral("-"));
        BuildActiveFieldList();
        ShowMainPage();
    }
    UpdateControls();
}

void TfrmMain::mniLotteryDrawsClick()
{
    if (!environment_.GameOpen())
        return;
    OpenDrawsEditor(this, environment_);
    UpdateControls();
}

void TfrmMain::mniUpdateFromSourceClick()
{
    if (!environment_.GameOpen() || environment_.RunState != LOADED)
        return;
    OpenUpdateFromSource(this, environment_);
    UpdateControls();
}

void TfrmMain::mniExitClick() { close(); }

// --- Run state commands ------------------------------------------------------

std::string TfrmMain::RunStateFileName() const { return UniqueFileName(ActiveLotteryCaption() + ".jsf", ""); }

std::string TfrmMain::ChooseFile(bool save, const std::string& proposedName)
{
    if (fileChooser_)
        return fileChooser_(save, proposedName);
    const QString filter = QString::fromLatin1(kRunStateFilter);
    // The proposed name is made from the lottery's name, a text.
    const QString chosen =
        save ? ChooseSaveFileName(this, QString(), FromText(proposedName), filter, QStringLiteral("jsf"))
             : QFileDialog::getOpenFileName(this, QString(), FromText(proposedName), filter);
    return PathFromQt(chosen);
}

void TfrmMain::mniImportRunStateClick()
{
    if (environment_.RunState != STANDBY)
        return;
    const std::string path = ChooseFile(false, RunStateFileName());
    if (path.empty() || !FileExists(path))
        return;
    try {
        environment_.ImportRunState(path);
    } catch (const std::exception&) {
        // The run state reader shows its own messages.
    }
    UpdateControls();
}

void TfrmMain::mniExportRunStateClick()
{
    if (environment_.RunState != PAUSED && environment_.RunState != FINISHED)
        return;
    const std::string path = ChooseFile(true, RunStateFileName());
    if (path.empty())
        return;
    {
        TBusyProgress busy(this, QStringLiteral("Saving the run state..."));
        environment_.ExportRunState(path, busy.Callback());
    }
    UpdateControls();
}

// --- Functions and help ------------------------------------------------------

void TfrmMain::mniOddsCalculatorClick()
{
    const uint8_t state = environment_.RunState;
    if (state == STANDBY || !environment_.GameOpen()) {
        OpenOddsCalculator(this, false, 0, 0, 0);
        return;
    }
    const int32_t requested = display_.RequestedNumbers ? display_.RequestedNumbers() : 0;
    const TOddsPreset p = OddsPreset(environment_.Game().Info, environment_.Options().FieldSelected, state, requested);
    OpenOddsCalculator(this, true, p.Total, p.Picked, p.Played);
}

void TfrmMain::mniBacktestClick()
{
    if (environment_.RunState != LOADED || !environment_.GameOpen() || !environment_.Game().Draws)
        return;
    OpenBacktest(this, *environment_.Game().Draws, environment_.Options());
}

void TfrmMain::OpenOnDesktop(const QUrl& url, const char* noProgramText, const std::string& where)
{
    const bool opened = urlOpener_ ? urlOpener_(url) : QDesktopServices::openUrl(url);
    if (!opened)
        ShowError(std::string(noProgramText) + "\n\r" + where);
}

void TfrmMain::mniHelpFileClick()
{
    std::string lookedAt;
    for (const std::string& candidate : HelpFileCandidates(environment_.ProgramFolder)) {
        const QString path = PathToQt(candidate);
        if (QFileInfo::exists(path)) {
            OpenOnDesktop(QUrl::fromLocalFile(path), kNoGuideViewerText, PathToText(candidate));
            return;
        }
        lookedAt += "\n\r" + PathToText(candidate);
    }
    ShowError(kHelpFileError + std::string("\n\rThe guide was looked for at:") + lookedAt);
}

void TfrmMain::mniJUXOnlineClick()
{
    if (kProductWebPage[0] == '\0')
        return;
    OpenOnDesktop(QUrl(QString::fromLatin1(kProductWebPage)), kNoBrowserText, kProductWebPage);
}

void TfrmMain::mniApplicationDataFolderClick()
{
    OpenOnDesktop(QUrl::fromLocalFile(PathToQt(environment_.DataFolder)), kNoFileManagerText,
                  PathToText(environment_.DataFolder));
}

void TfrmMain::mniAboutClick()
{
    TfrmAbout about(this);
    about.exec();
}
