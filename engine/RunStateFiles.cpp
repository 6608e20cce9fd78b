#include "engine/RunStateFiles.h"

#include <algorithm>

#include "data/Utils.h"
#include "engine/JUXEngine.h"

namespace {

constexpr uint32_t kJSFVersion = 1;

void WriteModeList(TMemoryStream& s, const TModeList& mode)
{
    s.WriteI32(mode.Count());
    for (int i = 1; i <= mode.Count(); ++i) {
        const TColumnStore* column = mode.GetRecord(i);
        s.WriteI32(column->Count());
        for (int j = 1; j <= column->Count(); ++j)
            column->GetRecord(j)->SaveToStream(s);
    }
}

void ReadModeList(TMemoryStream& s, TModeList& mode, int32_t poolSize, int32_t hitWidth)
{
    mode.SetDelta(std::max(poolSize - 1, 1));
    const int32_t columns = s.ReadI32();
    // Each column takes at least its 4-byte count, so a count the image has
    // no bytes for is refused before anything is built.
    if (columns < 0 || static_cast<size_t>(columns) > s.Remaining() / 4)
        throw EStreamError("Stream read error");
    for (int32_t i = 1; i <= columns; ++i) {
        auto column = std::make_unique<TColumnStore>();
        column->SetDelta(std::max(std::min(i, hitWidth), 1));
        const int32_t lists = s.ReadI32();
        if (lists < 0 || static_cast<size_t>(lists) > s.Remaining() / 5)
            throw EStreamError("Stream read error");
        for (int32_t j = 1; j <= lists; ++j) {
            auto list = std::make_unique<TCategoryList>();
            list->LoadFromStream(s);
            column->AddRecord(list);
        }
        mode.AddRecord(column);
    }
}

// The array-of-rows form WriteByteArrays gives, written straight from the
// table's own storage: a long run holds thousands of tables of a hundred rows
// and more, and copying each row into an array first was most of the image's
// cost.
void WriteRows(TMemoryStream& s, int32_t rows, int32_t width, const int8_t* (*row)(const TJUXClass&, int32_t),
               const TJUXClass& table)
{
    s.WriteI32(rows);
    for (int32_t r = 0; r < rows; ++r) {
        s.WriteI32(width);
        s.Write(row(table, r), size_t(width));
    }
}

// Bytes a table takes in the image.
size_t TableImageBytes(const TJUXClass& table)
{
    const size_t rows = size_t(table.Rows());
    return 4 + 4 + table.FinalOrder.size() + 4 + rows * (4 + size_t(table.PoolSize())) + 4 +
           rows * (4 + size_t(table.HitWidth()));
}

[[noreturn]] void Refuse(const std::string& why) { throw Exception("The run state file is damaged: " + why + "."); }

} // namespace

TBinaryFileStreamOptionsState::TBinaryFileStreamOptionsState(TGameOptions& options, const std::string& gamePath)
    : TBaseBinaryFileStream(MakeFileHeaderID("JOF "), 0), options_(options), gamePath_(gamePath)
{}

void TBinaryFileStreamOptionsState::WritePayload()
{
    StoreString(Data, gamePath_);
    Data.WriteI32(options_.FieldSelected);
    Data.WriteI32(options_.TotalTestDraws);
    Data.WriteI32(options_.MaxStatData);
    Data.WriteI32(options_.StartPoint);
    Data.WriteI32(options_.MinReqNumbers);
    Data.WriteI32(options_.MaxReqNumbers);
    Data.WriteI32(options_.MinHitCategory);
    Data.WriteI32(options_.MaxHitCategory);
    Data.WriteI32(options_.MaximumJUXsPerColumn);
    Data.WriteI32(options_.MaximumJUXsToScan);
    Data.WriteI32((options_.Modes & kModeAugmentative) ? 1 : 0);
    Data.WriteI32((options_.Modes & kModeAbsolute) ? 1 : 0);
    Data.WriteI32((options_.Modes & kModeBuildup) ? 1 : 0);
    StoreString(Data, options_.CompareNumsText());
    options_.KeepJUXs.SaveToStream(Data);
}

