// Plain text export of the draws history.
#include "data/DrawsExport.h"

#include <algorithm>

#include "data/Types.h"
#include "data/Utils.h"
#include "platform/SafeSave.h"

namespace {

constexpr const char* kDaySlotSeparator = "  /  ";

} // namespace

int ExportNumberWidth(int drawCount)
{
    int width = 1;
    for (int n = drawCount; n >= 10; n /= 10)
        ++width;
    return width;
}

std::string ExportBallsText(const TDraw& draw, int fieldCount)
{
    std::string text = draw.Numbers.empty() ? std::string() : BallsToText(draw.Numbers[0], " ", 2);
    if (fieldCount == 2 && draw.Numbers.size() > 1)
        text += " " + BallsToText(draw.Numbers[1], " ", 2);
    return text;
}

std::vector<std::string> DrawsExportLines(const TDrawClass& draws, const std::string& gameName)
{
    const TGameInfo& g = draws.GameInfo();
    const int count = draws.DrawCount();
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(count) + 6);
    lines.push_back(std::string("Exported using ") + kExportProductName);
    lines.push_back("Draws history file of game " + gameName);
    lines.push_back("Game description : " + FormationText(g.Fields, g.Field2Kind));
    lines.push_back("Total draws : " + std::to_string(count));
    lines.push_back("-----");
    lines.push_back("");

    const int width = ExportNumberWidth(count);
    const int perDay = draws.Dated() ? std::max(1, draws.DrawsPerDay()) : 1;
    int position = 1;
    while (position <= count) {
        const TDraw* first = draws.GetDraw(position);
        std::string line = Format("%.*d  ", width, position);
        if (draws.Dated())
            line += UserDateText(first->Date, false) + "  ";
        const TDateTime day = first->Date;
        for (int slot = 1; slot <= perDay; ++slot) {
            const TDraw* d = draws.GetDraw(position);
            if (d && (slot == 1 || (draws.Dated() && d->Date == day))) {
                line += ExportBallsText(*d, g.FieldCount);
                ++position;
            }
            if (slot < perDay)
                line += kDaySlotSeparator;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string DrawsExportText(const TDrawClass& draws, const std::string& gameName)
{
    std::string text;
    for (const std::string& line : DrawsExportLines(draws, gameName)) {
        text += line;
        text += '\n';
    }
    return text;
}

bool WriteDrawsExport(const std::string& path, const TDrawClass& draws, const std::string& gameName, std::string& error,
                      const std::vector<std::string>& inputs)
{
    const std::string text = DrawsExportText(draws, gameName);
    return SafeSaveBytes(path, text.data(), text.size(), error, TSafeSave::TMode::Replace, inputs);
}
