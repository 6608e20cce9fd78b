// A busy cursor and a small progress window for long work done on the
// user-interface thread, such as saving a long run: the windows repaint at
// every step instead of freezing with whatever was last drawn.
#pragma once

#include <QPointer>
#include <QString>

#include "data/BinaryFileStream.h"

class QProgressDialog;
class QWidget;

class TBusyProgress {
public:
    TBusyProgress(QWidget* parent, const QString& text);
    ~TBusyProgress();
    TBusyProgress(const TBusyProgress&) = delete;
    TBusyProgress& operator=(const TBusyProgress&) = delete;

    // The share done, 0 to 1. At 1 the cursor and the window are back to
    // normal, so that a message shown next is not covered.
    void Step(double done);
    TSaveProgress Callback()
    {
        return [this](double done) { Step(done); };
    }

private:
    void Finish();

    QPointer<QProgressDialog> dialog_;
    bool busy_ = false;
};
