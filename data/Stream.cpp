#include "data/Stream.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "data/TextCodec.h"
#include "platform/Paths.h"

void TMemoryStream::Seek(size_t position) { pos_ = position; }

void TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return;
    if (pos_ + count > data_.size())
        data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ += count;
}

void TMemoryStream::Read(void* buffer, size_t count)
{
    if (count > Remaining())
        throw EStreamError("Stream read error");
    if (count)
        std::memcpy(buffer, data_.data() + pos_, count);
    pos_ += count;
}

size_t TMemoryStream::ReadSome(void* buffer, size_t count)
{
    const size_t n = count < Remaining() ? count : Remaining();
    if (n)
        std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error, size_t maxBytes,
                   TFileStamp* stamp)
{
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "Cannot open file \"" + PathToText(path) + "\". " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        error = "Cannot open file \"" + PathToText(path) + "\". Not a regular file.";
        return false;
    }
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        std::fclose(f);
        error = "File \"" + PathToText(path) + "\" is too large.";
        return false;
    }
    if (stamp)
        ReadFileStamp(fileno(f), *stamp);
    out.resize(static_cast<size_t>(st.st_size));
    const size_t got = out.empty() ? 0 : std::fread(out.data(), 1, out.size(), f);
    const bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad || got != out.size()) {
        out.clear();
        error = "Error reading file \"" + PathToText(path) + "\".";
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                    TSafeSave::TMode mode, const std::vector<std::string>& inputs)
{
    if (SafeSaveBytes(path, bytes.data(), bytes.size(), error, mode, inputs))
        return true;
    // The platform's message holds the path in its own bytes.
    error = PathToText(error);
    return false;
}
