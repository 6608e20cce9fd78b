// The import window: file, layout controls, preview of the candidates.
#include "shell/ImportDrawF.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "display/PathsUi.h"
#include "display/QtText.h"

// The candidates as rows; a model rather than filled cells, so that a long
// history shows at once.
class TImportPreviewModel : public QAbstractTableModel {
public:
    TImportPreviewModel(const TDrawClass& draws, QObject* parent) : QAbstractTableModel(parent), draws_(draws)
    {
        const TGameInfo& g = draws.GameInfo();
        columns_.push_back(kNumber);
        if (g.DrawsPerDay > 0)
            columns_.push_back(kDate);
        if (g.DrawsPerDay > 1)
            columns_.push_back(kIndex);
        for (int f = 0; f < g.FieldCount; ++f)
            columns_.push_back(kField1 + f);
    }

    void Reset(const std::vector<TImportCandidate>* found, bool reverse)
    {
        beginResetModel();
        found_ = found;
        reverse_ = reverse;
        endResetModel();
    }

    int Width(int column) const
    {
        switch (columns_[static_cast<size_t>(column)]) {
        case kNumber: return 50;
        case kDate: return 100;
        case kIndex: return 44;
        default: {
            const int w = 24 * draws_.GameInfo().Fields[static_cast<size_t>(columns_[static_cast<size_t>(column)] - kField1)].Picked;
            return w <= 40 ? 60 : w;
        }
        }
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() || !found_ ? 0 : static_cast<int>(found_->size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(columns_.size());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= static_cast<int>(columns_.size()))
            return {};
        switch (columns_[static_cast<size_t>(section)]) {
        case kNumber: return QStringLiteral("Draw #");
        case kDate: return QStringLiteral("Date");
        case kIndex: return QStringLiteral("Index");
        default: {
            const int f = columns_[static_cast<size_t>(section)] - kField1;
            return FromText("Field " + draws_.GameInfo().FieldNames[static_cast<size_t>(f)]);
        }
        }
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !found_ || index.row() >= static_cast<int>(found_->size()))
            return {};
        const TImportCandidate& c = (*found_)[static_cast<size_t>(index.row())];
        switch (columns_[static_cast<size_t>(index.column())]) {
        case kNumber: return ImportShownNumber(index.row() + 1, static_cast<int>(found_->size()), reverse_);
        case kDate: return FromText(DateText(CurrentDateOrder(), "/", false, false, c.Date));
        case kIndex: return c.Index;
        default: {
            const size_t f = static_cast<size_t>(columns_[static_cast<size_t>(index.column())] - kField1);
            if (f >= c.Numbers.size())
                return FromText(f == 0 ? "Error retrieving field 1 draw!" : "Error retrieving field 2 draw!");
            return c.Numbers[f].empty() ? QStringLiteral("NF") : FromText(BallsToText(c.Numbers[f], " ", 2));
        }
        }
    }

private:
    enum { kNumber, kDate, kIndex, kField1 };
    const TDrawClass& draws_;
    std::vector<int> columns_;
    const std::vector<TImportCandidate>* found_ = nullptr;
    bool reverse_ = false;
};

