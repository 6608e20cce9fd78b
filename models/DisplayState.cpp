// The display's state and the rules of its commands.
#include "models/DisplayState.h"

#include <algorithm>
#include <unordered_set>

#include "data/UserDialogs.h"
#include "engine/JUXEngine.h"
#include "models/Clipboard.h"
#include "models/SpreadsheetExport.h"

namespace {

const char* const kDeactivateBrowsing = "Please deactivate browsing.";
const char* const kClearBrowsing = "Clear existing browsing list?";

} // namespace

TDisplayState::TDisplayState(TEnvironmentClass& env) : env_(env), source_(env.Engine()), tableSource_(env.Engine())
{
    PanoramaRows = env_.Options().MaximumJUXsPerColumn;
    env_.SetDisplay(this);
}

TDisplayState::~TDisplayState()
{
    if (env_.Display() == this)
        env_.SetDisplay(nullptr);
    // The handler points at this object.
    env_.Engine().SetListsChangedHandler(nullptr);
}

void TDisplayState::PrepareForRun()
{
    const TGameOptions& options = env_.Options();
    currentJUX_ = 0;
    PanoramaRows = std::max(options.MaximumJUXsPerColumn, 0);
    LookAhead = 5;
    DelayCategory = 0;
    DelayMode = 0;
    panoramaRequested_ =
        InitialRequested(env_.Engine().Context.DrawnCount, options.MinReqNumbers, options.MaxReqNumbers);
    TableRequested = panoramaRequested_;
    panoramaMode_ = InitialPanoramaMode(options.Modes);
    env_.Engine().SetListsChangedHandler([this] { RefreshPanorama(); });
    UserListChanged();
    ResetBrowse();
    SelectJUX(currentJUX_);
    RequestedChanged();
    RefreshPanorama();
    DelayMenu(); // with a single category the delay chart starts on it
    UpdateRunButton();
    ShowPanoramaPage();
}

void TDisplayState::ClearUserList()
{
    userJUXList_.Clear();
    UserListChanged();
}

void TDisplayState::AddIDsToUserList(const TIntegerStore& ids)
{
    // One refresh of the list's menu for the whole batch: the retained tables
    // can run into thousands.
    std::unordered_set<int32_t> listed;
    for (int i = 1; i <= userJUXList_.Count(); ++i) {
        int32_t id = 0;
        if (userJUXList_.GetInt(i, id))
            listed.insert(id);
    }
    bool added = false;
    for (int i = 1; i <= ids.Count(); ++i) {
        int32_t id = 0;
        if (ids.GetInt(i, id) && listed.insert(id).second) {
            userJUXList_.AddInt(id);
            added = true;
        }
    }
    if (added)
        UserListChanged();
}

void TDisplayState::UpdateRunButton()
{
    if (const char* caption = RunButtonCaption(env_.RunState)) {
        runButtonText_ = caption;
        RunButtonChanged();
    }
    // Pausing and resuming come here: the strip follows.
    if (env_.RunState == STARTED || env_.RunState == PAUSED) {
        progressText_ = ProgressStripText(env_.RunState, source_.TablesComputed());
        ProgressTextChanged();
    }
}

void TDisplayState::RefreshPanorama()
{
    progressText_ = ProgressStripText(env_.RunState, source_.TablesComputed());
    ProgressTextChanged();
    try {
        BuildPanorama(source_, panoramaRequested_, panoramaMode_, PanoramaRows, panorama_);
    } catch (...) {
        PanoramaChanged(); // the columns filled before the failure are shown
        throw;
    }
    PanoramaChanged();
    ProcessPendingEvents();
}

void TDisplayState::RefreshTable()
{
    tablePage_ = BuildTablePage(tableSource_, TableView(), env_.Options().CompareNums);
    TablePageChanged();
}

TTableView TDisplayState::TableView() const
{
    TTableView view;
    view.CurrentJUX = currentJUX_;
    view.TableRequested = TableRequested;
    view.Absolute = AbsoluteCategoryHits;
    view.LookAhead = LookAhead;
    view.DelayCategory = DelayCategory;
    view.DelayMode = DelayMode;
    return view;
}

int32_t TDisplayState::TableCategories() const
{
    return std::max(std::min(TableRequested, tableSource_.HitWidth()), 0);
}

bool TDisplayState::DecreaseTableRequested()
{
    if (TableRequested <= kLowestTableRequested)
        return false;
    --TableRequested;
    RefreshTable();
    return true;
}

bool TDisplayState::IncreaseTableRequested()
{
    if (TableRequested >= HighestTableRequested(tableSource_.PoolSize()))
        return false;
    ++TableRequested;
    RefreshTable();
    return true;
}

