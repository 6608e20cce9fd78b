// The import window: file, layout controls, the file's columns, preview of the candidates.
#include "windows/ImportDrawF.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/GameOptions.h"
#include "widgets/PathsUi.h"
#include "widgets/QtText.h"

namespace {

bool Has(const std::vector<int>& columns, int c)
{
    return std::find(columns.begin(), columns.end(), c) != columns.end();
}

// A message of the analysis on one line of a label.
QString OneLine(const std::string& message)
{
    QString text = FromText(message);
    text.replace(QStringLiteral("\n\r"), QStringLiteral(" "));
    return text;
}

} // namespace

// The rows of a delimited file as columns: titled by their number, the
// header's name and the role the layout gives them.
class TImportColumnsModel : public QAbstractTableModel {
public:
    TImportColumnsModel(const TDrawClass& draws, QObject* parent) : QAbstractTableModel(parent), draws_(draws) {}

    // `sequence`: the 1-based column that orders the draws of one date, 0 none.
    void Reset(const TImportTable* table, const TImportLayout& layout, int sequence = 0)
    {
        beginResetModel();
        table_ = table;
        layout_ = layout;
        sequence_ = sequence;
        rows_.clear();
        if (table)
            for (size_t r = 0; r < table->Rows(); ++r)
                if (static_cast<int>(r) != table->HeaderRow)
                    rows_.push_back(static_cast<uint32_t>(r));
        endResetModel();
    }

    // What the layout makes of a 0-based column: "Date", "Field 1" ... or "".
    QString Role(int column) const
    {
        const int c = column + 1;
        if (draws_.Dated() && layout_.DateColumn == c)
            return QStringLiteral("Date");
        if (Has(layout_.Field1Columns, c))
            return layout_.Field2Columns.empty() && draws_.GameInfo().FieldCount == 2 ? QStringLiteral("Fields 1, 2")
                                                                                      : QStringLiteral("Field 1");
        if (Has(layout_.Field2Columns, c))
            return QStringLiteral("Field 2");
        if (sequence_ == c)
            return QStringLiteral("Draw order");
        return {};
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() || !table_ ? 0 : std::min(table_->Columns, kMaxImportColumns);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (!table_ || section < 0)
            return {};
        if (orientation == Qt::Vertical)
            return role == Qt::DisplayRole && section < static_cast<int>(rows_.size())
                       ? QVariant(table_->Line(rows_[static_cast<size_t>(section)]))
                       : QVariant();
        const QString name = FromText(table_->ColumnName(section));
        if (role == Qt::ToolTipRole)
            return name;
        if (role != Qt::DisplayRole)
            return {};
        QString title = QString::number(section + 1);
        if (!name.isEmpty())
            title += QLatin1Char(' ') + (name.size() > 15 ? name.left(14) + QChar(0x2026) : name);
        return title + QLatin1Char('\n') + Role(section);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!table_ || index.row() >= static_cast<int>(rows_.size()))
            return {};
        const size_t row = rows_[static_cast<size_t>(index.row())];
        if (role == Qt::DisplayRole) {
            std::string cell(table_->Cell(row, index.column()).substr(0, 60));
            std::replace(cell.begin(), cell.end(), '\n', ' ');
            std::replace(cell.begin(), cell.end(), '\0', ' ');
            return FromText(cell);
        }
        if (role == Qt::BackgroundRole) {
            const QString r = Role(index.column());
            if (r.isEmpty() || sequence_ == index.column() + 1)
                return {};
            return QBrush(r == QLatin1String("Date")      ? QColor(255, 243, 196)
                          : r == QLatin1String("Field 2") ? QColor(205, 225, 250)
                                                          : QColor(208, 240, 208));
        }
        return {};
    }

