// The draws editor window: renders TDrawEditor and forwards clicks.
#include "windows/DrawModifyF.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include "data/DrawsExport.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "platform/Paths.h"
#include "widgets/DisplayFrame.h"
#include "widgets/NumberFrame.h"
#include "widgets/PathsUi.h"
#include "widgets/QtFont.h"
#include "widgets/QtPalette.h"
#include "widgets/QtText.h"
#include "widgets/WindowPlacement.h"
#include "windows/ImportDrawsEntry.h"
#include "windows/ShellHooks.h"

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedHeight(25);
    b->setMinimumWidth(0);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TDrawModifyForm::TDrawModifyForm(TEnvironmentClass& environment, QWidget* parent)
    : QDialog(parent), environment_(environment), rng_(std::random_device{}())
{
    setObjectName(QStringLiteral("DrawModifyForm"));
    setWindowTitle(QString::fromLatin1(kEditorCaption));
    TCurrentGame& game = environment_.Game();
    if (!environment_.GameOpen() || !game.Draws) {
        ShowError(kNoLotteryText);
        return;
    }
    editor_ = std::make_unique<TDrawEditor>(*game.Draws, !game.FilePath.empty());
    BuildWindow();
    lblTitle_->setText(FromText(game.Info.Name));

    editor_->DefineColumns(display_->List());
    display_->List().TitleCallback = [this] { return editor_->ListTitle(display_->List()); };
    display_->OnSelect = [this] { RefreshButtons(); };
    display_->OnDoubleClick = [this] { GetBClick(); };
    SetupGrid();
    RebuildRows();
    display_->SelectByKey(editor_->Draws().DrawCount());

    const int perDay = game.Info.DrawsPerDay;
    indexSE_->setRange(1, std::max(1, perDay));
    indexSE_->setValue(1);
    indexSE_->setVisible(perDay > 1);
    lblIndex_->setVisible(perDay > 1);
    pnlDate_->setVisible(perDay > 0);
    RefreshButtons();
    calendar_->setSelectedDate(QDate::currentDate());
    calendar_->setFocus();
}

TDrawModifyForm::~TDrawModifyForm() = default;

void TDrawModifyForm::Execute(QWidget* parent, TEnvironmentClass& environment)
{
    auto* form = new TDrawModifyForm(environment, parent);
    if (!form->Created()) {
        delete form;
        return;
    }
    form->setAttribute(Qt::WA_DeleteOnClose);
    TrackPlacement(*form, "DrawsEditor");
    form->exec();
}

