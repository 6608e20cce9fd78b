#include "rules/LotteryRules.h"

#include <array>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "data/GameFile.h"
#include "data/LocalGames.h"
#include "data/Types.h"
#include "data/Utils.h"
#include "platform/Paths.h"

// --- Lottery manager ---------------------------------------------------------

TManagerButtons ManagerButtons(TManagerPage page, uint8_t action, bool rowSelected, bool requestOffered)
{
    TManagerButtons b;
    b.BackEnabled = page != TManagerPage::Actions;
    b.RequestVisible = page == TManagerPage::Database && requestOffered;
    switch (page) {
    case TManagerPage::Actions:
        b.NextCaption = "Next";
        b.NextEnabled = action != maNone;
        break;
    case TManagerPage::Local:
        switch (action) {
        case maOpenLocal: b.NextCaption = "Open"; break;
        case maCreate: b.NextCaption = "Create"; break;
        case maDeleteLocal: b.NextCaption = "Delete"; break;
        case maExportLocal: b.NextCaption = "Export"; break;
        default: b.NextCaption = "---"; break;
        }
        b.NextEnabled = b.NextCaption != "---" && rowSelected;
        break;
    case TManagerPage::Database:
        b.NextCaption = action == maSearchDatabase ? "Download" : "---";
        b.NextEnabled = action == maSearchDatabase && rowSelected;
        break;
    }
    return b;
}

TGameIcon GameIconFor(uint8_t status)
{
    switch (status) {
    case gioValid: return TGameIcon::Valid;
    case gioOlderVersion: return TGameIcon::OlderVersion;
    case gioCorrupted:
    case gioInvalidDefinition:
    case gioInvalidOptional:
    case gioDrawDataErrors: return TGameIcon::Damaged;
    default: return TGameIcon::Foreign;
    }
}

TLocalGameRow LocalGameRow(const TLocalGameRec& entry)
{
    const TGameIOInfo& info = entry.Info;
    TLocalGameRow row;
    // Empty for a file the examination could not read as a game.
    row.Name = info.Game.Name;
    row.Description = entry.Description;
    row.Draws = std::to_string(info.DrawCount);
    // In the user's short date, as every other date the program shows.
    row.LastEntry = UserDateText(info.LastDrawDate, false);
    if (info.Game.OnlineID <= 0)
        row.LastUpdate = "Unofficial";
    else if (info.Game.LastUpdate == 0)
        row.LastUpdate = "Never";
    else
        row.LastUpdate = DateTimeText(2, info.Game.LastUpdate);
    row.Icon = GameIconFor(info.Status);
    return row;
}

TDatabaseGameRow DatabaseGameRow(const TDatabaseGameRec& entry)
{
    return {entry.Description, entry.FormationText, std::to_string(entry.DrawCount), UpdateDateText(entry.UpdateTime)};
}

std::string DeleteGameQuestion(const std::string& name)
{
    return Format("Do you want to delete lottery game %s?", name.c_str());
}

std::string LocalListHint(int gameCount, uint8_t action)
{
    if (gameCount > 0)
        return {};
    if (action == maDeleteLocal || action == maExportLocal)
        return "There are no lottery games yet.";
    return "There are no lottery games yet. Press \"Back\" and choose \"Create a new user-defined lottery game\" "
           "to make your first one.";
}

std::string RequestDatabaseGameText(const std::string& contact)
{
    const std::string nl = "\n\r";
    return std::string("To ask for a lottery game to be added to the official databases, send an e-mail to ") +
           contact + nl + "with the subject \"Request lottery game to databases\" and these details:" + nl +
           "  - the country and the region of the lottery;" + nl + "  - the name and the web site of the lottery;" +
           nl + "  - a description of its fields, such as 6 of 49 + 1 bonus." + nl + nl +
           "A game is accepted only when:" + nl + "  - it is drawn by an official lottery commission;" + nl +
           "  - its full draw history is available on the commission's web site;" + nl +
           "  - it is a lotto-style game: games whose draws may repeat a number within a field," + nl +
           "    such as pick 3 or pick 4, do not qualify;" + nl + "  - it has at most one draw per day;" + nl +
           "  - all its draws are performed the same way;" + nl +
           "  - at least two different users ask for the same game." + nl + nl +
           "Including a game may take a week or more. Meanwhile you can create a local," + nl +
           "user-defined lottery game with this manager." + nl + nl + "No individual reply is given to requests.";
}

