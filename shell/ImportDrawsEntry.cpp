// The draws editor's way into the import window.
#include "shell/ImportDrawsEntry.h"

#include "data/Utils.h"
#include "engine/Environment.h"
#include "shell/ImportDrawF.h"
#include "shell/WindowPlacement.h"

int ExecuteImportDraws(QWidget* parent, TEnvironmentClass& environment)
{
    TCurrentGame& game = environment.Game();
    if (!game.Draws)
        return 0;
    TImportDrawsForm form(*game.Draws, parent);
    if (!game.FilePath.empty())
        form.SetOptionsFile(BuildFileName("", game.FilePath, "ini"));
    TrackPlacement(form, "ImportDraws");
    form.exec();
    return form.ImportedCount();
}
