// INI files in the manner of the classic profile functions: sections and keys
// compared case-insensitively, values kept as text, a missing key answers the
// caller's default. The file is read once into memory; writes change the
// memory image only and UpdateFile writes the whole file in one piece, keeping
// every other section, key, comment and their order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TIniFile {
public:
    // Files above this size are not parsed (treated as empty): settings files
    // are a few hundred bytes, and the bound caps the memory a hostile file
    // can make the line list take.
    static constexpr size_t kMaxFileBytes = size_t(256) << 10;

    // Reads the file when it exists; a missing, unreadable or oversized file
    // gives an empty image (see Loaded()).
    explicit TIniFile(std::string path);

    const std::string& FileName() const { return path_; }
    // Whether the file existed and was parsed.
    bool Loaded() const { return loaded_; }

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal (optionally signed) or "$"/"0x" hexadecimal; anything else,
    // including a value out of the 32-bit range, answers def.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Line breaks in keys and values are replaced by blanks, so one write can
    // never add a line to the file.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool DeleteKey(const std::string& section, const std::string& key);
    bool EraseSection(const std::string& section);

    // Section names and the keys of one section, in file order.
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(const std::string& section) const;

    // The text UpdateFile writes.
    std::string Text() const;
    // Writes the whole image; on failure answers false with a reason in error.
    bool UpdateFile(std::string* error = nullptr) const;

private:
    struct TLine {
        bool isKey = false;
        std::string key;   // trimmed, when isKey
        std::string value; // trimmed, when isKey
        std::string raw;   // the line as read, for comments and junk
    };
    struct TSection {
        std::string name;
        std::string header; // the header line as read ("" for the preamble)
        bool added = false; // created by a write, not read from the file
        std::vector<TLine> lines;
    };

    void Parse(const std::string& text);
    const TSection* FindSection(const std::string& name) const;
    TSection* FindSection(const std::string& name);
    const TLine* FindKey(const std::string& section, const std::string& key) const;

    std::string path_;
    bool loaded_ = false;
    // sections_[0] is the preamble before the first header.
    std::vector<TSection> sections_;
};
