// jux: the desktop application. Creates the program-wide objects, then the
// main window, and runs the event loop until the window closes; or, with
// --screenshot, saves a picture of the window and exits.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QTimer>

#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "platform/Paths.h"
#include "rules/MainWindowRules.h"
#include "rules/StartArgs.h"
#include "widgets/ClipboardUi.h"
#include "widgets/PathsUi.h"
#include "widgets/PictureUi.h"
#include "widgets/QtFont.h"
#include "widgets/QtDialogs.h"
#include "widgets/WindowPlacement.h"
#include "windows/Application.h"
#include "windows/DrawModifyF.h"
#include "windows/ImportDrawF.h"
#include "windows/MainFrm.h"

namespace {

// The JUX Table page of the finished run, on the chosen table and chart.
bool ShowTablePage(TfrmMain& window, TEnvironmentClass& environment, const TStartArgs& args)
{
    if (environment.RunState != FINISHED) {
        std::fprintf(stderr, "jux: the table page needs a finished run (--game and --tables)\n");
        return false;
    }
    window.btnFinalResultsClick();
    window.Display().ShowTable(args.Table, args.Chart == "delay");
    return true;
}

int Screenshot(TApplicationObjects& objects, const TStartArgs& args)
{
    TEnvironmentClass& environment = objects.Environment();
    TfrmMain window(environment);
    window.SetAutoLoadOnShow(false);
    window.show();
    QApplication::processEvents();

    if (!args.Game.empty()) {
        if (!FileExists(args.Game)) {
            std::fprintf(stderr, "jux: no game file '%s'\n", args.Game.c_str());
            return 1;
        }
        environment.OpenGame(args.Game);
        if (!environment.GameOpen()) {
            std::fprintf(stderr, "jux: '%s' could not be opened as a game\n", args.Game.c_str());
            return 1;
        }
        // A game without draws opens the draws editor modally: a picture run
        // closes it as soon as it shows.
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        window.RefreshLotteryHeader();
        window.UpdateControls();
    }
    if (args.Tables > 0) {
        TGameOptions& options = environment.Options();
        const int32_t maximum = options.MaximumJUXsToScan;
        options.MaximumJUXsToScan = args.Tables;
        window.btnStartClick();
        // The game's options file keeps what it had when the picture run ends.
        options.MaximumJUXsToScan = maximum;
        if (environment.RunState != FINISHED) {
            std::fprintf(stderr, "jux: the run did not finish (state %s)\n", RunStateName(environment.RunState));
            return 1;
        }
    }
    if (args.Page == "import") {
        TImportDrawsForm form(*environment.Game().Draws, &window);
        form.SetOptionsFile(BuildFileName("", args.Game, "ini"));
        form.show();
        form.FileE->setText(PathToQt(args.Import));
        form.FileEReturn();
        QApplication::processEvents();
        if (!SavePicture(form.grab().toImage(), args.File)) {
            std::fprintf(stderr, "jux: cannot write '%s'\n", args.File.c_str());
            return 1;
        }
        return 0;
    }
    if (args.Page == "options") {
        window.btnOptionsClick();
        if (window.CurrentPage() != TfrmMain::TPage::Options)
            std::fprintf(stderr, "jux: the options page needs an open lottery; showing the main page\n");
    } else if (args.Page == "analysis") {
        if (environment.RunState == FINISHED)
            window.btnFinalResultsClick();
        else
            window.ShowAnalysisPage();
    } else if (args.Page == "table" && !ShowTablePage(window, environment, args)) {
        return 1;
    }
    QApplication::processEvents();

    // The draws editor over the main window; editor-field2 shows the last
    // draw's second field.
    std::unique_ptr<TDrawModifyForm> editor;
    if (args.Page == "editor" || args.Page == "editor-field2") {
        editor = std::make_unique<TDrawModifyForm>(environment, &window);
        if (!editor->Created())
            return 1;
        editor->show();
        if (args.Page == "editor-field2") {
            editor->GetBClick();
            editor->FieldUD()->setValue(2);
        }
        QApplication::processEvents();
    }
    const QPixmap picture = editor ? editor->grab() : window.grab();
    if (!SavePicture(picture.toImage(), args.File)) {
        std::fprintf(stderr, "jux: cannot write '%s'\n", args.File.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--version") {
            std::printf("jux %s (%s)\n", kProductVersion, kApplicationTitle);
            return 0;
        }
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/jux/jux.png")));
    QApplication::setDesktopFileName(QStringLiteral("jux"));
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    QApplication::setFont(WindowFont());
    // Doubles are computed at double precision on every target this builds
    // for (SSE2), and tool tips are on by default: nothing to set for either.

    std::vector<std::string> rest;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        rest.push_back(PathFromQt(arguments.at(i)));
    const TStartArgs args = ParseStartArgs(rest);
    if (!args.Error.empty()) {
        std::fprintf(stderr, "jux: %s\n%s\n", args.Error.c_str(), kStartUsage);
        return 2;
    }

    // A picture run answers every question on stderr instead of a modal box.
    TQtDialogs qtDialogs;
    TConsoleDialogs consoleDialogs(TModalResult::No);
    InstallUserDialogs(args.Screenshot ? static_cast<TUserDialogs*>(&consoleDialogs) : &qtDialogs);
    InitLocaleSettings();
    TQtClipboard clipboard;
    InstallClipboard(&clipboard);

    std::unique_ptr<TApplicationObjects> objects;
    try {
        objects = std::make_unique<TApplicationObjects>();
    } catch (const std::exception& e) {
        ShowError(e.what());
        return 1;
    }

    int status = 0;
    if (args.Screenshot) {
        status = Screenshot(*objects, args);
    } else {
        // Windows open where the user left them.
        InstallPlacementFile(IncludeTrailingPathDelimiter(objects->Environment().DataFolder) + kPlacementFileName);
        TfrmMain window(objects->Environment());
        TrackPlacement(window, "MainWindow");
        window.show();
        status = QApplication::exec();
    }
    objects.reset();
    InstallClipboard(nullptr);
    InstallUserDialogs(nullptr);
    return status;
}
