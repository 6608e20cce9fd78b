// The four message dialogs, declared by the core and implemented by the front
// end (Qt message boxes in the GUI, stderr in the CLI, scripted answers in tests).
#pragma once

#include <string>

enum class TModalResult { None, OK, Cancel, Yes, No };

enum class TDialogKind { Warning, Confirmation, Information, Error };

// Button sets a message dialog may offer.
enum TDialogButtons : unsigned {
    dbOK = 1u << 0,
    dbCancel = 1u << 1,
    dbYes = 1u << 2,
    dbNo = 1u << 3,
    // Not a button: No (else Cancel) is the default, so that Enter on a
    // question that throws something away keeps it.
    dbDefaultNo = 1u << 4,
};

class TUserDialogs {
public:
    virtual ~TUserDialogs() = default;
    // The general form; the four helpers below call it.
    virtual TModalResult ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind) = 0;

    TModalResult ShowWarningYesNo(const std::string& text)
    {
        return ShowMessageDialog(text, dbYes | dbNo, TDialogKind::Warning);
    }
    TModalResult AskYesNo(const std::string& text)
    {
        return ShowMessageDialog(text, dbYes | dbNo, TDialogKind::Confirmation);
    }
    TModalResult AskYesNoDefaultNo(const std::string& text)
    {
        return ShowMessageDialog(text, dbYes | dbNo | dbDefaultNo, TDialogKind::Confirmation);
    }
    TModalResult AskYesNoCancel(const std::string& text)
    {
        return ShowMessageDialog(text, dbYes | dbNo | dbCancel, TDialogKind::Confirmation);
    }
    void ShowInfo(const std::string& text) { ShowMessageDialog(text, dbOK, TDialogKind::Information); }
    void ShowError(const std::string& text) { ShowMessageDialog(text, dbCancel, TDialogKind::Error); }
};

// The one installed instance; a silent stand-in answering "No"/"Cancel" until
// a front end installs its own.
TUserDialogs& UserDialogs();
void InstallUserDialogs(TUserDialogs* dialogs);

// Free forms used throughout the core.
inline TModalResult ShowWarningYesNo(const std::string& text) { return UserDialogs().ShowWarningYesNo(text); }
inline TModalResult AskYesNo(const std::string& text) { return UserDialogs().AskYesNo(text); }
inline TModalResult AskYesNoCancel(const std::string& text) { return UserDialogs().AskYesNoCancel(text); }
inline TModalResult AskYesNoDefaultNo(const std::string& text) { return UserDialogs().AskYesNoDefaultNo(text); }
inline void ShowInfo(const std::string& text) { UserDialogs().ShowInfo(text); }
inline void ShowError(const std::string& text) { UserDialogs().ShowError(text); }
inline TModalResult ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind)
{
    return UserDialogs().ShowMessageDialog(text, buttons, kind);
}

// Prints every text on stderr and answers with a configurable default
// (the CLI's --yes sets Yes).
class TConsoleDialogs : public TUserDialogs {
public:
    explicit TConsoleDialogs(TModalResult answer = TModalResult::No) : answer_(answer) {}
    void SetAnswer(TModalResult answer) { answer_ = answer; }
    TModalResult ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind) override;

private:
    TModalResult answer_;
};
