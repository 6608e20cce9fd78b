// The message dialogs of the desktop application, shown with QMessageBox.
#pragma once

#include <QString>

#include "data/UserDialogs.h"

class TQtDialogs : public TUserDialogs {
public:
    TModalResult ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind) override;
};

// The core writes line breaks as "\n\r"; a message box wants "\n".
QString DialogText(const std::string& text);
