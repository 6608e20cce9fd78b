#include "data/UserDialogs.h"

#include <cstdio>

namespace {

class TSilentDialogs : public TUserDialogs {
public:
    TModalResult ShowMessageDialog(const std::string&, unsigned buttons, TDialogKind) override
    {
        if (buttons & dbNo)
            return TModalResult::No;
        if (buttons & dbCancel)
            return TModalResult::Cancel;
        return TModalResult::OK;
    }
};

TSilentDialogs silentDialogs;
TUserDialogs* installed = &silentDialogs;

const char* KindName(TDialogKind kind)
{
    switch (kind) {
    case TDialogKind::Warning: return "Warning";
    case TDialogKind::Confirmation: return "Confirm";
    case TDialogKind::Information: return "Information";
    case TDialogKind::Error: return "Error";
    }
    return "Message";
}

} // namespace

TUserDialogs& UserDialogs() { return *installed; }

void InstallUserDialogs(TUserDialogs* dialogs) { installed = dialogs ? dialogs : &silentDialogs; }

TModalResult TConsoleDialogs::ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        // "\n\r" is the line break of message texts.
        if (text[i] == '\r' && i > 0 && text[i - 1] == '\n')
            continue;
        shown += text[i];
    }
    std::fprintf(stderr, "%s: %s\n", KindName(kind), shown.c_str());
    TModalResult answer = answer_;
    // Answer only with a button the dialog offers.
    auto offered = [&](TModalResult r) {
        switch (r) {
        case TModalResult::Yes: return (buttons & dbYes) != 0;
        case TModalResult::No: return (buttons & dbNo) != 0;
        case TModalResult::OK: return (buttons & dbOK) != 0;
        case TModalResult::Cancel: return (buttons & dbCancel) != 0;
        default: return false;
        }
    };
    if (!offered(answer)) {
        if (answer == TModalResult::Yes && offered(TModalResult::OK))
            answer = TModalResult::OK;
        else if (offered(TModalResult::No))
            answer = TModalResult::No;
        else if (offered(TModalResult::Cancel))
            answer = TModalResult::Cancel;
        else
            answer = TModalResult::OK;
    }
    return answer;
}
