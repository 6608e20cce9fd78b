#include "data/BinaryFileStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <zlib.h>

#include "data/TextCodec.h"
#include "platform/SafeSave.h"

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kChunk = 4096;
// Deflate is fed this much at a time, so a save can tell how far it is; zlib
// writes the same stream whatever the pieces.
constexpr size_t kDeflateStep = size_t(4) << 20;
// Shares of a save: building the image, compressing it, writing the file.
constexpr double kImageShare = 0.3;
constexpr double kCompressShare = 0.6;

[[noreturn]] void Fail(const char* text) { throw Exception(text); }

std::string ZlibText(const z_stream& strm, int code) { return strm.msg ? strm.msg : zError(code); }

} // namespace

uint32_t WordChecksum(const uint8_t* bytes, size_t size)
{
    uint32_t sum = 0;
    uint8_t word[4] = {0, 0, 0, 0};
    size_t pos = 0;
    while (pos < size) {
        const size_t n = std::min<size_t>(4, size - pos);
        std::memcpy(word, bytes + pos, n);
        pos += n;
        sum += static_cast<uint32_t>(word[0]) | (static_cast<uint32_t>(word[1]) << 8) |
               (static_cast<uint32_t>(word[2]) << 16) | (static_cast<uint32_t>(word[3]) << 24);
    }
    return sum;
}

size_t TBaseBinaryFileStream::InflateLimitFor(size_t compressedSize)
{
    if (compressedSize > kMaxImageBytes / kMaxInflateRatio)
        return kMaxImageBytes;
    return std::max(kMinImageLimit, compressedSize * kMaxInflateRatio);
}

TBaseBinaryFileStream::TBaseBinaryFileStream(uint32_t fileHeaderID, uint32_t version)
    : FileHeaderID(fileHeaderID), Version(version)
{
    if (fileHeaderID == 0)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: Invalid FileHeaderID");
}

void TBaseBinaryFileStream::UpgradeFrom(uint32_t)
{
    Fail("INTERNAL ERROR [TBaseBinaryFileStream]: No versioning upgrade function defined");
}

void TBaseBinaryFileStream::ReadPayload()
{
    Fail("INTERNAL ERROR [TBaseBinaryFileStream]: No ImportData function defined");
}

void TBaseBinaryFileStream::WritePayload()
{
    Fail("INTERNAL ERROR [TBaseBinaryFileStream]: No ExportData function defined");
}

uint32_t TBaseBinaryFileStream::CheckCRC() const
{
    if (Compressed)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: CheckCRC call with compressed stream");
    const auto& bytes = Data.Bytes();
    if (bytes.size() <= kHeaderSize)
        return 0;
    return WordChecksum(bytes.data() + kHeaderSize, bytes.size() - kHeaderSize);
}

void TBaseBinaryFileStream::ExportData()
{
    if (Compressed)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: ExportData call with compressed stream");
    if (Transfer != 0)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: ExportData call with already BFIO performed");
    Transfer = 2;
    Data.Clear();
    Data.WriteU32(FileHeaderID);
    Data.WriteU32(Version);
    Data.WriteU32(Version); // checksum placeholder
    WritePayload();
    const uint32_t crc = CheckCRC();
    const size_t end = Data.Position();
    Data.Seek(8);
    Data.WriteU32(crc);
    Data.Seek(end);
}

void TBaseBinaryFileStream::ImportData()
{
    if (Compressed)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: ImportData call with compressed stream");
    if (Transfer != 0)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: ImportData call with already BFIO performed");
    Transfer = 1;
    Data.Seek(0);
    if (Data.ReadU32() != FileHeaderID)
        Fail("[TBaseBinaryFileStream]: File header ID mismatch");
    const uint32_t stored = Data.ReadU32();
    const uint32_t storedCrc = Data.ReadU32();
    // zlib guards the file on disk; this catches damage to an uncompressed
    // image (a sub-stream) instead of reading it as if it were sound.
    if (CheckCRC() != storedCrc)
        Fail("[TBaseBinaryFileStream]: Checksum mismatch");
    if (stored < Version)
        UpgradeFrom(stored);
    else if (stored > Version)
        Fail("The file has been saved with a newer program version. Unable to access it.");
    Data.Seek(kHeaderSize);
    ReadPayload();
    if (Data.Position() != Data.Size())
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: ImportData mismatch size.");
}

void TBaseBinaryFileStream::Compress()
{
    if (Compressed)
        return;
    const auto& in = Data.Bytes();
    z_stream strm{};
    const int strategy = CompressionKind == TCompression::EntropyOnly ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY;
    int rc = deflateInit2(&strm, 9, Z_DEFLATED, 15, 8, strategy);
    if (rc != Z_OK)
        throw EZCompressionError("Compression error: " + ZlibText(strm, rc));
    std::vector<uint8_t> out(deflateBound(&strm, static_cast<uLong>(in.size())));
    strm.next_in = const_cast<Bytef*>(in.data());
    strm.next_out = out.data();
    strm.avail_out = static_cast<uInt>(out.size());
    size_t fed = 0;
    do {
        const size_t step = std::min(kDeflateStep, in.size() - fed);
        strm.avail_in = static_cast<uInt>(step);
        fed += step;
        const bool last = fed == in.size();
        rc = deflate(&strm, last ? Z_FINISH : Z_NO_FLUSH);
        if (last ? rc != Z_STREAM_END : rc != Z_OK)
            break;
        Report(kImageShare + kCompressShare * double(fed) / double(in.size()));
    } while (fed < in.size());
    const size_t produced = strm.total_out;
    deflateEnd(&strm);
    if (rc != Z_STREAM_END)
        throw EZCompressionError("Compression error: " + ZlibText(strm, rc));
    out.resize(produced);
    Data = TMemoryStream(std::move(out));
    Compressed = true;
}