// --- Creation wizard ---------------------------------------------------------

TGameType GameType(int index)
{
    TGameType t;
    if (index == 0) {
        t.Caption = "Lotto 6/49";
        t.Picked1 = 6;
    } else if (index >= 1 && index <= 4) {
        t.Picked1 = index + 3;
        t.Caption = Format("Lotto %d (define size)", t.Picked1);
    } else if (index >= 5 && index <= 20) {
        const bool power = index <= 12;
        t.Kind = power ? 1 : 2;
        t.Picked1 = power ? (index + 3) / 2 : (index - 5) / 2;
        t.Picked2 = ((index - 1) % 2) + 1;
        const bool two = t.Picked2 == 2;
        t.Caption = Format("Lotto %d + %d %s", t.Picked1, t.Picked2,
                           power ? (two ? "powerballs" : "powerball") : (two ? "bonus balls" : "bonus ball"));
    } else {
        t.Caption = "User defined";
    }
    return t;
}

std::vector<std::string> GameTypeCaptions()
{
    std::vector<std::string> captions;
    for (int i = 0; i < kGameTypeCount; ++i)
        captions.push_back(GameType(i).Caption);
    return captions;
}

std::string GameTypeMemo(int index)
{
    const TGameType t = GameType(index);
    if (index == 0)
        return "Traditional lotto game with 6 numbers out of 49.";
    if (index >= 1 && index <= 4)
        return Format("Lotto game with %d numbers. User defines the total balls of the game.", t.Picked1);
    if (index >= 5 && index <= 12)
        return Format("Lotto game with %d numbers and %d additional powerball(s) number(s). User defines the total "
                      "balls of the game in both fields.",
                      t.Picked1, t.Picked2);
    if (index >= 13 && index <= 20)
        return Format("Lotto game with %d numbers and %d additional bonus ball(s) number(s). User defines the total "
                      "balls of the game.",
                      t.Picked1, t.Picked2);
    return "User defines all parameters of the game.";
}

TGameInfo GameTypeDefinition(int index)
{
    TGameInfo info;
    info.Fields[0] = TGameField{49, 6, 1, 0};
    info.Fields[1] = TGameField{20, 1, 1, 0};
    const TGameType t = GameType(index);
    info.Fields[0].Picked = t.Picked1;
    info.Fields[1].Picked = t.Picked2;
    info.Field2Kind = t.Kind;
    info.FieldNames = {DefaultFieldName(info, 1), t.Kind != 0 ? DefaultFieldName(info, 2) : ""};
    if (index >= 0 && index < kUserDefinedType)
        info.Name = ProposedGameName(info);
    return info;
}

std::string ProposedGameName(const TGameInfo& info)
{
    std::string name = Format("Lotto %d of %d", info.Fields[0].Picked, info.Fields[0].Total);
    if (info.Field2Kind == 1)
        name += Format(" + %d of %d", info.Fields[1].Picked, info.Fields[1].Total);
    else if (info.Field2Kind == 2)
        name += Format(" + %d bonus", info.Fields[1].Picked);
    return name;
}

TTypeControls TypeControls(int index)
{
    const bool user = index < 0 || index >= kUserDefinedType;
    TTypeControls c;
    c.F1PickedEnabled = user;
    c.F2StatusEnabled = user;
    c.F2PickedEnabled = user;
    c.F1TotalEnabled = index != kLotto649Type;
    return c;
}

