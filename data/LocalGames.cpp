#include "data/LocalGames.h"

#include <filesystem>
#include <system_error>
#include <climits>
#include <cstring>
#include <vector>

#include "data/TextCodec.h"
#include "data/UserDialogs.h"
#include "data/Utils.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace {

// Ordinary files of the folder in listing order: no folders, no hidden files.
std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    const fs::directory_iterator end;
    while (!ec && it != end) {
        const std::string name = it->path().filename().string();
        std::error_code sec;
        if (!name.empty() && name[0] != '.' && it->is_regular_file(sec) && !sec)
            names.push_back(name);
        it.increment(ec);
    }
    return names;
}

bool IsGameFileName(const std::string& name) { return SameText(ExtractFileExt(name), ".drw"); }

// The part of a name before its extension; empty when it has none.
std::string BaseNameOf(const std::string& name)
{
    const std::string ext = ExtractFileExt(name);
    if (ext.empty())
        return "";
    return name.substr(0, name.size() - ext.size());
}

} // namespace

std::string TLocalGamesClass::GamesFolder(const std::string& dataFolder)
{
    return IncludeTrailingPathDelimiter(IncludeTrailingPathDelimiter(dataFolder) + kGamesFolderName);
}

TLocalGamesClass::TLocalGamesClass(const std::string& dataFolder) : Folder(GamesFolder(dataFolder))
{
    Exists = DirectoryExists(Folder);
    if (!Exists)
        return;
    Games = TRecordStore<TLocalGameRec>::CreateForObjects(true);
    ScanGameFiles();
    ScanOtherFiles();
}

std::string TLocalGamesClass::DescriptionOf(const TGameIOInfo& info)
{
    if (info.Status != gioValid)
        return GameIOStatusText(info.Status);
    std::string text = FormationText(info.Game.Fields, info.Game.Field2Kind);
    if (info.Game.DrawsPerDay >= 2)
        text += " [" + std::to_string(info.Game.DrawsPerDay) + " D/D]";
    return text;
}

void TLocalGamesClass::ScanGameFiles()
{
    for (const std::string& name : ListFiles(Folder)) {
        if (!IsGameFileName(name))
            continue;
        auto rec = std::make_unique<TLocalGameRec>();
        rec->FileName = Folder + name;
        rec->Title = PathToText(name);
        rec->BaseName = name.substr(0, name.size() - ExtractFileExt(name).size());
        try {
            rec->Info = ReadGameInfo(rec->FileName);
        } catch (const std::exception&) {
            // A file that cannot be read is listed with the read error
            // rather than losing the whole list.
            rec->Info = TGameIOInfo{};
            rec->Info.Status = gioReadError;
        }
        if (rec->Info.Status == gioValid)
            rec->Title = rec->Info.Game.Name;
        rec->Description = DescriptionOf(rec->Info);
        rec->Files = std::make_unique<TStringStore>();
        rec->Files->AddString(rec->FileName);
        Games->AddRecord(rec);
    }
}

void TLocalGamesClass::ScanOtherFiles()
{
    for (const std::string& name : ListFiles(Folder)) {
        if (IsGameFileName(name))
            continue;
        if (TLocalGameRec* rec = FindByBaseName(name)) {
            rec->Files->AddString(Folder + name);
            continue;
        }
        const std::string path = Folder + name;
        if (ShowWarningYesNo("An unexpected file detected!\n\r" + PathToText(path) + "\n\r" +
                             "Do you want to delete it?") == TModalResult::Yes)
            DeleteFile(path);
    }
}

TLocalGameRec* TLocalGamesClass::FindByBaseName(const std::string& fileName) const
{
    if (!Games)
        return nullptr;
    const std::string base = BaseNameOf(ExtractFileName(fileName));
    if (base.empty())
        return nullptr;
    for (int i = 1; i <= Games->Count(); ++i) {
        TLocalGameRec* rec = Games->GetRecord(i);
        if (rec && SameText(rec->BaseName, base))
            return rec;
    }
    return nullptr;
}

namespace {

// The cleaned name a new game's file is called by, in the file system's
// encoding (UTF-8) made from the game's Windows-1252 name.
std::string CleanGameFileBase(const std::string& name)
{
    std::string kept;
    for (char c : name) {
        const char32_t cp = Win1252ToCodePoint(static_cast<unsigned char>(c));
        // Control characters and the bytes Windows-1252 leaves unassigned have no business in a file name.
        if (!std::strchr("\\/:*?\"<>|", c) && cp >= 0x20 && cp != 0x7F && (cp < 0x80 || cp > 0x9F))
            kept += c;
    }
    std::string clean = Win1252ToUtf8(kept);
    // A leading dot would hide the file from the games list.
    const size_t first = clean.find_first_not_of(". ");
    clean = first == std::string::npos ? std::string() : clean.substr(first);
    return clean.empty() ? std::string("Noname") : clean;
}

// Whether the folder holds a file of this name in any letter case.
bool NameTaken(const std::string& folder, const std::string& file)
{
    std::error_code ec;
    if (std::filesystem::exists(folder + file, ec))
        return true;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (SameText(it->path().filename().string(), file))
            return true;
    return false;
}

} // namespace

std::string NewGameFileName(const std::string& name, const std::string& folder)
{
    const std::string dir = IncludeTrailingPathDelimiter(Trim(folder));
    const std::string base = CleanGameFileBase(name);
    std::string file = UniqueFileName(base + ".drw", dir);
    if (!NameTaken(dir, file))
        return file;
    // Only another letter case of an existing game is in the way.
    for (int counter = 0; counter < INT_MAX; ++counter) {
        file = Format("%s%d%s", base.c_str(), counter, ".drw");
        if (!NameTaken(dir, file))
            return file;
    }
    return file;
}

std::string NewGameFilePath(const std::string& name, const std::string& folder)
{
    const std::string dir = IncludeTrailingPathDelimiter(Trim(folder));
    const std::string file = NewGameFileName(name, dir);
    const std::string path = BuildFileName(dir, file, "drw");
    // BuildFileName cuts a name at the first ".drw" it holds ("a.drw.b.drw"),
    // which could land on an existing game; the checked name is kept then.
    return path == dir + file ? path : dir + file;
}