private:
    const TDrawClass& draws_;
    const TImportTable* table_ = nullptr;
    TImportLayout layout_;
    int sequence_ = 0;
    std::vector<uint32_t> rows_;
};

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
            const int w =
                24 *
                draws_.GameInfo().Fields[static_cast<size_t>(columns_[static_cast<size_t>(column)] - kField1)].Picked;
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
    // Wider and taller than the classic window: the skipped-lines report and
    // the file's columns need the room.
    resize(760, 720);
    const bool dated = draws.Dated();

    auto* fileBox = new QGroupBox(QStringLiteral(" Draws history file "), this);
    auto* fileRow = new QHBoxLayout(fileBox);
    btnBrowse = new QPushButton(QStringLiteral("..."), fileBox);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse->setFixedWidth(32);
    FileE = new QLineEdit(fileBox);
    FileE->setObjectName(QStringLiteral("FileE"));
    FileE->setPlaceholderText(QStringLiteral("filename"));
    fileRow->addWidget(btnBrowse);
    fileRow->addWidget(FileE, 1);

    auto* panel = new QWidget(this);
    auto* form = form_ = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    LayoutCB = new QComboBox(panel);
    LayoutCB->setObjectName(QStringLiteral("LayoutCB"));
    LayoutCB->addItem(QStringLiteral("Integers of each line"));
    for (const char d : kImportDelimiters)
        LayoutCB->addItem(QStringLiteral("Columns split by %1").arg(QString::fromLatin1(ImportDelimiterName(d))));
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
    form->addRow(QStringLiteral("File layout"), LayoutCB);
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

    lblColumns = new QLabel(QStringLiteral("Click a column title to use it for the date, field 1 or field 2."), this);
    lblColumns->setObjectName(QStringLiteral("lblColumns"));
    sgColumns = new QTableView(this);
    sgColumns->setObjectName(QStringLiteral("sgColumns"));
    sgColumns->setSelectionMode(QAbstractItemView::NoSelection);
    sgColumns->verticalHeader()->setDefaultSectionSize(20);
    sgColumns->horizontalHeader()->setSectionsClickable(true);
    sgColumns->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columnsModel_ = new TImportColumnsModel(draws, this);
    sgColumns->setModel(columnsModel_);
    popColumn = new QMenu(this);
    popColumn->setObjectName(QStringLiteral("popColumn"));
    const TGameInfo& g = draws.GameInfo();
    mniColumnDate = popColumn->addAction(QStringLiteral("Date"));
    mniColumnField1 = popColumn->addAction(FromText("Field 1: " + g.FieldNames[0]));
    mniColumnField2 = popColumn->addAction(FromText("Field 2: " + g.FieldNames[1]));
    mniColumnNone = popColumn->addAction(QStringLiteral("Not used"));
    for (QAction* a : {mniColumnDate, mniColumnField1, mniColumnField2})
        a->setCheckable(true);
    mniColumnDate->setVisible(dated);
    mniColumnField2->setVisible(g.FieldCount == 2);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->hide();
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
    layout->addWidget(lblColumns);
    layout->addWidget(sgColumns, 1);
    layout->addLayout(buttons);
    layout->addWidget(lblStatus);
    layout->addWidget(lblHeader);
    layout->addWidget(lblSkipped);
    layout->addWidget(sgPreview, 1);

    // Enter in the file name analyses that file and nothing else: no button
    // of the window is pressed by Enter.
    for (QPushButton* b : {btnBrowse, btnAnalyze, btnImport, btnClose})
        b->setAutoDefault(false);
    connect(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(); });
    connect(FileE, &QLineEdit::returnPressed, this, [this] { FileEReturn(); });
    connect(btnAnalyze, &QPushButton::clicked, this, [this] { btnAnalyzeClick(); });
    connect(btnImport, &QPushButton::clicked, this, [this] { btnImportClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(ReverseCB, &QCheckBox::toggled, this, [this] { ReverseCBClick(); });
    connect(mniRemoveDraw, &QAction::triggered, this, [this] { RemoveSelectedDrawClick(); });
    connect(IndexSE, &QSpinBox::valueChanged, this, [this] { ParametersChanged(); });
    connect(AfterDSE, &QSpinBox::valueChanged, this, [this] { ParametersChanged(); });
    connect(DateTypeCB, &QComboBox::currentIndexChanged, this, [this] { ParametersChanged(true); });
    connect(LayoutCB, &QComboBox::currentIndexChanged, this, [this] {
        if (!updating_)
            LayoutCBChange();
    });
    connect(sgColumns->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { ColumnTitleClick(column); });
    connect(mniColumnDate, &QAction::triggered, this, [this] { PickColumn(menuColumn_, TColumnRole::Date); });
    connect(mniColumnField1, &QAction::triggered, this, [this] { PickColumn(menuColumn_, TColumnRole::Field1); });
    connect(mniColumnField2, &QAction::triggered, this, [this] { PickColumn(menuColumn_, TColumnRole::Field2); });
    connect(mniColumnNone, &QAction::triggered, this, [this] { PickColumn(menuColumn_, TColumnRole::None); });
    connect(sgPreview->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateButtons(); });

    chooser_ = [this] {
        const QString name =
            QFileDialog::getOpenFileName(this, QString(), QString(), QString::fromLatin1(kImportFileFilter));
        return PathFromQt(name);
    };
    UpdateWindow();
}

