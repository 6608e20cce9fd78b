// The wizard's widgets only show the definition it builds; what each choice
// sets and what each check answers comes from LotteryRules.
#include "windows/CreateLotteryFrm.h"

#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "platform/Paths.h"
#include "rules/LotteryRules.h"
#include "widgets/QtFont.h"
#include "widgets/QtText.h"
#include "ui_CreateLotteryFrm.h"

TDrawFileHooks InstalledDrawFileHooks()
{
    return {[](const std::string& path) { loadDrawFile(path); }, [] { return closeDrawFile(); }};
}

namespace {

void FillCombo(QComboBox* combo, const std::vector<std::string>& items, int selected)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& s : items)
        combo->addItem(FromText(s));
    combo->setCurrentIndex(selected);
}

// The first character of `text` a game file cannot hold: its 1-based place
// among the characters and its index in the QString; 0 when all can be held.
int FirstUnstorable(const QString& text, char32_t& codePoint, qsizetype& index)
{
    int position = 0;
    index = 0;
    for (qsizetype i = 0; i < text.size(); ++position) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        codePoint = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        if (CodePointToWin1252(codePoint) < 0) {
            index = i;
            return position + 1;
        }
        i += pair ? 2 : 1;
    }
    return 0;
}

std::vector<std::string> PickedItems()
{
    std::vector<std::string> items;
    for (int n = 1; n <= 7; ++n)
        items.push_back(std::to_string(n));
    return items;
}

} // namespace

TfrmCreateLottery::TfrmCreateLottery(const std::string& drawsFolder, TDrawFileHooks hooks, QWidget* parent,
                                     TCurrentGame& game)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmCreateLottery>()), drawsFolder_(drawsFolder),
      hooks_(std::move(hooks)), game_(game)
{
    ui_->setupUi(this);
    ApplyLook();

    FillCombo(ui_->cbGameType, GameTypeCaptions(), 0);
    FillCombo(ui_->cbF2Status, Field2StatusItems(), 0);
    FillCombo(ui_->cbDPD, DrawsPerDayItems(), 0);
    ui_->memDPD->setPlainText(FromText(DrawsPerDayMemo()));
    // The separate-containers choice is not offered: Ordered stays clear.
    for (QWidget* w : {static_cast<QWidget*>(ui_->chkF1Containers), static_cast<QWidget*>(ui_->chkF2Containers)})
        w->hide();

    connect(ui_->btnCancel, &QPushButton::clicked, this, &TfrmCreateLottery::btnCancelClick);
    connect(ui_->btnBack, &QPushButton::clicked, this, &TfrmCreateLottery::btnBackClick);
    connect(ui_->btnNext, &QPushButton::clicked, this, &TfrmCreateLottery::btnNextClick);
    auto onIndex = [this](QComboBox* combo, void (TfrmCreateLottery::*handler)()) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, handler](int) { (this->*handler)(); });
    };
    onIndex(ui_->cbGameType, &TfrmCreateLottery::cbGameTypeChange);
    onIndex(ui_->cbF1k, &TfrmCreateLottery::cbF1kChange);
    onIndex(ui_->cbF2k, &TfrmCreateLottery::cbF2kChange);
    onIndex(ui_->cbF1v, &TfrmCreateLottery::cbF1vChange);
    onIndex(ui_->cbF2v, &TfrmCreateLottery::cbF2vChange);
    onIndex(ui_->cbF2Status, &TfrmCreateLottery::cbF2StatusChange);
    onIndex(ui_->cbDPD, &TfrmCreateLottery::cbDPDChange);
    connect(ui_->edtGameName, &QLineEdit::textChanged, this, &TfrmCreateLottery::edtGameNameChange);
    connect(ui_->edtF1Name, &QLineEdit::textChanged, this, &TfrmCreateLottery::edtF1NameChange);
    connect(ui_->edtF2Name, &QLineEdit::textChanged, this, &TfrmCreateLottery::edtF2NameChange);

    ShowPage(pgGameType);
    cbGameTypeChange();
}

TfrmCreateLottery::~TfrmCreateLottery() = default;