void TDrawModifyForm::BuildWindow()
{
    setFont(DialogFont());
    // Wider than the classic 515 pixels, so the list shows its columns in today's fonts.
    resize(760, 440);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(4);
    lblTitle_ = new QLabel(this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setAlignment(Qt::AlignCenter);
    lblTitle_->setStyleSheet(QStringLiteral("background-color: %1; color: black; font-weight: bold; padding: 3px;")
                                 .arg(StyleColor(kSkyBlue)));
    outer->addWidget(lblTitle_);

    auto* body = new QHBoxLayout;
    body->setSpacing(6);
    outer->addLayout(body, 1);

    auto* left = new QWidget(this);
    left->setObjectName(QStringLiteral("pnlLeft"));
    // 287 pixels, or what the calendar and the index beside it need.
    left->setMinimumWidth(287);
    left->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    auto* fieldRow = new QHBoxLayout;
    fieldUD_ = new QSpinBox(left);
    fieldUD_->setObjectName(QStringLiteral("FieldUD"));
    fieldUD_->setRange(1, 1);
    fieldUD_->setFixedWidth(40);
    lblField_ = new QLabel(left);
    lblField_->setObjectName(QStringLiteral("lblField"));
    lblField_->setStyleSheet(QStringLiteral("font-weight: bold;"));
    fieldRow->addSpacing(8);
    fieldRow->addWidget(fieldUD_);
    fieldRow->addWidget(lblField_, 1);
    column->addLayout(fieldRow);
    numbers_ = new TNumbersFrame(left);
    column->addWidget(numbers_, 0, Qt::AlignHCenter);

    pnlDate_ = new QWidget(left);
    pnlDate_->setObjectName(QStringLiteral("pnlDate"));
    auto* dateRow = new QHBoxLayout(pnlDate_);
    dateRow->setContentsMargins(0, 0, 0, 0);
    calendar_ = new QCalendarWidget(pnlDate_);
    calendar_->setObjectName(QStringLiteral("Calendar"));
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar_->setGridVisible(false);
    // As large as its day names need: a narrower calendar cuts "Mon" to "M...".
    calendar_->setFixedSize(calendar_->minimumSizeHint().expandedTo(QSize(200, 150)));
    // Today is not marked.
    calendar_->setDateTextFormat(QDate::currentDate(), QTextCharFormat());
    lblIndex_ = new QLabel(QStringLiteral("Index"), pnlDate_);
    lblIndex_->setObjectName(QStringLiteral("lblIndex"));
    indexSE_ = new QSpinBox(pnlDate_);
    indexSE_->setObjectName(QStringLiteral("IndexSE"));
    indexSE_->setStyleSheet(QStringLiteral("background-color: #FFFBF0;"));
    indexSE_->setFixedWidth(44);
    const bool several = editor_->Game().DrawsPerDay > 1;
    dateRow->addSpacing(several ? 8 : 0);
    if (!several)
        dateRow->addStretch(1);
    dateRow->addWidget(calendar_);
    if (!several)
        dateRow->addStretch(1);
    auto* indexColumn = new QVBoxLayout;
    indexColumn->addWidget(lblIndex_);
    indexColumn->addWidget(indexSE_);
    indexColumn->addStretch(1);
    dateRow->addLayout(indexColumn);
    if (several)
        dateRow->addStretch(1);
    column->addWidget(pnlDate_);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(2);
    getB_ = MakeButton(left, "GetB", "Get");
    addB_ = MakeButton(left, "AddB", "Add");
    insertB_ = MakeButton(left, "InsertB", "Insert");
    replaceB_ = MakeButton(left, "ReplaceB", "Replace");
    deleteB_ = MakeButton(left, "DeleteB", "Delete");
    clearB_ = MakeButton(left, "ClearB", "Clear");
    randomB_ = MakeButton(left, "RandomB", "Random");
    importB_ = MakeButton(left, "ImportB", "Import");
    saveB_ = MakeButton(left, "btnSave", "Save");
    closeB_ = MakeButton(left, "CloseB", "Close");
    QPushButton* all[] = {getB_, addB_, insertB_, replaceB_, deleteB_, clearB_, randomB_, importB_, saveB_, closeB_};
    for (int i = 0; i < 10; ++i)
        buttons->addWidget(all[i], i / 5, i % 5);
    column->addLayout(buttons);
    column->addStretch(1);
    body->addWidget(left);

    display_ = new TDisplayF(this);
    body->addWidget(display_, 1);
    // Never smaller than everything in it needs (more than the classic
    // 515 x 336): at a smaller size the calendar covered the grid and the
    // last buttons were cut.
    outer->setSizeConstraint(QLayout::SetMinimumSize);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    auto item = [&](const char* name, const char* caption, void (TDrawModifyForm::*handler)()) {
        QAction* a = popupMenu_->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    item("ImportDrawsItem", "Import draws from text file", &TDrawModifyForm::ImportDrawsItemClick);
    item("ExportDrawsItem", "Export draws to text file", &TDrawModifyForm::ExportDrawsItemClick);
    item("ExportDrawsOptionsItem", "Export draws options", &TDrawModifyForm::ExportDrawsOptionsItemClick)
        ->setVisible(false);
    popupMenu_->addSeparator();
    item("MissingDrawsItem", "Test for missing draws (complete)", &TDrawModifyForm::MissingDrawsItemClick)
        ->setVisible(false);
    importB_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(importB_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu_->popup(importB_->mapToGlobal(at)); });

    connect(fieldUD_, &QSpinBox::valueChanged, this, [this] { FieldUDClick(); });
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &TDrawModifyForm::CalendarClick);
    connect(indexSE_, &QSpinBox::valueChanged, this, [this] { IndexSEChange(); });
    connect(getB_, &QPushButton::clicked, this, &TDrawModifyForm::GetBClick);
    connect(addB_, &QPushButton::clicked, this, &TDrawModifyForm::AddBClick);
    connect(insertB_, &QPushButton::clicked, this, &TDrawModifyForm::InsertBClick);
    connect(replaceB_, &QPushButton::clicked, this, &TDrawModifyForm::ReplaceBClick);
    connect(deleteB_, &QPushButton::clicked, this, &TDrawModifyForm::DeleteBClick);
    connect(clearB_, &QPushButton::clicked, this, &TDrawModifyForm::ClearBClick);
    connect(randomB_, &QPushButton::clicked, this, &TDrawModifyForm::RandomBClick);
    connect(importB_, &QPushButton::clicked, this, &TDrawModifyForm::ImportBClick);
    connect(saveB_, &QPushButton::clicked, this, &TDrawModifyForm::btnSaveClick);
    connect(closeB_, &QPushButton::clicked, this, &TDrawModifyForm::CloseBClick);
    numbers_->OnChange = [this] { CopyGrid(); };
}