TImportDrawsForm::~TImportDrawsForm()
{
    // The views outlive the analysis their models read (children go with the
    // QWidget base, after the members): let go of it first.
    columnsModel_->Reset(nullptr, picks_);
    model_->Reset(nullptr, false);
}

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
    // The layout that imported draws for this game before, when it still suits the file.
    TImportLayout stored;
    if (!optionsFile_.empty() && LoadImportLayout(optionsFile_, stored) && stored.Complete(draws_.Dated())) {
        Read(stored, true);
        if (ai_->Ready && ai_->Fits) {
            SetStatus(QStringLiteral("The layout remembered for this game was used."));
            return;
        }
    }
    Read(TImportLayout{}, false);
}

void TImportDrawsForm::btnAnalyzeClick()
{
    previewImported_ = false;
    updating_ = true;
    ReverseCB->setChecked(false);
    updating_ = false;
    if (ColumnsShown()) {
        ApplyPicks(picks_);
        return;
    }
    columnsModel_->Reset(nullptr, picks_);
    ai_->ExtractManual(FileName(), IndexSE->value(), DateTypeCB->currentIndex(), AfterDSE->value());
    SetStatus(QString());
    UpdateWindow();
}

void TImportDrawsForm::Read(const TImportLayout& layout, bool quiet)
{
    columnsModel_->Reset(nullptr, picks_);
    ai_->Messages.clear();
    ai_->ShowMessages = !quiet;
    ai_->AnalyzeFile(FileName(), layout);
    ai_->ShowMessages = true;
    QStringList status;
    if (quiet)
        for (const std::string& m : ai_->Messages)
            status << OneLine(m);
    SetStatus(status.join(QLatin1Char(' ')));
    if (ai_->Table())
        picks_ = ai_->Layout.Kind == TImportLayout::TKind::Columns ? ai_->Layout : TImportLayout{};
    UpdateWindow();
}

void TImportDrawsForm::SetStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->setVisible(!text.isEmpty());
}

bool TImportDrawsForm::ColumnsShown() const { return ai_->Table() != nullptr && LayoutCB->currentIndex() > 0; }

void TImportDrawsForm::LayoutCBChange()
{
    previewImported_ = false;
    TImportLayout layout;
    const int index = LayoutCB->currentIndex();
    if (index == 0) {
        layout.Kind = TImportLayout::TKind::Integers;
    } else {
        layout.Kind = TImportLayout::TKind::Columns;
        layout.Delimiter = kImportDelimiters[index - 1];
    }
    picks_ = TImportLayout{};
    Read(layout, true);
}

void TImportDrawsForm::ColumnTitleClick(int column)
{
    if (!ColumnsShown() || column < 0)
        return;
    menuColumn_ = column;
    const int c = column + 1;
    mniColumnDate->setChecked(picks_.DateColumn == c);
    mniColumnField1->setChecked(Has(picks_.Field1Columns, c));
    mniColumnField2->setChecked(Has(picks_.Field2Columns, c));
    popColumn->popup(QCursor::pos());
}