void TfrmCreateLottery::ApplyLook()
{
    setWindowTitle(QString::fromLatin1(kWizardCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    setFixedSize(301, 257);
    // Enter goes on to the next page, as "Next" does.
    ui_->btnNext->setDefault(true);
    // The two field groups keep their width whatever field 2 shows.
    ui_->layGroups->setStretch(0, 1);
    ui_->layGroups->setStretch(1, 1);
    QFont bold = DialogFont();
    bold.setBold(true);
    for (QWidget* w : {static_cast<QWidget*>(ui_->lblGameType), static_cast<QWidget*>(ui_->lblDPD),
                       static_cast<QWidget*>(ui_->lblNote)})
        w->setFont(bold);
}

bool TfrmCreateLottery::Prepare()
{
    if (!hooks_.Close) {
        ShowError(kUndefinedCloseHookError);
        return false;
    }
    if (!hooks_.Load) {
        ShowError(kUndefinedLoadHookError);
        return false;
    }
    if (drawsFolder_.empty() || !DirectoryExists(drawsFolder_)) {
        ShowError(kMissingFolderError + PathToText(drawsFolder_));
        return false;
    }
    drawsFolder_ = IncludeTrailingPathDelimiter(drawsFolder_);
    ShowPage(pgGameType);
    cbGameTypeChange();
    return true;
}

bool TfrmCreateLottery::Start(QWidget* parent, const std::string& drawsFolder, TDrawFileHooks hooks)
{
    TfrmCreateLottery wizard(drawsFolder, std::move(hooks), parent);
    if (!wizard.Prepare())
        return false;
    wizard.exec();
    return !wizard.FilePath().empty();
}

int TfrmCreateLottery::CurrentPage() const { return ui_->pgWizard->currentIndex(); }

void TfrmCreateLottery::ShowPage(TPage page)
{
    ui_->pgWizard->setCurrentIndex(page);
    RefreshButtons();
}

void TfrmCreateLottery::RefreshButtons()
{
    const int page = CurrentPage();
    ui_->btnNext->setText(page == pgDates ? QStringLiteral("Create") : QStringLiteral("Next"));
    ui_->btnBack->setEnabled(page != pgGameType);
}

// --- Buttons -----------------------------------------------------------------

void TfrmCreateLottery::btnCancelClick() { close(); }

void TfrmCreateLottery::btnBackClick()
{
    switch (CurrentPage()) {
    case pgFields: ShowPage(pgGameType); break;
    case pgDates:
        FillFieldsPage();
        ShowPage(pgFields);
        break;
    default: break;
    }
}

void TfrmCreateLottery::btnNextClick()
{
    switch (CurrentPage()) {
    case pgGameType: LeaveGameTypePage(); break;
    case pgFields: LeaveFieldsPage(); break;
    case pgDates: CreateGame(); break;
    default: break;
    }
}

void TfrmCreateLottery::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

bool TfrmCreateLottery::FormCloseQuery()
{
    if (created_)
        return true;
    return AskYesNo(kNotCreatedQuestion) == TModalResult::Yes;
}

// --- Game type page ----------------------------------------------------------

void TfrmCreateLottery::cbGameTypeChange()
{
    gameType_ = std::max(0, ui_->cbGameType->currentIndex());
    ui_->memGameType->setPlainText(FromText(GameTypeMemo(gameType_)));
}

void TfrmCreateLottery::LeaveGameTypePage()
{
    gameType_ = std::max(0, ui_->cbGameType->currentIndex());
    info_ = GameTypeDefinition(gameType_);
    proposedName_ = info_.Name;
    const TTypeControls controls = TypeControls(gameType_);
    ui_->cbF1k->setEnabled(controls.F1PickedEnabled);
    ui_->cbF2Status->setEnabled(controls.F2StatusEnabled);
    ui_->cbF1v->setEnabled(controls.F1TotalEnabled);
    ui_->cbF2k->setEnabled(controls.F2PickedEnabled);
    FillFieldsPage();
    ShowPage(pgFields);
}

// --- Fields page -------------------------------------------------------------

void TfrmCreateLottery::FillFieldsPage()
{
    for (QLineEdit* e : {ui_->edtGameName, ui_->edtF1Name, ui_->edtF2Name}) {
        const QSignalBlocker block(e);
        e->setText(FromText(e == ui_->edtGameName ? info_.Name
                            : e == ui_->edtF1Name ? info_.FieldNames[0]
                                                  : info_.FieldNames[1]));
    }
    FillCombo(ui_->cbF1k, PickedItems(), info_.Fields[0].Picked - 1);
    FillCombo(ui_->cbF2k, PickedItems(), info_.Fields[1].Picked - 1);
    FillTotalList(0);
    FillTotalList(1);
    {
        const QSignalBlocker block(ui_->cbF2Status);
        ui_->cbF2Status->setCurrentIndex(Field2StatusPosition(info_.Field2Kind));
    }
    cbF2StatusChange();
}

void TfrmCreateLottery::FillTotalList(int field)
{
    QComboBox* combo = field == 0 ? ui_->cbF1v : ui_->cbF2v;
    const TTotalList list = ApplyTotalListRule(info_.Fields[field]);
    std::vector<std::string> items;
    for (int32_t n : list.Items)
        items.push_back(std::to_string(n));
    FillCombo(combo, items, list.Selected);
}

void TfrmCreateLottery::FollowProposedName()
{
    // Once the user typed a name of their own, it stays as typed.
    if (proposedName_.empty() || info_.Name != proposedName_)
        return;
    proposedName_ = info_.Name = ProposedGameName(info_);
    const QSignalBlocker block(ui_->edtGameName);
    ui_->edtGameName->setText(FromText(info_.Name));
}

void TfrmCreateLottery::RefreshLabels()
{
    FollowProposedName();
    ui_->lblDescription->setText(FromText(DescriptionLabel(info_)));
    ui_->lblTickets->setText(FromText(TicketsLabel(info_)));
}

void TfrmCreateLottery::edtGameNameChange() { info_.Name = ToText(ui_->edtGameName->text()); }

void TfrmCreateLottery::edtF1NameChange() { info_.FieldNames[0] = ToText(ui_->edtF1Name->text()); }

void TfrmCreateLottery::edtF2NameChange() { info_.FieldNames[1] = ToText(ui_->edtF2Name->text()); }

void TfrmCreateLottery::cbF1kChange()
{
    info_.Fields[0].Picked = ui_->cbF1k->currentIndex() + 1;
    FillTotalList(0);
    RefreshLabels();
}

void TfrmCreateLottery::cbF2kChange()
{
    info_.Fields[1].Picked = ui_->cbF2k->currentIndex() + 1;
    FillTotalList(1);
    RefreshLabels();
}

void TfrmCreateLottery::cbF1vChange()
{
    info_.Fields[0].Total = ui_->cbF1v->currentText().toInt();
    RefreshLabels();
}

void TfrmCreateLottery::cbF2vChange()
{
    info_.Fields[1].Total = ui_->cbF2v->currentText().toInt();
    RefreshLabels();
}

void TfrmCreateLottery::cbF2StatusChange()
{
    info_.Field2Kind = Field2KindAt(ui_->cbF2Status->currentIndex());
    const TField2Visibility v = Field2Visibility(info_.Field2Kind);
    ui_->edtF2Name->setVisible(v.NameVisible);
    ui_->lblF2Name->setVisible(v.NameVisible);
    ui_->lblF2k->setVisible(v.PickedVisible);
    ui_->cbF2k->setVisible(v.PickedVisible);
    ui_->lblF2v->setVisible(v.TotalVisible);
    ui_->cbF2v->setVisible(v.TotalVisible);
    ui_->lblNoParams->setVisible(v.NoParamsVisible);
    RefreshLabels();
}

bool TfrmCreateLottery::NamesStorable()
{
    const std::pair<QLineEdit*, const char*> names[] = {
        {ui_->edtGameName, "game name"}, {ui_->edtF1Name, "name of field 1"}, {ui_->edtF2Name, "name of field 2"}};
    for (const auto& [edit, what] : names) {
        if (edit == ui_->edtF2Name && !Field2Visibility(info_.Field2Kind).NameVisible)
            continue;
        char32_t codePoint = 0;
        qsizetype index = 0;
        const int position = FirstUnstorable(edit->text(), codePoint, index);
        if (position == 0)
            continue;
        ShowError(UnstorableCharacterText(what, position, codePoint));
        // The user sees which character it is.
        edit->setFocus();
        edit->setSelection(static_cast<int>(index), codePoint > 0xFFFF ? 2 : 1);
        return false;
    }
    return true;
}

void TfrmCreateLottery::LeaveFieldsPage()
{
    // Nothing is stored as '?' in place of a character the file cannot hold.
    if (!NamesStorable())
        return;
    // The checks work on a copy: an error keeps the page as the user typed it.
    TGameInfo checked = info_;
    const TFieldsCheck check = CheckFieldsPage(checked);
    if (check.Outcome == TFieldsCheck::Error) {
        ShowError(check.Message);
        return;
    }
    if (check.Outcome == TFieldsCheck::Ask && ShowWarningYesNo(check.Message) != TModalResult::Yes)
        return;
    info_ = std::move(checked);
    {
        const QSignalBlocker block(ui_->cbDPD);
        ui_->cbDPD->setCurrentIndex(dpdPosition_);
    }
    info_.DrawsPerDay = dpdPosition_;
    ShowPage(pgDates);
}

// --- Dates page and creation -------------------------------------------------

void TfrmCreateLottery::cbDPDChange()
{
    dpdPosition_ = std::max(0, ui_->cbDPD->currentIndex());
    info_.DrawsPerDay = dpdPosition_;
}

void TfrmCreateLottery::CreateGame()
{
    info_.DrawsPerDay = dpdPosition_;
    std::string path;
    try {
        path = NewGameFilePath(info_.Name, drawsFolder_);
    } catch (const std::exception&) {
        // The draws folder went away while the wizard was open.
        ShowError(kCannotCreateFileError);
        close();
        return;
    }
    if (!hooks_.Close())
        return;

    // Examined before it takes its name; a name taken meanwhile is kept.
    std::string error;
    const TNewGameResult result = CreateGameFile(path, info_, nullptr, error);
    // Nothing is written for a definition the header writer refused.
    created_ = result != TNewGameResult::Refused;
    if (result == TNewGameResult::Refused)
        return;
    if (result == TNewGameResult::NotWritten) {
        ShowError(kCannotCreateFileError);
        close();
        return;
    }
    filePath_ = path;
    hooks_.Load(path);
    if (game_.Info.State == 1)
        game_.Info.State = 2;
    accept();
}
