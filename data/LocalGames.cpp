#include "data/LocalGames.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "data/UserDialogs.h"
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

bool IsGameFileName(const std::string& name)
{
    return SameText(ExtractFileExt(name), ".drw");
}

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
        rec->Title = name;
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
        if (ShowWarningYesNo("An unexpected file detected!\n\r" + path + "\n\r" + "Do you want to delete it?") ==
            TModalResult::Yes)
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