void TImportDrawsForm::PickColumn(int column, TColumnRole role)
{
    if (!ColumnsShown() || column < 0 || column >= kMaxImportColumns)
        return;
    const int c = column + 1;
    TImportLayout picks = picks_;
    picks.Kind = TImportLayout::TKind::Columns;
    picks.Delimiter = ai_->Table()->Delimiter;
    const bool wasField1 = Has(picks.Field1Columns, c), wasField2 = Has(picks.Field2Columns, c);
    std::erase(picks.Field1Columns, c);
    std::erase(picks.Field2Columns, c);
    if (picks.DateColumn == c)
        picks.DateColumn = 0;
    if (picks.SequenceColumn == c)
        picks.SequenceColumn = -1;
    auto add = [c](std::vector<int>& columns) {
        columns.insert(std::upper_bound(columns.begin(), columns.end(), c), c);
    };
    switch (role) {
    case TColumnRole::Date:
        picks.DateColumn = c;
        picks.DateType = -1; // the format that reads this column best
        break;
    case TColumnRole::Field1:
        if (!wasField1)
            add(picks.Field1Columns);
        break;
    case TColumnRole::Field2:
        if (!wasField2)
            add(picks.Field2Columns);
        break;
    case TColumnRole::None: break;
    }
    previewImported_ = false;
    ApplyPicks(picks);
}

void TImportDrawsForm::ApplyPicks(const TImportLayout& picks)
{
    const bool dated = draws_.Dated();
    if (picks.Field1Columns.empty() || (dated && picks.DateColumn == 0)) {
        // Not a layout yet: nothing to read until the rest is chosen.
        picks_ = picks;
        ai_->FoundDraws.clear();
        ai_->Skipped.clear();
        SetStatus(picks.Field1Columns.empty() && dated && picks.DateColumn == 0
                      ? QStringLiteral("Choose the date column and the columns of field 1.")
                  : picks.Field1Columns.empty() ? QStringLiteral("Choose the columns of field 1.")
                                                : QStringLiteral("Choose the date column."));
        columnsModel_->Reset(ai_->Table(), picks_);
        RebuildPreview();
        return;
    }
    Read(picks, true);
}

void TImportDrawsForm::btnImportClick()
{
    const int count = ImportCandidates(draws_, ai_->FoundDraws, ReverseCB->isChecked());
    imported_ += count;
    // The layout that worked is offered again for the next file of this game.
    if (count > 0 && !optionsFile_.empty() && ai_->Layout.Complete(draws_.Dated())) {
        std::string error;
        if (!SaveImportLayout(optionsFile_, ai_->Layout, &error))
            SetStatus(FromText("The layout could not be remembered: " + error));
    }
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

void TImportDrawsForm::ParametersChanged(bool dateFormat)
{
    if (updating_)
        return;
    // The columns' preview follows a new date format at once.
    if (dateFormat && ColumnsShown() && draws_.Dated()) {
        TImportLayout picks = picks_;
        picks.DateType = DateTypeCB->currentIndex();
        previewImported_ = false;
        ApplyPicks(picks);
        return;
    }
    btnAnalyze->setEnabled(true);
}

void TImportDrawsForm::UpdateWindow()
{
    updating_ = true;
    const TImportDrawsAIClass& ai = *ai_;
    // A delimited file shows its columns; other text the integers to skip.
    const TImportTable* table = ai.Table();
    int layoutIndex = 0;
    if (table)
        for (int k = 0; k < 4; ++k)
            if (kImportDelimiters[k] == table->Delimiter)
                layoutIndex = k + 1;
    LayoutCB->setCurrentIndex(layoutIndex);
    const bool columns = layoutIndex > 0;
    columnsModel_->Reset(table, picks_, ai.Ready ? ai.SequenceColumn : 0);
    lblColumns->setVisible(columns);
    sgColumns->setVisible(columns);
    form_->setRowVisible(IndexSE, !columns);
    form_->setRowVisible(AfterDSE, !columns);
    if (columns) {
        sgColumns->resizeColumnsToContents();
        for (int c = 0; c < columnsModel_->columnCount(); ++c)
            sgColumns->setColumnWidth(c, std::clamp(sgColumns->columnWidth(c), 44, 124));
    }
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