bool TDisplayState::QuickMoveTableRequested()
{
    std::string text = Format("%d", TableRequested);
    if (!InputQuery("Quick move to", "Requested numbers", text))
        return false;
    int32_t value = 0;
    if (!AcceptQuickMove(text, TableRequested, kLowestTableRequested, HighestTableRequested(tableSource_.PoolSize()),
                         value))
        return false;
    TableRequested = value;
    RefreshTable();
    return true;
}

void TDisplayState::SetAbsoluteCategoryHits(bool absolute)
{
    AbsoluteCategoryHits = absolute;
    RefreshTable();
}

void TDisplayState::SetLookAhead(int32_t lookAhead)
{
    LookAhead = lookAhead;
    RefreshTable();
}

void TDisplayState::LookAheadQuery()
{
    std::string text = Format("%d", LookAhead);
    int32_t value = 0;
    if (InputQuery("Look ahead", "How many future draws to use for averaged display?", text)) {
        if (AcceptLookAhead(text, tableSource_.TestedDraws(), value))
            LookAhead = value;
        else
            ShowError(LookAheadRangeText(tableSource_.TestedDraws()));
    }
    RefreshTable();
}

std::vector<TDelayMenuEntry> TDisplayState::DelayMenu()
{
    return BuildDelayMenu(TableCategories(), DelayCategory, DelayMode);
}

void TDisplayState::ChooseDelayEntry(const TDelayMenuEntry& entry)
{
    ApplyDelayMenuEntry(entry, DelayCategory, DelayMode);
    RefreshTable();
}

void TDisplayState::CopyPrediction(bool sorted)
{
    Clipboard().SetText(sorted ? tablePage_.ClipboardSorted : tablePage_.ClipboardOriginal);
}

void TDisplayState::SelectJUX(int32_t id)
{
    currentJUX_ = id;
    TableRequested = panoramaRequested_;
    AbsoluteCategoryHits = panoramaMode_ == kPanoramaAbsolute;
    RefreshTable();
}

void TDisplayState::ShowFinalResults()
{
    progressText_ = FinalResultsText(source_.TablesComputed());
    ProgressTextChanged();
    UpdateRunButton();
    env_.Engine().SetListsChangedHandler([this] { RefreshPanorama(); });
    RefreshTable();
    ShowPanoramaPage();
}

uint32_t TDisplayState::CellColor(int32_t col, int32_t row, uint32_t fixedColor) const
{
    TPanoramaPalette palette;
    palette.UserList = &userJUXList_;
    palette.CompareNums = &env_.Options().CompareNums;
    palette.FixedColor = fixedColor;
    return PanoramaCellColor(panorama_, source_, panoramaRequested_, palette, col, row);
}

std::string TDisplayState::RequestedLabel() const { return RequestedText(panoramaRequested_, source_.PoolSize()); }

std::string TDisplayState::HoverProgressText() const
{
    return ProgressStripText(env_.RunState, source_.TablesComputed());
}

std::string TDisplayState::CurrentText() const { return Format("%d", currentJUX_); }

bool TDisplayState::CurrentListed() const
{
    return userJUXList_.ContainsInt(currentJUX_) || env_.Options().KeepJUXs.ContainsInt(currentJUX_);
}

bool TDisplayState::CurrentExists() const { return currentJUX_ > 0 && source_.FinalOrder(currentJUX_) != nullptr; }

// ---- requested numbers and mode ----

bool TDisplayState::ApplyRequested(int32_t value)
{
    panoramaRequested_ = value;
    RequestedChanged();
    RefreshPanorama();
    return true;
}

bool TDisplayState::DecreaseRequested()
{
    if (panoramaRequested_ <= LowestRequested(env_.Options().MinReqNumbers))
        return false;
    return ApplyRequested(panoramaRequested_ - 1);
}

bool TDisplayState::IncreaseRequested()
{
    if (panoramaRequested_ >= HighestRequested(env_.Options().MaxReqNumbers, source_.PoolSize()))
        return false;
    return ApplyRequested(panoramaRequested_ + 1);
}

bool TDisplayState::QuickMoveRequested()
{
    std::string text = Format("%d", panoramaRequested_);
    if (!InputQuery("Quick move to", "Requested numbers", text))
        return false;
    int32_t value = 0;
    const TGameOptions& options = env_.Options();
    if (!AcceptQuickMove(text, panoramaRequested_, LowestRequested(options.MinReqNumbers),
                         HighestRequested(options.MaxReqNumbers, source_.PoolSize()), value))
        return false;
    return ApplyRequested(value);
}

void TDisplayState::SetPanoramaMode(int32_t mode)
{
    if (mode < kPanoramaAugmentative || mode > kPanoramaBuildup)
        return;
    panoramaMode_ = mode;
    RefreshPanorama();
}

// ---- the JUX list ----

