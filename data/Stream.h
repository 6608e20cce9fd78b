// An in-memory byte stream: every file of the system is built and checked in
// memory, then written in one piece. Reads past the end raise EStreamError, so
// a reader never trusts a count it has not seen the bytes for.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/Types.h"
#include "platform/Paths.h"
#include "platform/SafeSave.h"

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    size_t Size() const { return data_.size(); }
    size_t Position() const { return pos_; }
    size_t Remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    void Seek(size_t position);
    bool AtEnd() const { return pos_ >= data_.size(); }

    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }
    void Clear()
    {
        data_.clear();
        pos_ = 0;
    }

    // Writes at the position, growing the buffer as needed.
    void Write(const void* buffer, size_t count);
    // Reads exactly count bytes or raises EStreamError ("Stream read error").
    void Read(void* buffer, size_t count);
    // Reads at most count bytes; answers how many were read.
    size_t ReadSome(void* buffer, size_t count);

    void WriteU8(uint8_t v) { Write(&v, 1); }
    void WriteI8(int8_t v) { Write(&v, 1); }
    void WriteI32(int32_t v) { WriteLE(v); }
    void WriteU32(uint32_t v) { WriteLE(v); }
    void WriteI64(int64_t v) { WriteLE(v); }
    void WriteU64(uint64_t v) { WriteLE(v); }
    void WriteDouble(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        WriteLE(bits);
    }

    uint8_t ReadU8()
    {
        uint8_t v;
        Read(&v, 1);
        return v;
    }
    int8_t ReadI8() { return static_cast<int8_t>(ReadU8()); }
    int32_t ReadI32() { return ReadLE<int32_t>(); }
    uint32_t ReadU32() { return ReadLE<uint32_t>(); }
    int64_t ReadI64() { return ReadLE<int64_t>(); }
    uint64_t ReadU64() { return ReadLE<uint64_t>(); }
    double ReadDouble()
    {
        const uint64_t bits = ReadLE<uint64_t>();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

private:
    template <typename T> void WriteLE(T v)
    {
        uint8_t b[sizeof(T)];
        using U = std::make_unsigned_t<T>;
        U u = static_cast<U>(v);
        for (size_t i = 0; i < sizeof(T); ++i)
            b[i] = static_cast<uint8_t>(u >> (8 * i));
        Write(b, sizeof b);
    }
    template <typename T> T ReadLE()
    {
        uint8_t b[sizeof(T)];
        Read(b, sizeof b);
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            u = static_cast<U>(u | (static_cast<U>(b[i]) << (8 * i)));
        return static_cast<T>(u);
    }

    std::vector<uint8_t> data_;
    size_t pos_ = 0;
};

// Whole-file helpers. ReadWholeFile refuses files above maxBytes with false
// and, when asked, tells which version of the file it read; WriteWholeFile
// writes through TSafeSave.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error,
                   size_t maxBytes = size_t(1) << 31, TFileStamp* stamp = nullptr);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                    TSafeSave::TMode mode = TSafeSave::TMode::Replace, const std::vector<std::string>& inputs = {});