TImportDrawsForm::TImportDrawsForm(TDrawClass& draws, QWidget* parent)
    : QDialog(parent), draws_(draws), ai_(std::make_unique<TImportDrawsAIClass>(draws))
{
    setWindowTitle(QStringLiteral("Import draws wizard"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(311, 380);
    // Wider than the classic window: the skipped-lines report needs the room.
    resize(680, 560);
    const bool dated = draws.Dated();

    auto* fileBox = new QGroupBox(QStringLiteral(" Draws history file "), this);
    auto* fileRow = new QHBoxLayout(fileBox);
    btnBrowse = new QPushButton(QStringLiteral("..."), fileBox);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse->setFixedWidth(32);
    FileE = new QLineEdit(QStringLiteral("filename"), fileBox);
    FileE->setObjectName(QStringLiteral("FileE"));
    fileRow->addWidget(btnBrowse);
    fileRow->addWidget(FileE, 1);

    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    DateTypeCB = new QComboBox(panel);
    DateTypeCB->setObjectName(QStringLiteral("DateTypeCB"));
    DateTypeCB->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const char* caption : kImportDateFormats)
        DateTypeCB->addItem(QString::fromLatin1(caption));
    IndexSE = new QSpinBox(panel);
    IndexSE->setObjectName(QStringLiteral("IndexSE"));
    IndexSE->setRange(0, kMaxImportIntegers);
    AfterDSE = new QSpinBox(panel);
    AfterDSE->setObjectName(QStringLiteral("AfterDSE"));
    // Negative: the numbers stand before the date.
    AfterDSE->setRange(-kMaxImportIntegers, kMaxImportIntegers);
    ReverseCB = new QCheckBox(QStringLiteral("Reverse order of draws (if dates are not provided)"), panel);
    ReverseCB->setObjectName(QStringLiteral("ReverseCB"));
    form->addRow(QStringLiteral("Import date format"), DateTypeCB);
    form->addRow(QStringLiteral("Numbers to skip from beginning of each line (indexes)"), IndexSE);
    form->addRow(QStringLiteral("Numbers to skip after the date (if dates provided)"), AfterDSE);
    form->addRow(ReverseCB);
    DateTypeCB->setEnabled(dated);
    AfterDSE->setEnabled(dated);

    btnAnalyze = new QPushButton(QStringLiteral("Analyze"), this);
    btnAnalyze->setObjectName(QStringLiteral("btnAnalyze"));
    btnImport = new QPushButton(QStringLiteral("Import"), this);
    btnImport->setObjectName(QStringLiteral("btnImport"));
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAnalyze);
    buttons->addWidget(btnImport);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);

    lblHeader = new QLabel(this);
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    lblSkipped = new QLabel(this);
    lblSkipped->setObjectName(QStringLiteral("lblSkipped"));
    lblSkipped->setWordWrap(true);
    sgPreview = new QTableView(this);
    sgPreview->setObjectName(QStringLiteral("sgPreview"));
    sgPreview->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgPreview->setSelectionMode(QAbstractItemView::SingleSelection);
    sgPreview->verticalHeader()->hide();
    sgPreview->verticalHeader()->setDefaultSectionSize(20);
    sgPreview->horizontalHeader()->setResizeContentsPrecision(100);
    model_ = new TImportPreviewModel(draws, this);
    sgPreview->setModel(model_);
    for (int c = 0; c < model_->columnCount(); ++c)
        sgPreview->setColumnWidth(c, model_->Width(c));
    sgPreview->setContextMenuPolicy(Qt::ActionsContextMenu);
    mniRemoveDraw = new QAction(QStringLiteral("Remove selected draw"), sgPreview);
    mniRemoveDraw->setObjectName(QStringLiteral("mniRemoveDraw"));
    sgPreview->addAction(mniRemoveDraw);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileBox);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->addWidget(lblHeader);
    layout->addWidget(lblSkipped);
    layout->addWidget(sgPreview, 1);

    connect(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(); });
    connect(FileE, &QLineEdit::returnPressed, this, [this] { FileEReturn(); });
    connect(btnAnalyze, &QPushButton::clicked, this, [this] { btnAnalyzeClick(); });
    connect(btnImport, &QPushButton::clicked, this, [this] { btnImportClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(ReverseCB, &QCheckBox::toggled, this, [this] { ReverseCBClick(); });
    connect(mniRemoveDraw, &QAction::triggered, this, [this] { RemoveSelectedDrawClick(); });
    connect(IndexSE, &QSpinBox::valueChanged, this, [this] { ParametersChanged(); });
    connect(AfterDSE, &QSpinBox::valueChanged, this, [this] { ParametersChanged(); });
    connect(DateTypeCB, &QComboBox::currentIndexChanged, this, [this] { ParametersChanged(); });
    connect(sgPreview->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateButtons(); });

    chooser_ = [this] {
        const QString name = QFileDialog::getOpenFileName(
            this, QString(), QString(),
            QStringLiteral("text files (*.txt);;comma separated values (*.csv);;all files (*.*)"));
        return PathFromQt(name);
    };
    UpdateWindow();
}