void TDisplayState::AddToUserList(int32_t id)
{
    if (userJUXList_.ContainsInt(id))
        return;
    userJUXList_.AddInt(id);
    UserListChanged();
}

void TDisplayState::RemoveFromUserList(int32_t id)
{
    const int position = userJUXList_.IndexOfInt(id);
    if (position < 1)
        return;
    userJUXList_.DeleteInt(position);
    UserListChanged();
}

void TDisplayState::BrowseUserList()
{
    browseList_.Clear();
    userJUXList_.CopyTo(browseList_);
    browseList_.SetOrder(TIntegerStore::kAscending);
    ResetBrowse();
}

void TDisplayState::ClearListCommand()
{
    if (AskYesNo("Clear JUX list?") == TModalResult::Yes)
        ClearUserList();
}

void TDisplayState::ExportListToRetained()
{
    if (AskYesNo("This operation will replace all the retained JUXs at the options. Proceed?") == TModalResult::Yes) {
        env_.Options().SetKeepJUXs(userJUXList_);
        UserListChanged(); // txtJUX's colour follows the retained tables too
    }
}

void TDisplayState::JumpToListed(int32_t id)
{
    if (!browseList_.IsEmpty()) {
        ShowError(kDeactivateBrowsing);
        return;
    }
    if (id > 0 && source_.FinalOrder(id))
        currentJUX_ = id;
    RefreshTable();
}

void TDisplayState::JumpQuery()
{
    if (!browseList_.IsEmpty()) {
        ShowError(kDeactivateBrowsing);
        return;
    }
    std::string text = Format("%d", currentJUX_);
    if (!InputQuery("Quick move to", "Requested J.U.X. table", text))
        return;
    int32_t id = 0;
    if (ParseWholeNumber(text, id) && id > 0 && source_.FinalOrder(id))
        currentJUX_ = id;
    RefreshTable();
}

// ---- browsing ----

void TDisplayState::ResetBrowse() { BrowseListChanged(); }

void TDisplayState::ClearBrowse()
{
    browseList_.Clear();
    ResetBrowse();
}

void TDisplayState::BrowseTo(int32_t position)
{
    int32_t id = 0;
    if (browseList_.IsEmpty() || !browseList_.GetInt(position, id))
        return;
    currentJUX_ = id;
    RefreshTable();
}

bool TDisplayState::ConfirmNewBrowse()
{
    return browseList_.IsEmpty() || AskYesNo(kClearBrowsing) == TModalResult::Yes;
}

bool TDisplayState::BrowseCategory(int32_t col)
{
    if (!ConfirmNewBrowse())
        return false;
    browseList_.Clear();
    for (int32_t id : ColumnIDs(panorama_, col))
        browseList_.AddInt(id);
    ResetBrowse();
    int32_t first = 0;
    if (!browseList_.GetInt(1, first))
        return false;
    SelectJUX(first);
    ShowTablePage();
    return true;
}

bool TDisplayState::OpenCell(int32_t col, int32_t row)
{
    const int32_t id = CellID(panorama_, col, row);
    if (id <= 0 || !ConfirmNewBrowse())
        return false;
    browseList_.Clear();
    ResetBrowse();
    SelectJUX(id);
    ShowTablePage();
    return true;
}

// ---- menus ----

TPanoramaPopupState TDisplayState::PanoramaPopup(const TGridRect& selection) const
{
    return PanoramaPopupState(panorama_, selection, userJUXList_);
}

TTablePopupState TDisplayState::TablePopup() const
{
    return TablePopupState(userJUXList_, browseList_, currentJUX_, CurrentExists());
}

// ---- clipboard and export ----

void TDisplayState::ExportPredictions(const TGridRect& selection)
{
    Clipboard().SetText(PredictionsText(panorama_, source_, panoramaRequested_, selection));
}

void TDisplayState::ExportDetails(const TIntegerStore& ids)
{
    TCurrentGame& game = env_.Game();
    std::string fileName;
    if (!SaveFileQuery(game.Info.Name + ".xlsx", fileName))
        return;
    ExportToSpreadsheet(env_.Engine(), ids, AnalysedFieldCaption(env_.Engine()), fileName);
}

void TDisplayState::ExportPanoramaDetails(const TGridRect& selection)
{
    TIntegerStore ids;
    SelectionIDs(panorama_, selection, ids);
    ExportDetails(ids);
}

void TDisplayState::ExportCurrentDetails()
{
    TIntegerStore ids;
    ids.AddInt(currentJUX_);
    ExportDetails(ids);
}

void TDisplayState::RunButtonClick() { env_.RunButtonCommand(); }

// ---- queries ----

bool TDisplayState::InputQuery(const std::string&, const std::string&, std::string&) { return false; }

bool TDisplayState::SaveFileQuery(const std::string&, std::string&) { return false; }
