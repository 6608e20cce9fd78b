// The analysis display frame of the main window's analysis page: the progress
// strip with the run button, the panorama of the best tables and the top strip
// of the JUX Table page. Everything it shows comes from TDisplayState.
#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "models/DisplayState.h"

class QMenu;
class QAction;
class QTableWidget;
class QLabel;
class QPushButton;
class QComboBox;
class QScrollBar;
class QTabWidget;
class TJUXTablePanel;

namespace Ui {
class TFrmJUXDisplay;
}

class TFrmJUXDisplay : public QWidget, public TDisplayState {
    Q_OBJECT

public:
    explicit TFrmJUXDisplay(TEnvironmentClass& env, QWidget* parent = nullptr);
    ~TFrmJUXDisplay() override;

    void RefreshTable() override;
    // The requested numbers the display shows, for the odds calculator.
    int32_t RequestedNumbersSelected() const { return TableRequested; }

    // The panorama's selection as one rectangle (empty without one).
    TGridRect PanoramaSelection() const;
    // The menus as they stand after their visibility rules ran (for tests).
    QMenu* PanoramaMenu() const { return panoramaMenu_; }
    QMenu* TableMenu() const { return tableMenu_; }
    QMenu* UserListMenu() const { return userListMenu_; }
    void UpdatePanoramaMenu();
    void UpdateTableMenu();
    // The statistics, prediction and charts of the JUX Table page.
    TJUXTablePanel* TablePanel() const { return tablePanel_; }
    // The JUX Table page on a table (0: the panorama's first) and chart.
    void ShowTableWithChart(int32_t id, bool delayChart);

protected:
    void ProgressTextChanged() override;
    void RunButtonChanged() override;
    void UserListChanged() override;
    void BrowseListChanged() override;
    void ShowPanoramaPage() override;
    void ShowTablePage() override;
    void RequestedChanged() override;
    void PanoramaChanged() override;
    void TablePageChanged() override;
    void ProcessPendingEvents() override;
    bool InputQuery(const std::string& title, const std::string& prompt, std::string& value) override;
    bool SaveFileQuery(const std::string& presetName, std::string& fileName) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void Connect();
    void UpdateCurrentLabel();
    // Runs a change with the strip's controls disabled; errors are shown.
    template <typename F> void WithStripDisabled(F&& change);

    std::unique_ptr<Ui::TFrmJUXDisplay> ui_;
    QMenu* panoramaMenu_ = nullptr;
    QAction* mniAddFavorite_ = nullptr;
    QAction* mniRemoveFavorite_ = nullptr;
    QAction* mniBrowseCategory_ = nullptr;
    QAction* mniExportPredictions_ = nullptr;
    QAction* mniExportPanoramaExcel_ = nullptr;
    QMenu* tableMenu_ = nullptr;
    QMenu* userListMenu_ = nullptr;
    QAction* mniBrowseList_ = nullptr;
    QAction* mniClearList_ = nullptr;
    QAction* mniExportRetained_ = nullptr;
    QAction* mniAddJUX_ = nullptr;
    QAction* mniRemoveJUX_ = nullptr;
    QAction* mniExportTableExcel_ = nullptr;
    TJUXTablePanel* tablePanel_ = nullptr;
    TPanoramaPopupState panoramaPopup_;
    // The IDs of the "JUX list" entries, in menu order.
    std::vector<int32_t> userListIds_;
};
