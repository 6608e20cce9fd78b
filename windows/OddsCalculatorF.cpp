// The odds calculator window: three edit boxes, the row list with check boxes
// and the combined line below it.
#include "windows/OddsCalculatorF.h"

#include <QAction>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "data/Types.h"
#include "data/UserDialogs.h"
#include "models/Clipboard.h"
#include "widgets/QtFont.h"
#include "widgets/QtText.h"

namespace {

constexpr int kTagRole = Qt::UserRole;

// The user's decimal separator as one single-byte character ('.' when the
// locale's cannot be held in one). QLocale() follows the system's unless the
// application set its own.
char LocaleDecimalSeparator()
{
    const std::string sep = ToText(QLocale().decimalPoint());
    return sep.size() == 1 && sep[0] != '?' ? sep[0] : '.';
}

QLineEdit* NarrowEdit(QWidget* parent, const char* name, const char* text)
{
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(48);
    edit->setMaxLength(11);
    return edit;
}

} // namespace

TfrmOddsCalculator::TfrmOddsCalculator(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOddsCalculator"));
    setWindowTitle(QStringLiteral("Odds Calculator"));
    setFont(DialogFont());
    setMinimumSize(434 - 16, 331 - 38); // the outer minimum less a typical frame
    resize(418, 293);

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("pnlTop"));
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(8, 6, 8, 4);
    grid->setVerticalSpacing(3);
    edtTotal_ = NarrowEdit(top, "edtTotalNumbers", "49");
    edtDrawn_ = NarrowEdit(top, "edtNumbersDrawn", "6");
    edtSelected_ = NarrowEdit(top, "edtNumbersSelected", "10");
    const char* captions[] = {"Total numbers in lottery game", "Total numbers drawn", "Total numbers selected"};
    QLineEdit* edits[] = {edtTotal_, edtDrawn_, edtSelected_};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(captions[i]), top);
        label->setBuddy(edits[i]);
        grid->addWidget(label, i, 0);
        grid->addWidget(edits[i], i, 1);
    }
    btnComputeOdds_ = new QPushButton(QStringLiteral("Compute Odds"), top);
    btnComputeOdds_->setObjectName(QStringLiteral("btnComputeOdds"));
    btnComputeOdds_->setDefault(true);
    grid->addWidget(btnComputeOdds_, 0, 2, 3, 1, Qt::AlignCenter);
    grid->setColumnStretch(2, 1);

    lvProb_ = new QTreeWidget(this);
    lvProb_->setObjectName(QStringLiteral("lvProb"));
    lvProb_->setRootIsDecorated(false);
    lvProb_->setUniformRowHeights(true);
    lvProb_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvProb_->setHeaderLabels(
        {QStringLiteral("Correct numbers"), QStringLiteral("Probability %"), QStringLiteral("once in X draws")});
    lvProb_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    lvProb_->setColumnWidth(0, 100);
    lvProb_->setColumnWidth(1, 120);
    lvProb_->setColumnWidth(2, 120);
    lvProb_->setContextMenuPolicy(Qt::CustomContextMenu);

    pnlCombined_ = new QLabel(QString::fromLatin1(kOddsNothingSelected), this);
    pnlCombined_->setObjectName(QStringLiteral("pnlCombined"));
    pnlCombined_->setFrameShape(QFrame::StyledPanel);
    pnlCombined_->setAlignment(Qt::AlignCenter);
    pnlCombined_->setMinimumHeight(24);
    pnlCombined_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(top);
    layout->addWidget(lvProb_, 1);
    layout->addWidget(pnlCombined_);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("popProb"));
    auto addItem = [this](const char* name, const char* caption, void (TfrmOddsCalculator::*slot)()) {
        QAction* action = popup_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };
    addItem("mniSelectAll", "Select all", &TfrmOddsCalculator::mniSelectAllClick);
    addItem("mniDeselectAll", "Deselect all", &TfrmOddsCalculator::mniDeselectAllClick);
    popup_->addSeparator();
    addItem("mniCopyToClipboard", "Copy to clipboard", &TfrmOddsCalculator::mniCopyToClipboardClick);

    connect(btnComputeOdds_, &QPushButton::clicked, this, &TfrmOddsCalculator::btnComputeOddsClick);
    // Mouse and keys both tick through the check state; recounting on the
    // change itself sees the row as it is after the click.
    connect(lvProb_, &QTreeWidget::itemChanged, this, [this] { UpdateCombined(); });
    connect(lvProb_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popup_->popup(lvProb_->viewport()->mapToGlobal(pos)); });
}

void TfrmOddsCalculator::Execute(QWidget* parent, bool preset, int32_t total, int32_t drawn, int32_t selected)
{
    TfrmOddsCalculator form(parent);
    if (preset)
        form.Preset(total, drawn, selected);
    form.exec();
}

void TfrmOddsCalculator::Preset(int32_t total, int32_t drawn, int32_t selected)
{
    edtTotal_->setText(QString::number(total));
    edtDrawn_->setText(QString::number(drawn));
    edtSelected_->setText(QString::number(selected));
}

void TfrmOddsCalculator::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    btnComputeOddsClick();
}

void TfrmOddsCalculator::btnComputeOddsClick()
{
    table_ = TOddsTable();
    lvProb_->clear();
    UpdateCombined();
    int32_t values[3] = {};
    const QLineEdit* edits[] = {edtTotal_, edtDrawn_, edtSelected_};
    try {
        for (int i = 0; i < 3; ++i)
            values[i] = StrToInt(ToText(edits[i]->text()));
    } catch (const EConvertError& e) {
        ShowError(e.what());
        return;
    }
    const std::vector<std::string> failed = ValidateOdds(values[0], values[1], values[2]);
    for (const std::string& message : failed)
        ShowError(message);
    if (!failed.empty())
        return;
    table_ = ComputeOddsTable(values[0], values[1], values[2], LocaleDecimalSeparator());
    FillRows();
    UpdateCombined();
}

void TfrmOddsCalculator::FillRows()
{
    lvProb_->setVisible(false);
    {
        const QSignalBlocker block(lvProb_);
        for (const TOddsRow& row : table_.Rows) {
            auto* item = new QTreeWidgetItem(lvProb_);
            item->setText(0, FromText(row.Caption));
            item->setText(1, FromText(row.PercentText));
            item->setText(2, FromText(row.OnceInText));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            item->setData(0, kTagRole, row.Tag);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    lvProb_->setVisible(true);
}

std::vector<bool> TfrmOddsCalculator::Ticked() const
{
    std::vector<bool> ticked;
    for (int i = 0; i < lvProb_->topLevelItemCount(); ++i)
        ticked.push_back(lvProb_->topLevelItem(i)->checkState(0) == Qt::Checked);
    return ticked;
}

void TfrmOddsCalculator::SetAllTicked(bool ticked)
{
    {
        const QSignalBlocker block(lvProb_);
        for (int i = 0; i < lvProb_->topLevelItemCount(); ++i)
            lvProb_->topLevelItem(i)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    }
    lvProb_->viewport()->update();
    UpdateCombined();
}

void TfrmOddsCalculator::mniSelectAllClick() { SetAllTicked(true); }

void TfrmOddsCalculator::mniDeselectAllClick() { SetAllTicked(false); }

void TfrmOddsCalculator::mniCopyToClipboardClick()
{
    if (table_.Rows.empty())
        return;
    Clipboard().SetText(OddsClipboardText(table_));
}

void TfrmOddsCalculator::UpdateCombined() { pnlCombined_->setText(FromText(OddsCombinedLine(table_, Ticked()))); }
