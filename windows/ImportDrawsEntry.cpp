// The draws editor's way into the import window.
#include "windows/ImportDrawsEntry.h"

#include "data/Utils.h"
#include "engine/Environment.h"
#include "widgets/WindowPlacement.h"
#include "windows/ImportDrawF.h"

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
