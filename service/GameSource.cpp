#include "service/GameSource.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "data/Utils.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "service/SourceDownload.h"

namespace {

// Messages carry "\n\r" between their lines; the options file keeps one line.
std::string OneLine(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
            continue;
        }
        out += c;
    }
    return Trim(out);
}

} // namespace

std::string GameSourceFile(const std::string& gamePath) { return ChangeFileExt(gamePath, ".ini"); }

TGameSource LoadGameSource(const std::string& gamePath)
{
    TGameSource s;
    const TIniFile ini(GameSourceFile(gamePath));
    const char* sec = kGameSourceSection;
    s.Address = Trim(ini.ReadString(sec, "Address", ""));
    s.ETag = ini.ReadString(sec, "ETag", "");
    s.LastModified = ini.ReadString(sec, "LastModified", "");
    s.LastUpdate = ParseDateTime(ini.ReadString(sec, "LastUpdate", ""));
    s.LastResult = ini.ReadString(sec, "LastResult", "");
    s.LastFailed = ini.ReadInteger(sec, "LastFailed", 0) == 1;
    s.Layout = ini.ReadString(sec, "Layout", "");
    return s;
}

bool SaveGameSource(const std::string& gamePath, const TGameSource& source, std::string* error)
{
    TIniFile ini(GameSourceFile(gamePath));
    const char* sec = kGameSourceSection;
    ini.WriteString(sec, "Address", source.Address);
    ini.WriteString(sec, "ETag", source.ETag);
    ini.WriteString(sec, "LastModified", source.LastModified);
    ini.WriteString(sec, "LastUpdate", source.LastUpdate == 0 ? std::string() : DateTimeText(2, source.LastUpdate));
    ini.WriteString(sec, "LastResult", OneLine(source.LastResult));
    ini.WriteInteger(sec, "LastFailed", source.LastFailed ? 1 : 0);
    ini.WriteString(sec, "Layout", source.Layout);
    return ini.UpdateFile(error);
}

void SetSourceAddress(TGameSource& source, const std::string& address)
{
    std::string a = Trim(address);
    // A relative path would mean another file to a command started elsewhere.
    if (SourceKind(a) == TSourceKind::File && SourceFilePath(a) == a && a[0] != '/') {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(a, ec);
        if (!ec)
            a = absolute.lexically_normal().string();
    }
    if (a == source.Address)
        return;
    source.Address = a;
    source.ETag.clear();
    source.LastModified.clear();
    source.Layout.clear();
}

void NoteSourceUpdate(TGameSource& source, const std::string& message, bool failed)
{
    source.LastUpdate = NowDateTime();
    source.LastResult = OneLine(message);
    source.LastFailed = failed;
}

std::string SourceUpdateTimeText(const TGameSource& source)
{
    return source.LastUpdate == 0 ? std::string("Never") : DateTimeText(2, source.LastUpdate);
}

std::string SourceUpdateText(const TGameSource& source)
{
    if (source.LastUpdate == 0)
        return "Never";
    return SourceUpdateTimeText(source) + (source.LastResult.empty() ? "" : ": " + source.LastResult);
}

TDateTime NowDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    if (!localtime_r(&now, &t))
        return 0;
    return EncodeDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}
