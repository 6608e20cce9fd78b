// Running a user's command from a Qt slot.
#pragma once

#include <exception>

#include <QWidget>

#include "data/UserDialogs.h"

// Nothing may leave a Qt slot; a failure is told to the user instead.
template <typename F> void Guarded(F&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

// Runs a change with the controls disabled; they are enabled again after it,
// and a failure is shown to the user.
template <typename Controls, typename F> void WithDisabled(const Controls& controls, F&& change)
{
    for (QWidget* w : controls)
        w->setEnabled(false);
    Guarded(change);
    for (QWidget* w : controls)
        w->setEnabled(true);
}