TTotalList ApplyTotalListRule(TGameField& field)
{
    TTotalList list;
    const int32_t top = MaxTotalFor(field.Picked);
    for (int32_t n = field.Picked + 1; n <= top; ++n)
        list.Items.push_back(n);
    if (list.Items.empty())
        return list;
    for (size_t i = 0; i < list.Items.size(); ++i)
        if (list.Items[i] == field.Total)
            list.Selected = static_cast<int>(i);
    if (list.Selected < 0)
        list.Selected = field.Total <= field.Picked ? 0 : static_cast<int>(list.Items.size()) - 1;
    field.Total = list.Items[static_cast<size_t>(list.Selected)];
    return list;
}

std::vector<std::string> Field2StatusItems() { return {"Disabled", "Bonus ball", "Power ball"}; }

int Field2StatusPosition(uint8_t kind) { return kind == 2 ? 1 : kind == 1 ? 2 : 0; }

uint8_t Field2KindAt(int position) { return position == 1 ? 2 : position == 2 ? 1 : 0; }

TField2Visibility Field2Visibility(uint8_t kind)
{
    TField2Visibility v;
    v.NameVisible = kind == 1 || kind == 2;
    v.PickedVisible = v.NameVisible;
    v.TotalVisible = kind == 1;
    v.NoParamsVisible = kind == 0;
    return v;
}

namespace {

// The fields as they will be stored: a bonus field shares field 1's container.
std::array<TGameField, 2> EffectiveFields(const TGameInfo& info)
{
    std::array<TGameField, 2> f = info.Fields;
    if (info.Field2Kind == 2) {
        f[1].Total = f[0].Total;
        f[1].Lowest = f[0].Lowest;
        f[1].Ordered = f[0].Ordered;
    }
    return f;
}

} // namespace

std::string DescriptionLabel(const TGameInfo& info)
{
    return "Description : " + FormationText(EffectiveFields(info), info.Field2Kind);
}

std::string TicketsLabel(const TGameInfo& info)
{
    std::string text = "Tickets : " + std::to_string(TicketCount(info.Fields[0]));
    if (info.Field2Kind == 1)
        text += " + " + std::to_string(TicketCount(info.Fields[1]));
    return text;
}

TFieldsCheck CheckFieldsPage(TGameInfo& info)
{
    info.FieldCount = info.Field2Kind != 0 ? 2 : 1;
    if (info.Field2Kind == 2)
        info.Fields = EffectiveFields(info);
    info.Name = Trim(info.Name);
    if (info.Name.empty())
        return {TFieldsCheck::Error, "Please specify a name for the lottery game."};
    for (int f = 0; f < info.FieldCount; ++f) {
        info.FieldNames[f] = Trim(info.FieldNames[f]);
        if (info.FieldNames[f].empty())
            return {TFieldsCheck::Error, "Please specify a name for field " + std::to_string(f + 1) + "."};
    }
    const TGameField& f1 = info.Fields[0];
    if (info.Field2Kind == 2 && info.Fields[1].Picked >= f1.Total - f1.Picked)
        return {TFieldsCheck::Error,
                "Bonus balls are more than " + std::to_string(f1.Total - f1.Picked - 1) + " possible!"};
    if (info.Field2Kind == 1 && TicketCount(info.Fields[0]) < TicketCount(info.Fields[1]))
        return {TFieldsCheck::Ask, "Field 2 produces more combinations than field 1!\n\rDo you want to keep this "
                                   "formation?"};
    return {};
}

std::string UnstorableCharacterText(const std::string& what, int position, char32_t codePoint)
{
    return Format("The %s cannot hold its character %d (U+%04X).", what.c_str(), position,
                  static_cast<unsigned>(codePoint)) +
           "\n\rA game file keeps only the letters and signs of Western European languages.";
}

std::vector<std::string> DrawsPerDayItems()
{
    std::vector<std::string> items = {"Disabled", "1 draw per day/week"};
    for (int n = 2; n <= 9; ++n)
        items.push_back(Format("%d draws per day", n));
    return items;
}

std::string DrawsPerDayMemo()
{
    return "Dates keep the draws of the game consistent: they guard against double or missing entries and "
           "against accidental errors while editing or importing draws.\n"
           "Choose \"Disabled\" for data without dates. Dates cannot be added later, and with dates no draw can "
           "be entered without one.\n"
           "Official games should include dates; arbitrary games may omit them.";
}
