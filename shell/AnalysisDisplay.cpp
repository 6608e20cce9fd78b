// STAND-IN for the analysis display frame (TFrmJUXDisplay). When its header
// display/JUXDisplayFrame.h lands, CreateAnalysisDisplay makes that frame and
// this stand-in goes.
#include "shell/AnalysisDisplay.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "data/Types.h"
#include "engine/Environment.h"
#include "engine/JUXEngine.h"

namespace {

class TDisplayStandIn : public QWidget, public TDisplayFrameLink {
public:
    TDisplayStandIn(QWidget* parent, TEnvironmentClass& environment) : QWidget(parent), environment_(environment)
    {
        auto* layout = new QVBoxLayout(this);
        auto* strip = new QHBoxLayout;
        progress_ = new QLabel(QStringLiteral("Currently testing JUX"), this);
        progress_->setObjectName(QStringLiteral("lblProgressInfo"));
        run_ = new QPushButton(QStringLiteral("Stop"), this);
        run_->setObjectName(QStringLiteral("btnStopCalculations"));
        strip->addWidget(progress_, 1);
        strip->addWidget(run_);
        layout->addLayout(strip);
        layout->addStretch(1);
        connect(run_, &QPushButton::clicked, this, [this] { environment_.RunButtonCommand(); });
        UserList_.SetOrder(0);
    }

    int32_t CurrentJUX() const override { return 0; }
    const TIntegerStore* UserJUXList() const override { return &UserList_; }
    const TIntegerStore* BrowseList() const override { return &browse_; }
    int32_t PanoramaRequested() const override { return environment_.Engine().Context.DrawnCount; }
    int32_t PanoramaMode() const override { return 0; }

    void PrepareForRun() override { UpdateRunButton(); }
    void ClearUserList() override { UserList_.Clear(); }
    void AddIDsToUserList(const TIntegerStore& ids) override
    {
        for (int i = 1; i <= ids.Count(); ++i) {
            int32_t id = 0;
            if (ids.GetInt(i, id) && !UserList_.ContainsInt(id))
                UserList_.AddInt(id);
        }
    }
    void UpdateRunButton() override
    {
        switch (environment_.RunState) {
        case STARTED:
            run_->setText(QStringLiteral("Pause"));
            break;
        case PAUSED:
            run_->setText(QStringLiteral("Resume"));
            break;
        case FINISHED:
            run_->setText(QStringLiteral("Close"));
            break;
        default:
            break;
        }
    }
    TIntegerStore& UserList() override { return UserList_; }

    void ShowFinalResults()
    {
        progress_->setText(QString::fromStdString(Format("Displaying final prediction results (%d JUXs tested)",
                                                         environment_.Engine().Context.TablesComputed)));
        UpdateRunButton();
    }

private:
    TEnvironmentClass& environment_;
    QLabel* progress_;
    QPushButton* run_;
    TIntegerStore UserList_;
    TIntegerStore browse_;
};

} // namespace

TAnalysisDisplayParts CreateAnalysisDisplay(QWidget* parent, TEnvironmentClass& environment)
{
    auto* standIn = new TDisplayStandIn(parent, environment);
    TAnalysisDisplayParts parts;
    parts.Widget = standIn;
    parts.Link = standIn;
    parts.ShowFinalResults = [standIn] { standIn->ShowFinalResults(); };
    return parts;
}
