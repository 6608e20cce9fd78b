// The program-wide objects of the desktop application, created before the
// main window and released after it: the analysis options, the engine, the
// environment (with the one current game) and the event pump that keeps the
// window alive while a run computes.
#pragma once

#include <chrono>
#include <memory>

#include "data/GameFile.h"
#include "engine/EngineLinks.h"

class TGameOptions;
class TJUXEngine;
class TEnvironmentClass;

// Lets Qt process pending events between two tables.
class TQtEventPump : public TEventPump {
public:
    void ProcessPendingEvents() override;

private:
    bool polled_ = false;
    std::chrono::steady_clock::time_point lastPoll_;
};

class TApplicationObjects {
public:
    // Installs the environment's OpenGame/CloseGame as the draw file hooks.
    // Raises "Unable to create data directory" when the data folder cannot be made.
    TApplicationObjects();
    ~TApplicationObjects();
    TApplicationObjects(const TApplicationObjects&) = delete;
    TApplicationObjects& operator=(const TApplicationObjects&) = delete;

    TCurrentGame& Game() { return CurrentGame(); }
    TGameOptions& Options() { return *options_; }
    TJUXEngine& Engine() { return *engine_; }
    TEnvironmentClass& Environment() { return *environment_; }
    TQtEventPump& Pump() { return pump_; }

private:
    std::unique_ptr<TGameOptions> options_;
    std::unique_ptr<TJUXEngine> engine_;
    std::unique_ptr<TEnvironmentClass> environment_;
    TQtEventPump pump_;
};