void TBaseBinaryFileStream::Decompress()
{
    if (!Compressed)
        return;
    const auto& in = Data.Bytes();
    if (in.size() > kMaxImageBytes)
        throw EZDecompressionError("Decompression error: compressed data too large");
    const size_t limit = InflateLimitFor(in.size());
    z_stream strm{};
    int rc = inflateInit(&strm);
    if (rc != Z_OK)
        throw EZDecompressionError("Decompression error: " + ZlibText(strm, rc));
    strm.next_in = const_cast<Bytef*>(in.data());
    strm.avail_in = static_cast<uInt>(in.size());
    std::vector<uint8_t> out;
    uint8_t chunk[kChunk];
    std::string error;
    for (;;) {
        strm.next_out = chunk;
        strm.avail_out = kChunk;
        rc = inflate(&strm, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            error = rc == Z_BUF_ERROR ? "unexpected end of compressed data" : ZlibText(strm, rc);
            break;
        }
        const size_t got = kChunk - strm.avail_out;
        if (out.size() + got > limit) {
            error = "inflated data exceeds " + std::to_string(limit) + " bytes";
            break;
        }
        out.insert(out.end(), chunk, chunk + got);
        if (rc == Z_STREAM_END)
            break;
        if (strm.avail_in == 0 && strm.avail_out != 0) {
            error = "unexpected end of compressed data";
            break;
        }
    }
    inflateEnd(&strm);
    if (!error.empty())
        throw EZDecompressionError("Decompression error: " + error);
    Data = TMemoryStream(std::move(out));
    Compressed = false;
}

void TBaseBinaryFileStream::AppendSubStream(TBaseBinaryFileStream& child)
{
    if (child.Compressed)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: AppendSubStream call with compressed stream.");
    child.ExportData();
    const auto& image = child.Data.Bytes();
    if (image.size() > UINT32_MAX)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: AppendSubStream image too large.");
    Data.WriteU32(static_cast<uint32_t>(image.size()));
    Data.Write(image.data(), image.size());
}

void TBaseBinaryFileStream::ExtractSubStream(TBaseBinaryFileStream& child)
{
    if (Compressed)
        Fail("INTERNAL ERROR [TBaseBinaryFileStream]: ExtractSubStream call with compressed stream.");
    const uint32_t n = Data.ReadU32();
    if (n > Data.Remaining())
        Fail("[TBaseBinaryFileStream]: Sub-stream size exceeds the data present.");
    std::vector<uint8_t> image(n);
    Data.Read(image.data(), n);
    child.Data = TMemoryStream(std::move(image));
    child.Compressed = false;
    child.ImportData();
}

void TBaseBinaryFileStream::LoadFromFile(const std::string& path)
{
    Compressed = true;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error, kMaxImageBytes))
        throw EStreamError(error);
    Data = TMemoryStream(std::move(bytes));
    Decompress();
    ImportData();
}

bool TBaseBinaryFileStream::IsContainerFile(const std::string& path, uint32_t headerID)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t head[512];
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    z_stream strm{};
    if (got == 0 || inflateInit(&strm) != Z_OK)
        return false;
    uint8_t id[4] = {};
    strm.next_in = head;
    strm.avail_in = static_cast<uInt>(got);
    strm.next_out = id;
    strm.avail_out = sizeof id;
    const int rc = inflate(&strm, Z_SYNC_FLUSH);
    inflateEnd(&strm);
    return (rc == Z_OK || rc == Z_STREAM_END) && strm.avail_out == 0 &&
           (uint32_t(id[0]) | uint32_t(id[1]) << 8 | uint32_t(id[2]) << 16 | uint32_t(id[3]) << 24) == headerID;
}

bool TBaseBinaryFileStream::CanSaveTo(const std::string& path, uint32_t headerID,
                                      const std::vector<std::string>& inputs, std::string& error)
{
    TSafeSave check(path);
    for (const std::string& input : inputs)
        check.AddInput(input);
    if (!check.Check()) {
        error = PathToText(check.Error());
        return false;
    }
    std::error_code ec;
    const std::string& target = check.FinalPath();
    if (std::filesystem::file_size(target, ec) > 0 && !ec && !IsContainerFile(target, headerID)) {
        error = PathToText("Cannot write file \"" + path + "\". It holds other data, which would be lost.");
        return false;
    }
    return true;
}

void TBaseBinaryFileStream::SaveToFile(const std::string& path, const std::vector<std::string>& inputs,
                                       const TSaveProgress& progress)
{
    std::string error;
    if (!CanSaveTo(path, FileHeaderID, inputs, error))
        throw EStreamError(error);
    progress_ = progress;
    reported_ = 0;
    bool written = false;
    try {
        ExportData();
        Report(kImageShare);
        Compress();
        written = WriteWholeFile(path, Data.Bytes(), error, TSafeSave::TMode::Replace, inputs);
        if (written)
            Report(1);
    } catch (...) {
        progress_ = nullptr;
        throw;
    }
    progress_ = nullptr;
    if (!written)
        throw EStreamError(error);
}

void TBaseBinaryFileStream::PayloadProgress(double done) { Report(kImageShare * std::clamp(done, 0.0, 1.0)); }

void TBaseBinaryFileStream::Report(double done)
{
    if (!progress_ || (done < reported_ + 0.01 && done < 1))
        return;
    reported_ = done;
    progress_(done);
}