TImportDrawsForm::~TImportDrawsForm() = default;

// File names stay in the file system's own encoding, as the other windows keep paths.
std::string TImportDrawsForm::FileName() const { return PathFromQt(FileE->text()); }

void TImportDrawsForm::btnBrowseClick()
{
    const std::string name = chooser_ ? chooser_() : std::string();
    if (name.empty())
        return;
    FileE->setText(PathToQt(name));
    FileEReturn();
}

void TImportDrawsForm::FileEReturn()
{
    previewImported_ = false;
    ai_->AnalyzeFile(FileName());
    UpdateWindow();
}

void TImportDrawsForm::btnAnalyzeClick()
{
    previewImported_ = false;
    ai_->ExtractManual(FileName(), IndexSE->value(), DateTypeCB->currentIndex(), AfterDSE->value());
    updating_ = true;
    ReverseCB->setChecked(false);
    updating_ = false;
    UpdateWindow();
}

void TImportDrawsForm::btnImportClick()
{
    const int count = ImportCandidates(draws_, ai_->FoundDraws, ReverseCB->isChecked());
    imported_ += count;
    ShowInfo(Format("Imported %d draws.", count));
    if (draws_.Dated()) {
        // The preview now shows only the draws the game still lacks.
        btnAnalyzeClick();
        return;
    }
    previewImported_ = true;
    btnAnalyze->setEnabled(true);
    UpdateButtons();
}

void TImportDrawsForm::ReverseCBClick()
{
    if (!updating_)
        RebuildPreview();
}

void TImportDrawsForm::RemoveSelectedDrawClick()
{
    const QModelIndexList rows = sgPreview->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const int row = rows.front().row();
    if (row < 0 || row >= static_cast<int>(ai_->FoundDraws.size()))
        return;
    ai_->FoundDraws.erase(ai_->FoundDraws.begin() + row);
    RebuildPreview();
    const int count = static_cast<int>(ai_->FoundDraws.size());
    if (count > 0)
        sgPreview->selectRow(std::min(row, count - 1));
    UpdateButtons();
}

void TImportDrawsForm::ParametersChanged()
{
    if (!updating_)
        btnAnalyze->setEnabled(true);
}

void TImportDrawsForm::UpdateWindow()
{
    updating_ = true;
    const TImportDrawsAIClass& ai = *ai_;
    if (ai.Ready) {
        DateTypeCB->setCurrentIndex(ai.DateType);
        if (!draws_.Dated()) {
            IndexSE->setValue(ai.NumbersStart - 1);
            AfterDSE->setValue(0);
        } else {
            IndexSE->setValue(ai.DateStart - 1);
            AfterDSE->setValue(ai.AfterDate());
        }
    }
    btnAnalyze->setEnabled(!ai.Ready);
    ReverseCB->setEnabled(ai.Ready && !draws_.Dated());
    updating_ = false;
    RebuildPreview();
}

void TImportDrawsForm::RebuildPreview()
{
    const TImportDrawsAIClass& ai = *ai_;
    model_->Reset(&ai.FoundDraws, ReverseCB->isChecked());
    // Columns as wide as their titles and the first rows, never narrower
    // than the given widths; a long file is not measured row by row.
    for (int c = 0; c < model_->columnCount(); ++c) {
        sgPreview->resizeColumnToContents(c);
        if (sgPreview->columnWidth(c) < model_->Width(c))
            sgPreview->setColumnWidth(c, model_->Width(c));
    }
    lblHeader->setText(ai.Ready ? QStringLiteral("Found %1 draws to import").arg(ai.FoundDraws.size()) : QString());
    QStringList skipped;
    for (const std::string& text : ai.SkippedTexts())
        skipped << FromText(text);
    lblSkipped->setText(skipped.join(QLatin1Char('\n')));
    lblSkipped->setVisible(!skipped.isEmpty());
    UpdateButtons();
}

void TImportDrawsForm::UpdateButtons()
{
    btnImport->setEnabled(!ai_->FoundDraws.empty() && !previewImported_);
    mniRemoveDraw->setEnabled(sgPreview->selectionModel()->hasSelection());
}
