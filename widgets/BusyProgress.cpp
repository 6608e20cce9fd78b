#include "widgets/BusyProgress.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr int kSteps = 100;

// Repaints, without letting the user start anything else meanwhile.
void Repaint() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

} // namespace

TBusyProgress::TBusyProgress(QWidget* parent, const QString& text)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
    dialog_ = new QProgressDialog(text, QString(), 0, kSteps, parent);
    dialog_->setObjectName(QStringLiteral("dlgBusyProgress"));
    dialog_->setWindowTitle(QApplication::applicationDisplayName());
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    dialog_->show();
    Repaint();
}

TBusyProgress::~TBusyProgress() { Finish(); }

void TBusyProgress::Step(double done)
{
    if (!busy_)
        return;
    if (done >= 1) {
        Finish();
        return;
    }
    if (dialog_)
        dialog_->setValue(std::clamp(int(std::lround(done * kSteps)), 0, kSteps));
    Repaint();
}

void TBusyProgress::Finish()
{
    if (!busy_)
        return;
    busy_ = false;
    delete dialog_;
    QApplication::restoreOverrideCursor();
}
