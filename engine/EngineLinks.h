// The small interfaces through which the engine calls out while it runs: the
// user interface's event processing, the question whether to go on, the
// display state that decides which tables are kept and which list changes
// matter, and the display's refresh after such a change.
#pragma once

#include <cstdint>
#include <functional>

#include "data/Stores.h"

// Lets the user interface process its pending events between two tables.
class TEventPump {
public:
    virtual ~TEventPump() = default;
    virtual void ProcessPendingEvents() = 0;
};

// What the run loop asks before each table and tells when the maximum number
// of tables has been reached.
class TRunControl {
public:
    virtual ~TRunControl() = default;
    // True while the engine is STARTED.
    virtual bool ShouldContinue() = 0;
    // The run reached MaximumJUXsToScan: the state becomes FINISHED.
    virtual void RunFinished() = 0;
};

// The state of the analysis display that the engine reads.
class TDisplayLink {
public:
    virtual ~TDisplayLink() = default;
    // The table the display shows, 0 for none.
    virtual int32_t CurrentJUX() const = 0;
    // May answer null for an empty list.
    virtual const TIntegerStore* UserJUXList() const = 0;
    virtual const TIntegerStore* BrowseList() const = 0;
    // Requested numbers and mode number (0 Augmentative, 1 Absolute,
    // 2 Build up) of the panorama shown.
    virtual int32_t PanoramaRequested() const = 0;
    virtual int32_t PanoramaMode() const = 0;
};

// A display state held in plain fields, for the command line and tests.
struct TPlainDisplayLink : TDisplayLink {
    int32_t Current = 0;
    TIntegerStore UserList;
    TIntegerStore Browse;
    int32_t Requested = 0;
    int32_t Mode = 0;

    int32_t CurrentJUX() const override { return Current; }
    const TIntegerStore* UserJUXList() const override { return &UserList; }
    const TIntegerStore* BrowseList() const override { return &Browse; }
    int32_t PanoramaRequested() const override { return Requested; }
    int32_t PanoramaMode() const override { return Mode; }
};

// Called after a table whose filing changed a list the display shows.
using TListsChangedHandler = std::function<void()>;
