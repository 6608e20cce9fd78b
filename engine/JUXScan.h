// The scan that fills one table: the draws of the analysed field(s) prepared
// once per run, the position windows and the rating of a window, done with
// integer arithmetic. Ratings are sums of counts, so integers give exactly the
// values that 64-bit floats would. Three paths compute the same ratings
// (engine/JUXScanParts.h says which serves when).
//
// Tables hold pool numbers 1 .. PoolSize: a field whose smallest ball is 0
// has ball b analysed as number b + 1 (TJUXEngine::BallOf maps back).
#pragma once

#include <cstdint>
#include <memory>

#include "data/GameModel.h"

struct TRunContext;
class TJUXClass;

class TJUXScanner {
public:
    static constexpr int32_t kMaxHitWidth = 14;
    // The largest pool a table ranks.
    static constexpr int32_t kMaxPool = 99;

    // Which vector routines a scan may use; the tables are the same with
    // either. Widest takes the 512-bit ones where the CPU has them; Portable
    // keeps to those every x86-64 processor has.
    enum class TVectors { Widest, Portable };

    explicit TJUXScanner(TVectors vectors = TVectors::Widest);
    ~TJUXScanner();
    TJUXScanner(const TJUXScanner&) = delete;
    TJUXScanner& operator=(const TJUXScanner&) = delete;

    void SetVectors(TVectors vectors) { vectors_ = vectors; }
    TVectors Vectors() const { return vectors_; }
    // Whether this CPU has the 512-bit vector routines.
    static bool WideVectorsAvailable();
    // The path of the last scan begun (engine/JUXScanParts.h).
    enum class TPath { Recount, Sliding, Wide };
    TPath LastPath() const;

    // Reads every draw of the analysed field(s) named by the context.
    void LoadDraws(const TDrawClass* game, const TRunContext& context);
    void Invalidate();
    bool Loaded() const;
    int32_t DrawCount() const;

    // Fills `table` from the draws (predecessor null) or from its predecessor,
    // which must have the table's sizes. Advances the context's CurrentDraw,
    // WindowStart and RowCursor as it goes.
    void Scan(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

    // The same scan one step at a time (Scan is BeginScan, then ScanStep as
    // many times as it answers), for a caller that paces the steps. Step s
    // (from 0) writes row s, or the final order at the last step, and reads
    // of the predecessor only what its steps 0 .. s wrote: a table can follow
    // its predecessor's computation step by step.
    int32_t BeginScan(const TJUXClass& table, TRunContext& context);
    void ScanStep(TJUXClass& table, const TJUXClass* predecessor, TRunContext& context);

private:
    struct TState; // JUXScan.cpp
    TVectors vectors_;
    std::unique_ptr<TState> state_;
};
