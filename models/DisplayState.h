// The state of the analysis display and the rules of its commands, without a
// window: which table is shown, the requested numbers and mode of the
// panorama, the JUX list and the browsing list. The Qt frame derives from it
// and renders; the command line and tests use it as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Stores.h"
#include "engine/Environment.h"
#include "models/PanoramaModel.h"
#include "models/TableStatistics.h"

class TDisplayState : public TDisplayFrameLink {
public:
    // Becomes the environment's (and so the engine's) display link.
    explicit TDisplayState(TEnvironmentClass& env);
    ~TDisplayState() override;
    TDisplayState(const TDisplayState&) = delete;
    TDisplayState& operator=(const TDisplayState&) = delete;

    // What the engine reads.
    int32_t CurrentJUX() const override { return currentJUX_; }
    const TIntegerStore* UserJUXList() const override { return &userJUXList_; }
    const TIntegerStore* BrowseList() const override { return &browseList_; }
    int32_t PanoramaRequested() const override { return panoramaRequested_; }
    int32_t PanoramaMode() const override { return panoramaMode_; }

    // What the environment calls.
    void PrepareForRun() override;
    void ClearUserList() override;
    void AddIDsToUserList(const TIntegerStore& ids) override;
    void UpdateRunButton() override;
    TIntegerStore& UserList() override { return userJUXList_; }

    int32_t TableRequested = 0;
    int32_t LookAhead = 5;
    int32_t DelayCategory = 0;
    uint8_t DelayMode = 0; // 0 summary, 1 actual delays
    int32_t PanoramaRows = 0;
    bool AbsoluteCategoryHits = false;

    // Rebuilds the panorama texts and lets pending events run; raises
    // "INTERNAL ERROR : Cannot find req. JUX ID %d".
    virtual void RefreshPanorama();
    // Rebuilds the JUX Table page.
    virtual void RefreshTable();
    // What the JUX Table page shows since its last refresh.
    const TTablePage& TablePage() const { return tablePage_; }
    TTableView TableView() const;
    int32_t TableCategories() const; // Ct

    // The JUX Table page's own settings: "-", "+", the quick move, the
    // "Absolute category hits" box, the look-ahead entries and query, the
    // delay menu. Each refreshes the page when it changed something.
    bool DecreaseTableRequested();
    bool IncreaseTableRequested();
    bool QuickMoveTableRequested();
    void SetAbsoluteCategoryHits(bool absolute);
    void SetLookAhead(int32_t lookAhead);
    void LookAheadQuery();
    // The delay menu as it opens (choosing category 1 when it is the only one).
    std::vector<TDelayMenuEntry> DelayMenu();
    void ChooseDelayEntry(const TDelayMenuEntry& entry);
    // "Copy to clipboard" (sorted) and "Copy in original order".
    void CopyPrediction(bool sorted);
    void SelectJUX(int32_t id);
    void ShowFinalResults();

    // The panorama texts of the last refresh.
    const TPanoramaGrid& Panorama() const { return panorama_; }
    uint32_t CellColor(int32_t col, int32_t row, uint32_t fixedColor) const;
    std::string ProgressText() const { return progressText_; }
    // What the strip shows while the mouse rests on it.
    std::string HoverProgressText() const;
    std::string RunButtonText() const { return runButtonText_; }
    std::string RequestedLabel() const;
    // The text of txtJUX, and whether it is shown red.
    std::string CurrentText() const;
    bool CurrentListed() const;
    bool CurrentExists() const;

    // Requested numbers of the panorama: "-", "+", the quick move and the
    // mode combo box. True when the panorama changed.
    bool DecreaseRequested();
    bool IncreaseRequested();
    bool QuickMoveRequested();
    void SetPanoramaMode(int32_t mode);

    // The JUX list.
    void AddToUserList(int32_t id);
    void RemoveFromUserList(int32_t id);
    void BrowseUserList();         // "Browse List"
    void ClearListCommand();       // "Clear list", asked first
    void ExportListToRetained();   // "Export list to retained JUXs", asked first
    void JumpToListed(int32_t id); // an ID entry of "JUX list"
    void JumpQuery();              // a click on txtJUX

    // Browsing.
    void ClearBrowse();                      // "Clr Browse"
    void BrowseTo(int32_t position);         // the scroll bar moved, 1-based
    bool BrowseCategory(int32_t col);        // true when it opened the JUX Table page
    bool OpenCell(int32_t col, int32_t row); // double click; same answer

    // Pop-up menus, decided when they open.
    TPanoramaPopupState PanoramaPopup(const TGridRect& selection) const;
    TTablePopupState TablePopup() const;

    // Clipboard and spreadsheet export.
    void ExportPredictions(const TGridRect& selection);
    void ExportPanoramaDetails(const TGridRect& selection);
    void ExportCurrentDetails();

    // The run button.
    void RunButtonClick();

    TEnvironmentClass& Environment() { return env_; }
    const TPanoramaSource& Source() const { return source_; }

protected:
    // Hooks of the window; the plain state has none of these to update.
    virtual void ProgressTextChanged() {}
    virtual void RunButtonChanged() {}
    virtual void UserListChanged() {}   // the "JUX list" entries and txtJUX
    virtual void BrowseListChanged() {} // reset the scroll bar
    virtual void ShowPanoramaPage() {}
    virtual void ShowTablePage() {}
    virtual void RequestedChanged() {} // lblReqNumbers
    // The panorama texts were rebuilt (also after a failed rebuild).
    virtual void PanoramaChanged() {}
    // The JUX Table page was rebuilt.
    virtual void TablePageChanged() {}
    virtual void ProcessPendingEvents() {}
    // Input query (title, prompt, pre-filled value); false when cancelled.
    virtual bool InputQuery(const std::string& title, const std::string& prompt, std::string& value);
    // Save dialog with the preset file name; false when cancelled.
    virtual bool SaveFileQuery(const std::string& presetName, std::string& fileName);

private:
    bool ApplyRequested(int32_t value);
    bool ConfirmNewBrowse();
    void ExportDetails(const TIntegerStore& ids);
    void ResetBrowse();

    TEnvironmentClass& env_;
    TEnginePanoramaSource source_;
    TEngineTableSource tableSource_;
    TPanoramaGrid panorama_;
    TTablePage tablePage_;
    int32_t currentJUX_ = 0;
    int32_t panoramaRequested_ = 0;
    int32_t panoramaMode_ = kPanoramaAugmentative;
    TIntegerStore userJUXList_;
    TIntegerStore browseList_;
    std::string progressText_ = "Currently testing JUX";
    std::string runButtonText_ = "Stop";
};
