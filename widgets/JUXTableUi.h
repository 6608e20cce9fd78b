// The content of the JUX Table page below its top strip: the requested-numbers
// strip, the "Hits Produced" and "Predicted Numbers" pages, and the hits and
// delay charts with their pop-up menus. It renders the page TDisplayState
// worked out and forwards the user's commands to it.
#pragma once

#include <array>
#include <functional>

#include <QString>
#include <QWidget>

#include "models/DisplayState.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class TNiceChart;

class TJUXTablePanel : public QWidget {
    Q_OBJECT

public:
    TJUXTablePanel(TDisplayState& state, QWidget* parent = nullptr);

    // Shows what the state's last refresh worked out.
    void Render();

    // Asks where to save a chart picture; an empty answer cancels.
    std::function<QString(const QString& presetName)> ChoosePictureFile;

    TNiceChart* HitsChart() const { return ncHits_; }
    // The two grids; their context menu is the frame's table menu.
    QTableWidget* SuccessGrid() const { return sgSuccess_; }
    QTableWidget* PredictGrid() const { return sgPredict_; }
    TNiceChart* DelayChart() const { return ncDelay_; }
    // Brings the hits chart or the delay chart to the front.
    void ShowChart(bool delay);
    QMenu* HitsMenu() const { return popHits_; }
    QMenu* DelayMenu() const { return popDelay_; }
    // Rebuilds the delay menu as opening it does.
    void UpdateDelayMenu();
    // The strip's four controls, and whether the statistics are shown.
    std::array<QWidget*, 4> StripControls() const { return stripControls_; }
    bool ContentShown() const;
    // Runs a change with the strip's controls disabled; they are enabled
    // again whatever happens, and a failure is shown to the user.
    void WithStripDisabled(const std::function<void()>& change);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void Connect();
    void RenderGrids(const TTablePage& page);
    void RenderCharts(const TTablePage& page);
    void SaveChart(TNiceChart* chart);

    TDisplayState& state_;
    QPushButton* btnLess_ = nullptr;
    QPushButton* btnMore_ = nullptr;
    QLabel* lblJUXReqNumbers_ = nullptr;
    QCheckBox* chkJUXAbsolute_ = nullptr;
    std::array<QWidget*, 4> stripControls_{};
    QStackedWidget* stack_ = nullptr;
    QLabel* lblNoTable_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* pgStatistics_ = nullptr;
    QTableWidget* sgSuccess_ = nullptr;
    QGroupBox* grpPredict_ = nullptr;
    QTableWidget* sgPredict_ = nullptr;
    QPushButton* btnCopy_ = nullptr;
    QMenu* popCopy_ = nullptr;
    QTabWidget* pgCharts_ = nullptr;
    TNiceChart* ncHits_ = nullptr;
    TNiceChart* ncDelay_ = nullptr;
    QMenu* popHits_ = nullptr;
    QMenu* popDelay_ = nullptr;
};