TDateTime TDrawModifyForm::CalendarDay() const
{
    if (!editor_->Draws().Dated())
        return 0;
    const QDate d = calendar_->selectedDate();
    return EncodeDate(d.year(), d.month(), d.day());
}

int TDrawModifyForm::SpinIndex() const { return editor_->Draws().Dated() ? indexSE_->value() : 0; }

int TDrawModifyForm::Selected() const { return display_->SelectedKey(); }

void TDrawModifyForm::SetupGrid()
{
    const TGridSetup s = editor_->GridSetup();
    {
        const QSignalBlocker block(fieldUD_);
        fieldUD_->setRange(1, s.SelectorMax);
        fieldUD_->setValue(s.Field);
    }
    fieldUD_->setVisible(s.SelectorVisible);
    fieldUD_->setEnabled(s.SelectorEnabled);
    lblField_->setText(FromText(s.FieldName));
    numbers_->SetTotalNumbers(s.Total);
    numbers_->SetFaceOffset(s.FaceOffset);
    numbers_->SetLimit(1, 1, s.Picked);
    for (int n : s.Disabled)
        numbers_->SetDisabled(n, true);
}

void TDrawModifyForm::PutWorkOnGrid() { numbers_->SetSelection(editor_->GridSelection()); }

void TDrawModifyForm::CopyGrid()
{
    editor_->WorkFromGrid(numbers_->GetNumbers(1, 0, true));
    RefreshButtons();
}

void TDrawModifyForm::RefreshButtons()
{
    const TEditorButtons b = editor_->Buttons(Selected(), CalendarDay(), SpinIndex());
    getB_->setEnabled(b.Get);
    deleteB_->setEnabled(b.Get);
    addB_->setEnabled(b.Add);
    insertB_->setEnabled(b.Insert);
    replaceB_->setEnabled(b.Replace);
    saveB_->setEnabled(b.Save);
    fieldUD_->setEnabled(b.FieldSelector);
}

void TDrawModifyForm::RebuildRows() { display_->SetRows(editor_->RowKeys()); }

void TDrawModifyForm::FieldUDClick()
{
    editor_->SetActiveField(fieldUD_->value());
    SetupGrid();
    PutWorkOnGrid();
}

void TDrawModifyForm::CalendarClick()
{
    calendar_->setFocus();
    RefreshButtons();
}

void TDrawModifyForm::IndexSEChange()
{
    calendar_->setFocus();
    RefreshButtons();
}

void TDrawModifyForm::GetBClick()
{
    TDateTime date = 0;
    int index = 0;
    const int position = Selected();
    if (position == 0 || !editor_->Get(position, date, index))
        return;
    int y = 0, m = 0, d = 0;
    if (date != 0 && DecodeDate(date, y, m, d)) {
        const QSignalBlocker block(calendar_);
        calendar_->setSelectedDate(QDate(y, m, d));
    }
    if (index >= 1) {
        const QSignalBlocker block(indexSE_);
        indexSE_->setValue(index);
    }
    // The grid is set up for the draw just read, so a bonus field disables its main balls.
    SetupGrid();
    PutWorkOnGrid();
    calendar_->setFocus();
    RefreshButtons();
}

bool TDrawModifyForm::DayAccepted()
{
    const QDate today = QDate::currentDate();
    const std::string question =
        editor_->DayQuestion(CalendarDay(), EncodeDate(today.year(), today.month(), today.day()));
    return question.empty() ||
           ShowMessageDialog(question, dbYes | dbNo | dbDefaultNo, TDialogKind::Warning) == TModalResult::Yes;
}