void TBinaryFileStreamOptionsState::ReadPayload()
{
    (void)LoadString(Data);
    options_.SetFieldSelected(Data.ReadI32());
    options_.TotalTestDraws = Data.ReadI32();
    options_.MaxStatData = Data.ReadI32();
    options_.SetStartPoint(Data.ReadI32());
    options_.MinReqNumbers = Data.ReadI32();
    options_.MaxReqNumbers = Data.ReadI32();
    options_.MinHitCategory = Data.ReadI32();
    options_.MaxHitCategory = Data.ReadI32();
    options_.MaximumJUXsPerColumn = Data.ReadI32();
    options_.MaximumJUXsToScan = Data.ReadI32();
    options_.Modes = 0;
    if (Data.ReadI32() == 1)
        options_.Modes |= kModeAugmentative;
    if (Data.ReadI32() == 1)
        options_.Modes |= kModeAbsolute;
    if (Data.ReadI32() == 1)
        options_.Modes |= kModeBuildup;
    options_.SetCompareNums(DigitRuns(LoadString(Data)));
    TIntegerStore keep;
    keep.LoadFromStream(Data);
    options_.SetKeepJUXs(keep);
}

void TBinaryFileStreamJUXStateRevision::Upgrade(TMemoryStream& image, uint32_t storedVersion)
{
    if (storedVersion != 0)
        throw Exception(Format("[TBinaryFileStreamJUXStateRevision] - invalid revision request %d",
                               static_cast<int>(storedVersion)));
    const std::vector<uint8_t>& in = image.Bytes();
    TMemoryStream src(in);
    TMemoryStream out;
    uint8_t header[12];
    src.Read(header, sizeof header);
    out.Write(header, sizeof header);

    auto subStream = [&](std::vector<uint8_t>& bytes) {
        const uint32_t n = src.ReadU32();
        if (n > src.Remaining())
            throw EStreamError("Stream read error");
        bytes.resize(n);
        src.Read(bytes.data(), n);
    };
    std::vector<uint8_t> draws, options;
    subStream(draws);
    subStream(options);
    // Items 4 to 11: 4 + 32 + 3 * 4 + 1 + 2 * 4 bytes.
    uint8_t context[57];
    src.Read(context, sizeof context);

    // The options image: 12-byte header, the path, thirteen int32 items and
    // the compare numbers text, then KeepJUXs.
    TMemoryStream opt(options);
    opt.Seek(12);
    (void)LoadString(opt);
    opt.Seek(opt.Position() + 13 * 4);
    if (opt.Position() > opt.Size())
        throw EStreamError("Stream read error");
    (void)LoadString(opt);
    TIntegerStore keep;
    keep.LoadFromStream(opt);

    out.WriteU32(static_cast<uint32_t>(draws.size()));
    out.Write(draws.data(), draws.size());
    out.WriteU32(static_cast<uint32_t>(options.size()));
    out.Write(options.data(), options.size());
    out.WriteI32(0);
    out.Write(context, sizeof context);
    keep.SaveToStream(out);
    std::vector<uint8_t> rest(src.Remaining());
    src.Read(rest.data(), rest.size());
    out.Write(rest.data(), rest.size());

    image = std::move(out);
    image.Seek(0);
}

TBinaryFileStreamJUXState::TBinaryFileStreamJUXState(TCurrentGame& game, TGameOptions& options, TJUXEngine& engine,
                                                     TIntegerStore& userList)
    : TBaseBinaryFileStream(MakeFileHeaderID("JSF "), kJSFVersion), game_(game), options_(options), engine_(engine),
      userList_(userList)
{
    // The image is mostly rankings, which hold few repeats for deflate's
    // search to find: on a long run level 9 took seven times as long for a
    // file 5% smaller.
    CompressionKind = TCompression::EntropyOnly;
}

void TBinaryFileStreamJUXState::UpgradeFrom(uint32_t storedVersion)
{
    TBinaryFileStreamJUXStateRevision::Upgrade(Data, storedVersion);
}

