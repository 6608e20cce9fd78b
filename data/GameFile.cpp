#include "data/GameFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "data/TextCodec.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/SafeSave.h"

namespace {

constexpr size_t kDrawOffsetAt = 8;
constexpr size_t kCountAt = 12;
constexpr size_t kChecksumAt = 4;
constexpr size_t kChecksumFrom = 8;
// A header beyond this (a huge commission list) is stamped by its start.
constexpr size_t kMaxStampedHeader = size_t(64) << 10;

// The game's identity as both the game file and the run state's draws
// stream begin it: online ID, last update, field count and kind, draws a
// day, name. What follows differs between the two.
void WriteGameIdentity(TMemoryStream& s, const TGameInfo& g)
{
    s.WriteI32(g.OnlineID);
    s.WriteDouble(g.LastUpdate);
    s.WriteI32(g.FieldCount);
    s.WriteU8(g.Field2Kind);
    s.WriteI32(g.DrawsPerDay);
    StoreString(s, g.Name);
}

void ReadGameIdentity(TMemoryStream& s, TGameInfo& g)
{
    g.OnlineID = s.ReadI32();
    g.LastUpdate = s.ReadDouble();
    g.FieldCount = s.ReadI32();
    g.Field2Kind = s.ReadU8();
    g.DrawsPerDay = s.ReadI32();
    g.Name = LoadString(s);
}

// The optional blocks and the commission list that end both headers.
void WriteOptionalParts(TMemoryStream& s, const TGameInfo& g)
{
    s.Write(g.OptionalBlock1.data(), g.OptionalBlock1.size());
    s.Write(g.OptionalBlock2.data(), g.OptionalBlock2.size());
    s.Write(g.OptionalBlock3.data(), g.OptionalBlock3.size());
    s.Write(g.OptionalBlock4.data(), g.OptionalBlock4.size());
    g.Commission.WriteToStream(s);
}

// Reads the commission pairs after checking their count against the bytes
// present (every pair takes at least its two terminators). False for a count
// that is negative or above kMaxCommissionPairs.
bool ReadOptionalParts(TMemoryStream& s, TGameInfo& g)
{
    s.Read(g.OptionalBlock1.data(), g.OptionalBlock1.size());
    s.Read(g.OptionalBlock2.data(), g.OptionalBlock2.size());
    s.Read(g.OptionalBlock3.data(), g.OptionalBlock3.size());
    s.Read(g.OptionalBlock4.data(), g.OptionalBlock4.size());
    const size_t at = s.Position();
    const int32_t count = s.ReadI32();
    if (count < 0 || count > kMaxCommissionPairs)
        return false;
    if (static_cast<size_t>(count) > s.Remaining() / 2)
        throw EStreamError("Stream read error");
    s.Seek(at);
    g.Commission.ReadFromStream(s);
    return true;
}

void PatchU32(TMemoryStream& s, size_t at, uint32_t value)
{
    const size_t end = s.Position();
    s.Seek(at);
    s.WriteU32(value);
    s.Seek(end);
}

uint32_t ReadU32At(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void StoreGameChecksum(TMemoryStream& s)
{
    const auto& b = s.Bytes();
    PatchU32(s, kChecksumAt, WordChecksum(b.data() + kChecksumFrom, b.size() - kChecksumFrom));
}

void WriteValue(TMemoryStream& s, uint64_t value, int width)
{
    uint8_t b[4];
    for (int i = 0; i < width; ++i)
        b[i] = static_cast<uint8_t>(value >> (8 * i));
    s.Write(b, static_cast<size_t>(width));
}

uint32_t ReadValue(TMemoryStream& s, int width)
{
    uint8_t b[4] = {0, 0, 0, 0};
    s.Read(b, static_cast<size_t>(width));
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

// Day number of a stored date; false when it cannot be a 32-bit day number.
bool DayNumber(TDateTime date, int32_t& day)
{
    const double r = std::nearbyint(date);
    if (!std::isfinite(r) || r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        return false;
    day = static_cast<int32_t>(r);
    return true;
}

int RecordSize(const TGameIOInfo& info)
{
    int size = 6;
    for (int f = 0; f < info.Game.FieldCount; ++f)
        size += info.FieldWidths[f];
    return size;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : IncludeTrailingPathDelimiter(folder) + name;
}

// Fills the model with `count` records that read(r, date, index, status,
// numbers) takes from the image (raising on a damaged one, as the file order
// meets it). A dated model gets them in (date, index) order, the first of
// equal pairs first: the draws adding them one by one in file order yields,
// without the cost of inserting each record of a file written newest first
// at the front of the history.
// Adds one record; a refusal is counted under its reason.
void AddRecord(TDrawClass& model, int32_t index, uint8_t status, const TArrayOfShortIntArray& numbers, TDateTime date,
               TRefusedRecords& refused)
{
    if (model.AddDraw(index, status, numbers, date) != 0)
        return;
    if (model.Dated() && (date == 0 || !std::isfinite(date) || index < 1 || index > model.DrawsPerDay()))
        ++refused.InvalidDate;
    else if (model.Dated() && model.FindDraw(index, date) != 0)
        ++refused.RepeatedDate;
    else
        ++refused.InvalidNumbers;
}

template <typename TReadRecord>
void AddRecords(TDrawClass& model, uint32_t count, TRefusedRecords& refused, TReadRecord read)
{
    TDateTime date = 0;
    int32_t index = 0;
    uint8_t status = 0;
    TArrayOfShortIntArray numbers(static_cast<size_t>(model.GameInfo().FieldCount));
    if (!model.Dated()) {
        for (uint32_t r = 0; r < count; ++r) {
            read(r, date, index, status, numbers);
            AddRecord(model, index, status, numbers, date, refused);
        }
        return;
    }
    struct TKey {
        TDateTime date;
        int32_t index;
        uint32_t record;
    };
    std::vector<TKey> keys;
    keys.reserve(count);
    for (uint32_t r = 0; r < count; ++r) {
        read(r, date, index, status, numbers);
        // The draws would refuse a record without a usable date anyway.
        if (std::isfinite(date))
            keys.push_back(TKey{date, index, r});
        else
            ++refused.InvalidDate;
    }
    std::stable_sort(keys.begin(), keys.end(), [](const TKey& a, const TKey& b) {
        return a.date < b.date || (a.date == b.date && a.index < b.index);
    });
    for (const TKey& key : keys) {
        read(key.record, date, index, status, numbers);
        AddRecord(model, index, status, numbers, date, refused);
    }
}

} // namespace

void WriteFieldDescriptor(TMemoryStream& s, const TGameField& f)
{
    s.WriteI32(f.Total);
    s.WriteI32(f.Picked);
    s.WriteI32(f.Lowest);
    s.WriteU8(f.Ordered);
    const uint8_t pad[3] = {0, 0, 0};
    s.Write(pad, 3);
}

TGameField ReadFieldDescriptor(TMemoryStream& s)
{
    TGameField f;
    f.Total = s.ReadI32();
    f.Picked = s.ReadI32();
    f.Lowest = s.ReadI32();
    f.Ordered = s.ReadU8();
    uint8_t pad[3];
    s.Read(pad, 3);
    return f;
}

std::string GameIOStatusText(uint8_t status)
{
    switch (status) {
    case gioNotGameFile: return "Not a game file.";
    case gioNewerVersion: return "Newer version game file!";
    case gioOlderVersion: return "Older version game file! Use the conversion tool.";
    case gioCorrupted: return "Corrupted game file.";
    case gioInvalidDefinition: return "Invalid specifications.";
    case gioInvalidOptional: return "Invalid optional parameters.";
    case gioDrawDataErrors: return "Errors in game's draw data.";
    case gioReadError: return "I/O error: Cannot read file.";
    default: return "";
    }
}

int64_t EncodeFieldValue(const TGameField& field, const TShortIntArray& balls)
{
    const int v = field.Total, k = field.Picked;
    if (v < 2 || v > 99 || k < 1 || k > 7 || balls.size() < static_cast<size_t>(k) || TicketCount(field) <= 0)
        return -1;
    if (field.Ordered) {
        int64_t value = 0;
        for (int i = 0; i < k; ++i) {
            const int d = balls[i] - field.Lowest;
            if (d < 0 || d >= v)
                return -1;
            value = value * v + d;
        }
        return value;
    }
    TShortIntArray oneBased(static_cast<size_t>(k));
    for (int i = 0; i < k; ++i) {
        const int b = balls[i] - field.Lowest + 1;
        if (b < 1 || b > v || (i > 0 && b <= oneBased[i - 1]))
            return -1;
        oneBased[i] = static_cast<int8_t>(b);
    }
    return RankBalls(oneBased, v, k);
}

bool DecodeFieldValue(const TGameField& field, int64_t value, TShortIntArray& balls)
{
    const int v = field.Total, k = field.Picked;
    const int32_t tickets = TicketCount(field);
    if (v < 2 || v > 99 || k < 1 || k > 7 || tickets <= 0 || value < 0 || value >= tickets)
        return false;
    balls.assign(static_cast<size_t>(k), 0);
    if (field.Ordered) {
        for (int i = k - 1; i >= 0; --i) {
            balls[i] = static_cast<int8_t>(value % v + field.Lowest);
            value /= v;
        }
        return true;
    }
    if (!UnrankBalls(value, v, k, balls))
        return false;
    for (auto& b : balls)
        b = static_cast<int8_t>(b + field.Lowest - 1);
    return true;
}

bool IsStorableGameInfo(TGameInfo& info)
{
    if (!ValidateGameInfo(info))
        return false;
    if (info.DrawsPerDay < 0 || info.DrawsPerDay > 9)
        return false;
    if (info.FieldCount == 2 && info.Field2Kind != 1 && info.Field2Kind != 2)
        return false;
    for (int f = 0; f < info.FieldCount; ++f)
        if (TicketCount(info.Fields[f]) <= 0)
            return false;
    return true;
}

bool WriteGameHeader(TMemoryStream& stream, const TGameInfo& info)
{
    try {
        TGameInfo g = info;
        if (!IsStorableGameInfo(g))
            throw Exception("invalid definition");
        stream.Clear();
        stream.WriteU8(kGameFileVersion);
        stream.Write("DRW", 3);
        stream.WriteU32(0); // checksum
        stream.WriteU32(0); // draw offset
        stream.WriteU32(0); // draw count
        WriteGameIdentity(stream, g);
        for (int f = 0; f < g.FieldCount; ++f) {
            WriteFieldDescriptor(stream, g.Fields[f]);
            stream.WriteU8(static_cast<uint8_t>(ValueWidth(g.Fields[f])));
            StoreString(stream, g.FieldNames[f]);
        }
        WriteOptionalParts(stream, g);
        PatchU32(stream, kDrawOffsetAt, static_cast<uint32_t>(stream.Position()));
        StoreGameChecksum(stream);
        return true;
    } catch (const std::exception&) {
        ShowError("Unable to save game file header!");
        return false;
    }
}

bool WriteDraws(TMemoryStream& stream, const TGameInfo& info, TDrawClass& model)
{
    try {
        const int fieldCount = info.FieldCount;
        if (fieldCount < 1 || fieldCount > 2 || stream.Size() < 16)
            return false;
        int widths[2] = {0, 0};
        for (int f = 0; f < fieldCount; ++f)
            widths[f] = ValueWidth(info.Fields[f]);
        const size_t drawOffset = ReadU32At(stream.Bytes(), kDrawOffsetAt);
        if (drawOffset < 16 || drawOffset > stream.Size())
            return false;
        stream.Bytes().resize(drawOffset);
        stream.Bytes().reserve(drawOffset + static_cast<size_t>(model.DrawCount()) * (6 + widths[0] + widths[1]));
        stream.Seek(drawOffset);
        for (int pos = 1; pos <= model.DrawCount(); ++pos) {
            const TDraw* d = model.GetDraw(pos);
            if (!d || d->Numbers.size() < static_cast<size_t>(fieldCount) || d->Index < 0 || d->Index > 255)
                return false;
            int32_t day = 0;
            if (!DayNumber(d->Date, day))
                return false;
            stream.WriteI32(day);
            stream.WriteU8(static_cast<uint8_t>(d->Index));
            stream.WriteU8(d->Status);
            for (int f = 0; f < fieldCount; ++f) {
                const int64_t value = EncodeFieldValue(info.Fields[f], d->Numbers[f]);
                if (value < 0 || (widths[f] < 4 && (value >> (8 * widths[f])) != 0))
                    return false;
                WriteValue(stream, static_cast<uint64_t>(value), widths[f]);
            }
        }
        PatchU32(stream, kCountAt, static_cast<uint32_t>(model.DrawCount()));
        StoreGameChecksum(stream);
        model.Modified = false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TGameIOInfo ExamineGameImage(const std::vector<uint8_t>& image)
{
    TGameIOInfo info;
    TMemoryStream s(image);
    try {
        const uint32_t head = s.ReadU32();
        if ((head >> 8) != (uint32_t('D') | (uint32_t('R') << 8) | (uint32_t('W') << 16))) {
            info.Status = gioNotGameFile;
            return info;
        }
        if ((head & 0xFF) != kGameFileVersion) {
            info.Status = (head & 0xFF) > kGameFileVersion ? gioNewerVersion : gioOlderVersion;
            return info;
        }
        const uint32_t stored = s.ReadU32();
        if (image.size() < kChecksumFrom ||
            WordChecksum(image.data() + kChecksumFrom, image.size() - kChecksumFrom) != stored) {
            info.Status = gioCorrupted;
            return info;
        }
        TGameInfo& g = info.Game;
        const uint32_t drawOffset = s.ReadU32();
        info.DrawCount = s.ReadU32();
        ReadGameIdentity(s, g);
        if (g.FieldCount < 1 || g.FieldCount > 2) {
            info.Status = gioInvalidDefinition;
            return info;
        }
        for (int f = 0; f < g.FieldCount; ++f) {
            g.Fields[f] = ReadFieldDescriptor(s);
            info.FieldWidths[f] = s.ReadU8();
            g.FieldNames[f] = LoadString(s);
        }
        bool specsOk = IsStorableGameInfo(g);
        for (int f = 0; f < g.FieldCount && specsOk; ++f)
            specsOk = info.FieldWidths[f] >= 1 && info.FieldWidths[f] <= 4;
        if (!specsOk) {
            info.Status = gioInvalidDefinition;
            return info;
        }
        if (!ReadOptionalParts(s, g) || s.Position() != drawOffset) {
            info.Status = gioInvalidOptional;
            return info;
        }
        int64_t largest[2] = {0, 0};
        for (int f = 0; f < g.FieldCount; ++f)
            largest[f] = static_cast<int64_t>(TicketCount(g.Fields[f])) - 1;
        uint64_t count = 0;
        bool scanning = true;
        while (scanning && !s.AtEnd()) {
            info.LastDrawDate = s.ReadI32();
            if (s.ReadU8() > g.DrawsPerDay || s.ReadU8() >= 4)
                break;
            for (int f = 0; f < g.FieldCount && scanning; ++f)
                scanning = ReadValue(s, info.FieldWidths[f]) <= largest[f];
            if (scanning)
                ++count;
        }
        info.Status = count == info.DrawCount ? gioValid : gioDrawDataErrors;
    } catch (const std::exception&) {
        info.Status = gioReadError;
    }
    return info;
}

TGameIOInfo ReadGameInfo(const std::string& path)
{
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadWholeFile(path, image, error, kMaxGameFileBytes))
        throw EStreamError(error);
    return ExamineGameImage(image);
}

void LoadDrawsFromImage(const std::vector<uint8_t>& image, TGameIOInfo& info, TDrawClass& model)
{
    try {
        const TGameInfo& g = info.Game;
        if (image.size() < 16 || g.FieldCount < 1 || g.FieldCount > 2)
            throw Exception(GameIOStatusText(gioReadError));
        const size_t drawOffset = ReadU32At(image, kDrawOffsetAt);
        const uint32_t count = ReadU32At(image, kCountAt);
        const size_t recordSize = static_cast<size_t>(RecordSize(info));
        for (int f = 0; f < g.FieldCount; ++f)
            if (info.FieldWidths[f] < 1 || info.FieldWidths[f] > 4)
                throw Exception(GameIOStatusText(gioInvalidDefinition));
        // Never trust the count beyond the bytes present.
        if (drawOffset > image.size() || count > (image.size() - drawOffset) / recordSize)
            throw Exception(GameIOStatusText(gioReadError));
        TMemoryStream s(image);
        info.Refused = TRefusedRecords{};
        AddRecords(model, count, info.Refused,
                   [&](uint32_t r, TDateTime& date, int32_t& index, uint8_t& status, TArrayOfShortIntArray& numbers) {
                       s.Seek(drawOffset + size_t(r) * recordSize);
                       date = s.ReadI32();
                       index = s.ReadU8();
                       status = s.ReadU8();
                       for (int f = 0; f < g.FieldCount; ++f)
                           if (!DecodeFieldValue(g.Fields[f], ReadValue(s, info.FieldWidths[f]), numbers[f]))
                               throw Exception(GameIOStatusText(gioDrawDataErrors));
                   });
        info.Game.State = 1;
        model.Modified = false;
    } catch (...) {
        model.Modified = false;
        throw;
    }
}

void LoadDraws(const std::string& path, TGameIOInfo& info, TDrawClass& model)
{
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadWholeFile(path, image, error, kMaxGameFileBytes)) {
        model.Modified = false;
        throw EStreamError(error);
    }
    LoadDrawsFromImage(image, info, model);
}

namespace {

// Writes the game through a temporary ".tmp" file that must examine as a
// valid game with every draw before it takes the game file's place.
bool WriteGameFile(const std::string& gamePath, const std::string& fileName, const TGameInfo& info, TDrawClass& model)
{
    const std::string failure =
        "An error occured while saving game file\n\r" + PathToText(fileName) + "\n\r" + "Original file restored.";
    // WriteDraws clears Modified before anything reaches the disk; a save that
    // fails later must leave the changes marked as unsaved.
    auto fail = [&] {
        model.Modified = true;
        ShowError(failure);
        return false;
    };
    TMemoryStream image;
    if (!WriteGameHeader(image, info) || !WriteDraws(image, info, model))
        return fail();
    const uint32_t count = static_cast<uint32_t>(model.DrawCount());
    TSafeSave save(gamePath);
    save.SetTempExtension(".tmp");
    const auto examine = [count](const std::string& tmpPath, std::string&) {
        const TGameIOInfo check = ReadGameInfo(tmpPath);
        return check.Status == gioValid && check.DrawCount == count;
    };
    if (!save.Begin() || !save.Write(image.Bytes().data(), image.Size()) || !save.Commit(examine))
        return fail();
    return true;
}

// FNV-1a over the header, which holds the draw count and the checksum of the
// whole file, so it changes with any change of the content.
uint64_t HeaderHash(const std::vector<uint8_t>& image)
{
    size_t size = std::min(image.size(), kMaxStampedHeader);
    if (size >= 16)
        size = std::min<size_t>(size, std::max<size_t>(16, ReadU32At(image, kDrawOffsetAt)));
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ image[i]) * 1099511628211ull;
    return h;
}

} // namespace

bool WriteNewGameFile(const std::string& path, const std::vector<uint8_t>& image, std::string& error)
{
    TGameIOInfo planned = ExamineGameImage(image);
    const uint32_t count = planned.DrawCount;
    TSafeSave save(path, TSafeSave::TMode::CreateNew);
    save.SetTempExtension(".tmp");
    const auto examine = [count](const std::string& tmpPath, std::string& why) {
        const TGameIOInfo check = ReadGameInfo(tmpPath);
        why = GameIOStatusText(check.Status);
        return check.Status == gioValid && check.DrawCount == count;
    };
    if (planned.Status == gioValid && save.Begin() && save.Write(image.data(), image.size()) && save.Commit(examine))
        return true;
    error = PathToText(planned.Status == gioValid
                           ? save.Error()
                           : "Cannot write file \"" + path + "\". " + GameIOStatusText(planned.Status));
    return false;
}

TNewGameResult CreateGameFile(const std::string& path, const TGameInfo& info, TDrawClass* draws, std::string& error)
{
    TMemoryStream image;
    if (!WriteGameHeader(image, info) || (draws && !WriteDraws(image, info, *draws)))
        return TNewGameResult::Refused;
    return WriteNewGameFile(path, image.Bytes(), error) ? TNewGameResult::Created : TNewGameResult::NotWritten;
}

bool SaveGame(const std::string& folder, const std::string& fileName, const TGameInfo& info, TDrawClass& model)
{
    if (!model.Modified)
        return true;
    if (AskYesNo("Do you really want to save current game file?") != TModalResult::Yes)
        return false;
    return WriteGameFile(JoinPath(folder, fileName), fileName, info, model);
}

TGameFileStamp GameFileStampOf(const std::vector<uint8_t>& image, const TFileStamp& file)
{
    TGameFileStamp stamp;
    stamp.File = file;
    stamp.HeaderHash = HeaderHash(image);
    stamp.Known = true;
    return stamp;
}

bool ReadGameFileStamp(const std::string& path, TGameFileStamp& stamp)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<uint8_t> head(kMaxStampedHeader);
    TFileStamp file;
    const bool ok = ReadFileStamp(fileno(f), file);
    head.resize(std::fread(head.data(), 1, head.size(), f));
    std::fclose(f);
    if (ok)
        stamp = GameFileStampOf(head, file);
    return ok;
}

std::string RefusedRecordsText(const TRefusedRecords& refused, uint32_t recordCount)
{
    if (refused.Total() == 0)
        return {};
    std::string text =
        Format("%u of the %u draw records in the game file were not loaded:", refused.Total(), recordCount);
    if (refused.RepeatedDate)
        text += Format("\n\r%u repeat the date and index of another draw", refused.RepeatedDate);
    if (refused.InvalidDate)
        text += Format("\n\r%u have no valid date or index", refused.InvalidDate);
    if (refused.InvalidNumbers)
        text += Format("\n\r%u hold numbers the game does not allow", refused.InvalidNumbers);
    return text + "\n\rSaving the game file will leave them out.";
}

TCurrentGame& CurrentGame()
{
    static TCurrentGame game;
    return game;
}

void ReleaseGame(TCurrentGame& game)
{
    game.Draws.reset();
    ClearGameInfo(game.Info);
    game.FilePath.clear();
    game.Refused = TRefusedRecords{};
    game.RecordCount = 0;
    game.Stamp = TGameFileStamp{};
}

uint8_t OpenGameFile(const std::string& path, TCurrentGame& game, TGameIOInfo* infoOut)
{
    ReleaseGame(game);
    std::vector<uint8_t> image;
    std::string error;
    TFileStamp file;
    if (!ReadWholeFile(path, image, error, kMaxGameFileBytes, &file))
        throw EStreamError(error);
    TGameIOInfo info = ExamineGameImage(image);
    const uint8_t status = info.Status;
    if (status == gioValid) {
        auto model = std::make_unique<TDrawClass>(info.Game);
        LoadDrawsFromImage(image, info, *model);
        game.Info = info.Game;
        game.Info.State = 2;
        game.Draws = std::move(model);
        game.FilePath = path;
        game.Refused = info.Refused;
        game.RecordCount = info.DrawCount;
        game.Stamp = GameFileStampOf(image, file);
    } else {
        ClearGameInfo(info.Game);
    }
    if (infoOut)
        *infoOut = std::move(info);
    return status;
}

bool ReloadGameFile(TCurrentGame& game)
{
    if (!game.Draws || game.FilePath.empty())
        return false;
    TCurrentGame fresh;
    uint8_t status = gioReadError;
    try {
        status = OpenGameFile(game.FilePath, fresh);
    } catch (const std::exception& e) {
        ShowError(e.what());
        return false;
    }
    if (status != gioValid) {
        ShowError(PathToText(game.FilePath) + ": " + GameIOStatusText(status));
        return false;
    }
    // The model object stays: the options and the open windows point at it.
    *game.Draws = std::move(*fresh.Draws);
    game.Draws->Modified = false;
    game.Info = fresh.Info;
    game.Refused = fresh.Refused;
    game.RecordCount = fresh.RecordCount;
    game.Stamp = fresh.Stamp;
    const std::string refused = RefusedRecordsText(game.Refused, game.RecordCount);
    if (!refused.empty())
        ShowMessageDialog(refused, dbOK, TDialogKind::Warning);
    return true;
}

std::string ChangedOnDiskText(const std::string& fileName)
{
    return "The game file " + fileName + " was changed by another program after it was opened." + "\n\r" +
           "Yes: reload it from disk and discard your changes." + "\n\r" +
           "No: save your version over it; the other program's changes are lost." + "\n\r" + "Cancel: do not save now.";
}

TGameSaveResult SaveCurrentGame(TCurrentGame& game)
{
    if (!game.Draws || game.FilePath.empty())
        return TGameSaveResult::NotSaved;
    if (!game.Draws->Modified)
        return TGameSaveResult::Saved;
    if (AskYesNo("Do you really want to save current game file?") != TModalResult::Yes)
        return TGameSaveResult::NotSaved;
    // Held from the check of the file on disk to its replacement; a command
    // line that already holds it (around its own read) shares it.
    TFileLock lock;
    if (lock.Acquire(game.FilePath) == TFileLock::TResult::Busy) {
        ShowError(GameBusyText(PathToText(game.FilePath)));
        return TGameSaveResult::NotSaved;
    }
    TGameFileStamp onDisk;
    if (game.Stamp.Known && ReadGameFileStamp(game.FilePath, onDisk) && !(onDisk == game.Stamp)) {
        switch (AskYesNoCancel(ChangedOnDiskText(PathToText(ExtractFileName(game.FilePath))))) {
        case TModalResult::Yes: return ReloadGameFile(game) ? TGameSaveResult::Reloaded : TGameSaveResult::NotSaved;
        case TModalResult::No: break;
        default: return TGameSaveResult::NotSaved;
        }
    }
    if (!WriteGameFile(game.FilePath, ExtractFileName(game.FilePath), game.Info, *game.Draws))
        return TGameSaveResult::NotSaved;
    if (!ReadGameFileStamp(game.FilePath, game.Stamp))
        game.Stamp = TGameFileStamp{};
    return TGameSaveResult::Saved;
}

bool SaveGameFile(TCurrentGame& game) { return SaveCurrentGame(game) == TGameSaveResult::Saved; }

TBinaryFileStreamDraws::TBinaryFileStreamDraws(TCurrentGame& game)
    : TBaseBinaryFileStream(MakeFileHeaderID("WRD "), 0), game_(game)
{}

void TBinaryFileStreamDraws::WritePayload()
{
    const TGameInfo& g = game_.Info;
    const int drawCount = game_.Draws ? game_.Draws->DrawCount() : 0;
    const size_t offsetAt = Data.Position();
    Data.WriteU32(0);
    Data.WriteU32(static_cast<uint32_t>(drawCount));
    WriteGameIdentity(Data, g);
    WriteFieldDescriptor(Data, g.Fields[0]);
    WriteFieldDescriptor(Data, g.Fields[1]);
    const int fieldCount = g.FieldCount < 0 ? 0 : (g.FieldCount > 2 ? 2 : g.FieldCount);
    for (int f = 0; f < fieldCount; ++f)
        StoreString(Data, g.FieldNames[f]);
    WriteOptionalParts(Data, g);
    PatchU32(Data, offsetAt, static_cast<uint32_t>(Data.Position()));
    for (int pos = 1; pos <= drawCount; ++pos) {
        const TDraw* d = game_.Draws->GetDraw(pos);
        const auto fault = [pos] {
            return Exception(Format("INTERNAL ERROR [TBinaryFileStreamDraws] : Unable to get draw %d", pos));
        };
        if (!d || d->Numbers.size() < static_cast<size_t>(fieldCount))
            throw fault();
        Data.WriteDouble(d->Date);
        Data.WriteI32(d->Index);
        Data.WriteU8(d->Status);
        for (int f = 0; f < fieldCount; ++f) {
            const int64_t value = EncodeFieldValue(g.Fields[f], d->Numbers[f]);
            if (value < 0)
                throw fault();
            Data.WriteU32(static_cast<uint32_t>(value));
        }
    }
}

void TBinaryFileStreamDraws::ReadPayload()
{
    ReleaseGame(game_);
    try {
        TGameInfo g;
        const uint32_t drawOffset = Data.ReadU32();
        const uint32_t count = Data.ReadU32();
        ReadGameIdentity(Data, g);
        g.Fields[0] = ReadFieldDescriptor(Data);
        g.Fields[1] = ReadFieldDescriptor(Data);
        if (g.FieldCount < 1 || g.FieldCount > 2)
            throw Exception(GameIOStatusText(gioInvalidDefinition));
        for (int f = 0; f < g.FieldCount; ++f)
            g.FieldNames[f] = LoadString(Data);
        if (!ReadOptionalParts(Data, g))
            throw Exception(GameIOStatusText(gioInvalidOptional));
        if (Data.Position() != drawOffset)
            throw Exception("INTERNAL ERROR [TBinaryFileStreamDraws] : ImportGameInfo mismatch DrawOffset");
        if (!IsStorableGameInfo(g))
            throw Exception(GameIOStatusText(gioInvalidDefinition));
        const size_t recordSize = 13 + 4 * static_cast<size_t>(g.FieldCount);
        if (count > Data.Remaining() / recordSize)
            throw EStreamError("Stream read error");
        auto model = std::make_unique<TDrawClass>(g);
        const size_t firstRecord = Data.Position();
        TRefusedRecords refused;
        AddRecords(*model, count, refused,
                   [&](uint32_t r, TDateTime& date, int32_t& index, uint8_t& status, TArrayOfShortIntArray& numbers) {
                       Data.Seek(firstRecord + size_t(r) * recordSize);
                       date = Data.ReadDouble();
                       index = Data.ReadI32();
                       status = Data.ReadU8();
                       for (int f = 0; f < g.FieldCount; ++f)
                           if (!DecodeFieldValue(g.Fields[f], Data.ReadU32(), numbers[f]))
                               throw Exception(GameIOStatusText(gioDrawDataErrors));
                   });
        // The container checks that the payload was read to its end.
        Data.Seek(firstRecord + size_t(count) * recordSize);
        model->Modified = false;
        game_.Info = g;
        game_.Info.State = 2;
        game_.Draws = std::move(model);
        game_.Refused = refused;
        game_.RecordCount = count;
    } catch (...) {
        // A damaged snapshot leaves no game open, and says so.
        ReleaseGame(game_);
        game_.Info.State = 0;
        throw;
    }
}
