// The self-checking, versioned, zlib-compressed container that the run state
// file, the options state and the draws snapshot are built on. A subclass
// writes and reads the payload; the base owns header, checksum, compression
// and nesting of one container inside another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/Stream.h"
#include "data/Types.h"

// Damaged or oversized compressed data.
class EZDecompressionError : public Exception {
public:
    using Exception::Exception;
};

class EZCompressionError : public Exception {
public:
    using Exception::Exception;
};

// Four ASCII characters in file order as the little-endian identifier word.
constexpr uint32_t MakeFileHeaderID(const char (&id)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(id[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(id[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(id[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(id[3])) << 24);
}

// Wrapping sum of little-endian 32-bit words of bytes[0..size). A trailing
// group of 1 to 3 bytes overwrites only the low bytes of the previous word
// (the word buffer is reused); with no previous word the buffer starts as 0,
// so a payload shorter than 4 bytes sums as its bytes zero-extended.
uint32_t WordChecksum(const uint8_t* bytes, size_t size);

// How Compress deflates. Every kind is a plain zlib stream that any reader
// inflates; they differ in time and size only.
enum class TCompression {
    // Level 9: the smallest file.
    Best,
    // Huffman coding without searching for repeats: several times faster
    // where the data has few long repeats (the rankings of a run), for a
    // file a few percent larger.
    EntropyOnly,
};

// Told how far a save has come, from 0 to 1 (1 once the file is written).
using TSaveProgress = std::function<void(double done)>;

class TBaseBinaryFileStream {
public:
    // Largest image Decompress produces: the smaller of kMaxImageBytes and
    // kMaxInflateRatio times the compressed size (at least kMinImageLimit),
    // so a small hostile file cannot inflate to gigabytes.
    static constexpr size_t kMaxImageBytes = size_t(256) << 20;
    static constexpr size_t kMaxInflateRatio = 256;
    static constexpr size_t kMinImageLimit = size_t(1) << 20;
    static size_t InflateLimitFor(size_t compressedSize);

    TBaseBinaryFileStream(uint32_t fileHeaderID, uint32_t version);
    virtual ~TBaseBinaryFileStream() = default;
    TBaseBinaryFileStream(const TBaseBinaryFileStream&) = delete;
    TBaseBinaryFileStream& operator=(const TBaseBinaryFileStream&) = delete;

    void ExportData();
    void ImportData();
    void Compress();
    void Decompress();
    void AppendSubStream(TBaseBinaryFileStream& child);
    void ExtractSubStream(TBaseBinaryFileStream& child);
    void LoadFromFile(const std::string& path);
    // Writes through TSafeSave. An existing target must be a container of
    // the same kind (or empty) and none of `inputs`; otherwise raises
    // EStreamError and writes nothing. `progress` hears the share done, in
    // steps of at least 1%.
    void SaveToFile(const std::string& path, const std::vector<std::string>& inputs,
                    const TSaveProgress& progress = {});
    void SaveToFile(const std::string& path, const TSaveProgress& progress = {}) { SaveToFile(path, {}, progress); }
    // Whether SaveToFile would write path; the reason in error when not.
    static bool CanSaveTo(const std::string& path, uint32_t headerID, const std::vector<std::string>& inputs,
                          std::string& error);
    // Whether the file is a container with this identifier.
    static bool IsContainerFile(const std::string& path, uint32_t headerID);

    uint32_t HeaderID() const { return FileHeaderID; }
    uint32_t FormatVersion() const { return Version; }
    bool IsCompressed() const { return Compressed; }
    TCompression Compression() const { return CompressionKind; }
    uint8_t TransferDone() const { return Transfer; }
    TMemoryStream& Stream() { return Data; }
    const TMemoryStream& Stream() const { return Data; }
    // Sum over offset 12 to the end of the image.
    uint32_t CheckCRC() const;

protected:
    // For a WritePayload that takes long: the share of the payload written.
    void PayloadProgress(double done);

    virtual void UpgradeFrom(uint32_t storedVersion);
    virtual void ReadPayload();
    virtual void WritePayload();

    const uint32_t FileHeaderID;
    const uint32_t Version;
    TCompression CompressionKind = TCompression::Best;
    bool Compressed = false;
    uint8_t Transfer = 0; // 0 none, 1 imported, 2 exported
    TMemoryStream Data;

private:
    // Reports `done` of the whole save when it moved on by 1% or reached the end.
    void Report(double done);
    TSaveProgress progress_;
    double reported_ = 0;
};