void TDrawModifyForm::AddBClick()
{
    if (!DayAccepted())
        return;
    const int position = editor_->Add(CalendarDay(), SpinIndex());
    if (position > 0) {
        RebuildRows();
        display_->SelectByKey(position);
    }
    CopyGrid();
}

void TDrawModifyForm::InsertBClick()
{
    if (!DayAccepted())
        return;
    const int position = editor_->Insert(Selected(), CalendarDay(), SpinIndex());
    if (position > 0) {
        RebuildRows();
        display_->SelectByKey(position);
    }
    CopyGrid();
}

void TDrawModifyForm::ReplaceBClick()
{
    const int position = Selected();
    if (position == 0)
        return;
    std::string error;
    const std::string question = editor_->ReplaceQuestion(position, CalendarDay(), SpinIndex(), error);
    if (question.empty()) {
        ShowError(error);
        return;
    }
    if (AskYesNoDefaultNo(question) != TModalResult::Yes)
        return;
    try {
        if (editor_->Replace(position, CalendarDay(), SpinIndex())) {
            display_->RefreshPage();
            display_->SelectByKey(position);
        }
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
    RefreshButtons();
}

void TDrawModifyForm::DeleteBClick()
{
    const int position = Selected();
    if (position == 0)
        return;
    std::string error;
    const std::string question = editor_->DeleteQuestion(position, error);
    if (question.empty()) {
        ShowError(error);
        return;
    }
    if (AskYesNoDefaultNo(question) != TModalResult::Yes)
        return;
    const int next = editor_->Delete(position);
    RebuildRows();
    if (next > 0)
        display_->SelectByKey(next);
    CopyGrid();
}

void TDrawModifyForm::ClearBClick()
{
    editor_->Clear();
    SetupGrid();
    RefreshButtons();
}

void TDrawModifyForm::RandomBClick()
{
    editor_->Random(rng_);
    SetupGrid();
    PutWorkOnGrid();
    CopyGrid();
}

void TDrawModifyForm::ImportBClick()
{
    ExecuteImportDraws(this, environment_);
    // The history may have changed in any case.
    RebuildRows();
    display_->SelectByKey(editor_->Draws().DrawCount());
    RefreshButtons();
}

void TDrawModifyForm::ImportDrawsItemClick() { ImportBClick(); }

void TDrawModifyForm::btnSaveClick()
{
    SaveLotteryHook();
    RefreshButtons();
}

void TDrawModifyForm::CloseBClick() { close(); }

bool TDrawModifyForm::FormCloseQuery()
{
    if (closed_ || !editor_)
        return true;
    const std::string reminder = editor_->CloseReminder();
    if (!reminder.empty() &&
        ShowMessageDialog(reminder, dbOK | dbCancel, TDialogKind::Information) == TModalResult::Cancel)
        return false;
    closed_ = true;
    return true;
}

void TDrawModifyForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TDrawModifyForm::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

void TDrawModifyForm::contextMenuEvent(QContextMenuEvent* event) { popupMenu_->popup(event->globalPos()); }

void TDrawModifyForm::ExportDrawsItemClick()
{
    const TDrawClass& draws = editor_->Draws();
    if (draws.DrawCount() == 0) {
        ShowInfo(kNoDrawsToExport);
        return;
    }
    std::string chosen;
    if (exportChooser_) {
        chosen = exportChooser_();
    } else {
        // The window asks about an existing file itself, once the extension is settled.
        chosen = PathFromQt(ChooseSaveFileName(this, QString::fromLatin1(kExportDialogTitle), QString(),
                                               QStringLiteral("text files (*.txt)"), QStringLiteral("txt"), false));
    }
    if (chosen.empty())
        return;
    const std::string path = ChangeFileExt(chosen, ".txt");
    if (FileExists(path) && AskYesNoDefaultNo(Format("%s already exists.\n\rDo you want to replace it?",
                                                     PathToText(path).c_str())) != TModalResult::Yes)
        return;
    std::string error;
    // A failed write replaces nothing: the new file takes the old one's place only when complete.
    if (!WriteDrawsExport(path, draws, editor_->Game().Name, error)) {
        ShowError("An error occured while saving \n\r" + PathToText(path));
        return;
    }
    ShowInfo("File " + PathToText(ExtractFileName(path)) + " exported successfully.");
}
