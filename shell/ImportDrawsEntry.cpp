// Until the import window exists, its entry point says so.
#include "shell/ImportDrawsEntry.h"

#include "data/UserDialogs.h"
#include "shell/MainWindowRules.h"

int ExecuteImportDraws(QWidget* /*parent*/, TEnvironmentClass& /*environment*/)
{
    ShowInfo(kNotAvailableText);
    return 0;
}