void TBinaryFileStreamJUXState::WritePayload()
{
    TBinaryFileStreamDraws draws(game_);
    AppendSubStream(draws);
    TBinaryFileStreamOptionsState options(options_, game_.FilePath);
    AppendSubStream(options);

    const TRunContext& c = engine_.Context;
    Data.WriteI32(c.ReservedState);
    Data.WriteI32(c.TablesComputed);
    WriteFieldDescriptor(Data, c.FieldDefsCopy[0]);
    WriteFieldDescriptor(Data, c.FieldDefsCopy[1]);
    Data.WriteI32(c.AnalysedField);
    Data.WriteI32(c.PoolSize);
    Data.WriteI32(c.DrawnCount);
    Data.WriteU8(c.CombinedSecondField ? 1 : 0);
    Data.WriteI32(c.StatWindow);
    Data.WriteI32(c.TestedDraws);
    userList_.SaveToStream(Data);
    engine_.TableIds.SaveToStream(Data);
    for (int32_t m = 0; m < kModeCount; ++m)
        WriteModeList(Data, engine_.Lists.ModeList(m));
    const int count = engine_.TableRegistry.Count();
    // The tables are nearly all of the image: room for them at once, rather
    // than copying a growing image over and over.
    size_t tableBytes = 4;
    for (int t = 1; t <= count; ++t)
        tableBytes += TableImageBytes(*engine_.TableRegistry.GetRecord(t));
    Data.Bytes().reserve(Data.Size() + tableBytes);
    Data.WriteI32(count);
    for (int t = 1; t <= count; ++t) {
        const TJUXClass* table = engine_.TableRegistry.GetRecord(t);
        Data.WriteI32(table->Id);
        WriteBytes(Data, table->FinalOrder);
        WriteRows(
            Data, table->Rows(), table->HitWidth(), [](const TJUXClass& j, int32_t r) { return j.RowHit(r); }, *table);
        WriteRows(
            Data, table->Rows(), table->PoolSize(), [](const TJUXClass& j, int32_t r) { return j.RowOrder(r); },
            *table);
        PayloadProgress(double(t) / count);
    }
}

void TBinaryFileStreamJUXState::ReadPayload()
{
    TBinaryFileStreamDraws draws(game_);
    ExtractSubStream(draws);
    options_.SetGame(game_.Draws.get());
    TBinaryFileStreamOptionsState options(options_, "");
    ExtractSubStream(options);

    TRunContext& c = engine_.Context;
    c.ReservedState = Data.ReadI32();
    c.TablesComputed = Data.ReadI32();
    c.FieldDefsCopy[0] = ReadFieldDescriptor(Data);
    c.FieldDefsCopy[1] = ReadFieldDescriptor(Data);
    c.AnalysedField = Data.ReadI32();
    c.PoolSize = Data.ReadI32();
    c.DrawnCount = Data.ReadI32();
    c.CombinedSecondField = Data.ReadU8() != 0;
    c.StatWindow = Data.ReadI32();
    c.TestedDraws = Data.ReadI32();
    c.SecondDrawnCount = c.FieldDefsCopy[1].Picked;
    c.RowCursor = 0;

    userList_.LoadFromStream(Data);
    engine_.TableIds.LoadFromStream(Data);

    // Everything below is sized from the context, so it has to be sane first.
    if (c.AnalysedField < 1 || c.AnalysedField > 2)
        Refuse("analysed field");
    const TGameField& field = c.FieldDefsCopy[size_t(c.AnalysedField - 1)];
    if (c.PoolSize != field.Total || c.DrawnCount != field.Picked || c.PoolSize < 2 || c.PoolSize > 99 ||
        c.DrawnCount < 1 || c.HitWidth() < 1 || c.HitWidth() > 14)
        Refuse("run context");
    const int32_t k = c.HitWidth();
    for (int32_t m = 0; m < kModeCount; ++m)
        ReadModeList(Data, engine_.Lists.ModeList(m), c.PoolSize, k);

    const int32_t count = Data.ReadI32();
    if (count < 0 || static_cast<size_t>(count) > Data.Remaining() / 16)
        throw EStreamError("Stream read error");
    if (count != engine_.TableIds.Count())
        Refuse("table count");
    const int32_t rows = engine_.Rows();
    for (int32_t t = 0; t < count; ++t) {
        const int32_t id = Data.ReadI32();
        TShortIntArray finalOrder = ReadBytes(Data);
        TArrayOfShortIntArray rowHits = ReadByteArrays(Data);
        TArrayOfShortIntArray rowOrders = ReadByteArrays(Data);
        if (rows <= 0 || static_cast<int32_t>(rowOrders.size()) != rows)
            Refuse("table size");
        auto table = engine_.CreateTable(id);
        if (!table->SetArrays(finalOrder, rowOrders, rowHits))
            Refuse("table size");
        engine_.TableRegistry.AddRecord(table);
    }
    engine_.Lists.ListsReplaced();
    CheckConsistency();
}

