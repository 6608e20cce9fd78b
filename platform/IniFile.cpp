#include "platform/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <utility>

#include "platform/TextRules.h"
#include "platform/Paths.h"
#include "platform/SafeSave.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string OneLine(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path))
{
    sections_.push_back(TSection{});
    FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f)
        return;
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
        std::fclose(f);
        return;
    }
    std::string text(static_cast<size_t>(st.st_size), '\0');
    const size_t got = text.empty() ? 0 : std::fread(text.data(), 1, text.size(), f);
    const bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad)
        return;
    text.resize(got);
    Parse(text);
    loaded_ = true;
}

void TIniFile::Parse(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = text.substr(pos, end - pos);
        pos = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();

        const std::string t = TrimBlanks(raw);
        if (!t.empty() && t.front() == '[') {
            const size_t close = t.find(']');
            if (close != std::string::npos) {
                TSection s;
                s.name = TrimBlanks(t.substr(1, close - 1));
                s.header = raw;
                sections_.push_back(std::move(s));
                continue;
            }
        }
        TLine line;
        line.raw = raw;
        const size_t eq = t.find('=');
        if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string::npos && eq > 0) {
            line.isKey = true;
            line.key = TrimBlanks(t.substr(0, eq));
            line.value = TrimBlanks(t.substr(eq + 1));
        }
        sections_.back().lines.push_back(std::move(line));
    }
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const
{
    for (size_t i = 1; i < sections_.size(); ++i)
        if (SameName(sections_[i].name, name))
            return &sections_[i];
    return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const std::string& name)
{
    return const_cast<TSection*>(std::as_const(*this).FindSection(name));
}

const TIniFile::TLine* TIniFile::FindKey(const std::string& section, const std::string& key) const
{
    const TSection* s = FindSection(section);
    if (!s)
        return nullptr;
    for (const TLine& l : s->lines)
        if (l.isKey && SameName(l.key, key))
            return &l;
    return nullptr;
}

bool TIniFile::SectionExists(const std::string& section) const { return FindSection(section) != nullptr; }

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    return FindKey(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
    const TLine* l = FindKey(section, key);
    return l ? l->value : def;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const
{
    const TLine* l = FindKey(section, key);
    int32_t v = 0;
    if (l && ParseDelphiInt(l->value, v))
        return v;
    return def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string k = TrimBlanks(OneLine(key));
    // Values are written as given; reading trims them.
    const std::string v = OneLine(value);
    const std::string sn = TrimBlanks(OneLine(section));
    // Names the file could not give back are not written.
    if (k.empty() || k.find('=') != std::string::npos || k.front() == '[' || k.front() == ';' || k.front() == '#' ||
        sn.find(']') != std::string::npos)
        return;
    TSection* s = FindSection(sn);
    if (!s) {
        TSection n;
        n.name = sn;
        n.header = "[" + n.name + "]";
        n.added = true;
        sections_.push_back(std::move(n));
        s = &sections_.back();
    }
    for (TLine& l : s->lines) {
        if (l.isKey && SameName(l.key, k)) {
            l.value = TrimBlanks(v);
            l.raw = l.key + "=" + v;
            return;
        }
    }
    TLine l;
    l.isKey = true;
    l.key = k;
    l.value = TrimBlanks(v);
    l.raw = k + "=" + v;
    // New keys go after the section's last key, before trailing blank lines.
    size_t at = s->lines.size();
    while (at > 0 && TrimBlanks(s->lines[at - 1].raw).empty())
        --at;
    s->lines.insert(s->lines.begin() + static_cast<ptrdiff_t>(at), std::move(l));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key)
{
    TSection* s = FindSection(section);
    if (!s)
        return false;
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (it->isKey && SameName(it->key, key)) {
            s->lines.erase(it);
            return true;
        }
    }
    return false;
}

bool TIniFile::EraseSection(const std::string& section)
{
    bool any = false;
    for (size_t i = sections_.size(); i-- > 1;) {
        if (SameName(sections_[i].name, section)) {
            sections_.erase(sections_.begin() + static_cast<ptrdiff_t>(i));
            any = true;
        }
    }
    return any;
}

std::vector<std::string> TIniFile::ReadSections() const
{
    std::vector<std::string> out;
    for (size_t i = 1; i < sections_.size(); ++i)
        out.push_back(sections_[i].name);
    return out;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const
{
    std::vector<std::string> out;
    if (const TSection* s = FindSection(section))
        for (const TLine& l : s->lines)
            if (l.isKey)
                out.push_back(l.key);
    return out;
}

std::string TIniFile::Text() const
{
    std::string out;
    for (size_t i = 0; i < sections_.size(); ++i) {
        const TSection& s = sections_[i];
        if (i > 0) {
            // A section added here is set apart by a blank line; sections read
            // from the file keep their layout.
            if (s.added && !out.empty() && out.compare(out.size() - 1, 1, "\n") == 0 &&
                !(out.size() >= 2 && out.compare(out.size() - 2, 2, "\n\n") == 0))
                out += '\n';
            out += s.header;
            out += '\n';
        }
        for (const TLine& l : s.lines) {
            out += l.raw;
            out += '\n';
        }
    }
    return out;
}

bool TIniFile::UpdateFile(std::string* error) const
{
    const std::string text = Text();
    std::string why;
    if (SafeSaveBytes(path_, text.data(), text.size(), why))
        return true;
    if (error)
        *error = why;
    return false;
}
