// Run state files (*.jsf): a paused or finished run with its game snapshot,
// its options, the run context, the user's table list, the best-table lists
// and every live table. Version 0 files are upgraded on reading.
#pragma once

#include <cstdint>
#include <string>

#include "data/BinaryFileStream.h"
#include "data/GameFile.h"
#include "data/Stores.h"
#include "engine/GameOptions.h"

class TJUXEngine;

// The options of a run ("JOF ", version 0).
class TBinaryFileStreamOptionsState : public TBaseBinaryFileStream {
public:
    TBinaryFileStreamOptionsState(TGameOptions& options, const std::string& gamePath);

protected:
    void ReadPayload() override;
    void WritePayload() override;

private:
    TGameOptions& options_;
    std::string gamePath_;
};

// Converts a version 0 run state image into a version 1 image in memory.
class TBinaryFileStreamJUXStateRevision {
public:
    // Raises "[TBinaryFileStreamJUXStateRevision] - invalid revision request %d"
    // for any stored version but 0.
    static void Upgrade(TMemoryStream& image, uint32_t storedVersion);
};

// The whole run ("JSF ", version 1), bound to the live objects it writes
// from and reads into.
class TBinaryFileStreamJUXState : public TBaseBinaryFileStream {
public:
    TBinaryFileStreamJUXState(TCurrentGame& game, TGameOptions& options, TJUXEngine& engine, TIntegerStore& userList);

protected:
    void UpgradeFrom(uint32_t storedVersion) override;
    void ReadPayload() override;
    void WritePayload() override;

private:
    // Refuses a run whose parts do not fit together (tables of another size,
    // lists naming tables that are not there, a context the game cannot have).
    void CheckConsistency();

    TCurrentGame& game_;
    TGameOptions& options_;
    TJUXEngine& engine_;
    TIntegerStore& userList_;
};