void TBinaryFileStreamJUXState::CheckConsistency()
{
    const TRunContext& c = engine_.Context;
    if (!game_.Draws || game_.Info.State != 2)
        Refuse("game");
    const TGameInfo& g = game_.Info;
    // The run must be one the stored game and options can have produced.
    for (size_t f = 0; f < 2; ++f) {
        const TGameField& a = c.FieldDefsCopy[f];
        const TGameField& b = g.Fields[f];
        if (a.Total != b.Total || a.Picked != b.Picked || a.Lowest != b.Lowest || a.Ordered != b.Ordered)
            Refuse("field definitions");
    }
    if (c.CombinedSecondField != (g.Field2Kind == 2 && options_.FieldSelected == 2) ||
        (c.AnalysedField == 2 && g.Field2Kind != 1) || (c.CombinedSecondField && c.AnalysedField != 1))
        Refuse("analysed field");
    if (c.TestedDraws != options_.TotalTestDraws || c.StatWindow != options_.MaxStatData)
        Refuse("tested draws or statistical data");
    if (c.TablesComputed < 0)
        Refuse("tables computed");

    // IDs: ascending, one per table in the same order, none beyond the newest.
    const int count = engine_.TableRegistry.Count();
    int32_t previous = 0;
    for (int t = 1; t <= count; ++t) {
        int32_t id = 0;
        engine_.TableIds.GetInt(t, id);
        const TJUXClass* table = engine_.TableRegistry.GetRecord(t);
        if (id <= previous || table->Id != id || id > c.TablesComputed)
            Refuse("table IDs");
        previous = id;
        auto inPool = [&](const int8_t* v, int n, int low) {
            for (int i = 0; i < n; ++i)
                if (v[i] < low || v[i] > c.PoolSize)
                    return false;
            return true;
        };
        if (!inPool(table->FinalOrder.data(), int(table->FinalOrder.size()), 0))
            Refuse("table values");
        for (int32_t r = 0; r < table->Rows(); ++r)
            if (!inPool(table->RowOrder(r), table->PoolSize(), 1) || !inPool(table->RowHit(r), table->HitWidth(), 0))
                Refuse("table values");
    }
    // Resuming computes the next table from the newest one.
    if (c.TablesComputed > 0 && !engine_.FindTable(c.TablesComputed))
        Refuse("newest table missing");

    // The lists must have the shape a run builds, and name live tables only.
    const int32_t k = c.HitWidth();
    for (int32_t m = 0; m < kModeCount; ++m) {
        const TModeList& mode = engine_.Lists.ModeList(m);
        if (mode.Count() != c.PoolSize - 1)
            Refuse("best-table lists");
        for (int i = 1; i <= mode.Count(); ++i) {
            const TColumnStore* column = mode.GetRecord(i);
            if (column->Count() != std::min(i, k))
                Refuse("best-table lists");
            for (int j = 1; j <= column->Count(); ++j) {
                const TCategoryList* list = column->GetRecord(j);
                for (int p = 1; p <= list->Count(); ++p) {
                    int32_t id = 0;
                    list->GetInt(p, id);
                    if (!engine_.FindTable(id))
                        Refuse("best-table lists");
                }
            }
        }
    }
}
