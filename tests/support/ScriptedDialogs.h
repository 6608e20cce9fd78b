// Dialogs for tests: answers come from a queue (then a default), and every
// text shown is recorded for assertions.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "data/UserDialogs.h"

class TScriptedDialogs : public TUserDialogs {
public:
    struct Shown {
        std::string text;
        unsigned buttons;
        TDialogKind kind;
    };

    TScriptedDialogs() { InstallUserDialogs(this); }
    ~TScriptedDialogs() override { InstallUserDialogs(nullptr); }

    void Queue(TModalResult answer) { answers.push_back(answer); }
    TModalResult ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind) override
    {
        shown.push_back({text, buttons, kind});
        if (!answers.empty()) {
            TModalResult a = answers.front();
            answers.pop_front();
            return a;
        }
        return defaultAnswer;
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (const auto& s : shown)
            t.push_back(s.text);
        return t;
    }

    std::deque<TModalResult> answers;
    TModalResult defaultAnswer = TModalResult::No;
    std::vector<Shown> shown;
};
