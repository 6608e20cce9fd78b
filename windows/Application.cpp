// Creation order follows the dependencies: options, engine (reads the
// options), environment (drives both and the current game).
#include "windows/Application.h"

#include <QCoreApplication>

#include "engine/Environment.h"
#include "engine/GameOptions.h"
#include "engine/JUXEngine.h"
#include "windows/ShellHooks.h"

// Called between two tables, tens of thousands of times a second: asking Qt
// every millisecond keeps the window as quick to answer and the run at the
// engine's pace.
void TQtEventPump::ProcessPendingEvents()
{
    const auto now = std::chrono::steady_clock::now();
    if (polled_ && now - lastPoll_ < std::chrono::milliseconds(1))
        return;
    polled_ = true;
    lastPoll_ = now;
    QCoreApplication::processEvents();
}

TApplicationObjects::TApplicationObjects()
    : options_(std::make_unique<TGameOptions>()), engine_(std::make_unique<TJUXEngine>(*options_))
{
    environment_ = std::make_unique<TEnvironmentClass>(CurrentGame(), *options_, *engine_);
    environment_->SetEventPump(&pump_);
    engine_->SetEventPump(&pump_);
    TEnvironmentClass* env = environment_.get();
    InstallDrawFileHooks([env](const std::string& path) { env->OpenGame(path); }, [env]() { return env->CloseGame(); });
}

TApplicationObjects::~TApplicationObjects()
{
    InstallDrawFileHooks(nullptr, nullptr);
    environment_.reset();
    // A game the user chose to keep at the last question still goes with the program.
    ReleaseGame(CurrentGame());
    options_->SetGame(nullptr);
    engine_.reset();
    options_.reset();
}
