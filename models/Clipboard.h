// The plain-text clipboard as the core sees it; the GUI installs a QClipboard
// behind it, tests and the command line keep the text in a string.
#pragma once

#include <string>

class TClipboard {
public:
    virtual ~TClipboard() = default;
    // Clears the clipboard and puts the text on it (an empty text clears it).
    virtual void SetText(const std::string& text) = 0;
};

// Keeps the last text; the stand-in until a front end installs its own.
class TStringClipboard : public TClipboard {
public:
    void SetText(const std::string& text) override
    {
        Text = text;
        ++SetCount;
    }
    std::string Text;
    int SetCount = 0;
};

// The one installed instance; null installs the string stand-in again.
TClipboard& Clipboard();
void InstallClipboard(TClipboard* clipboard);
