// The system clipboard behind TClipboard.
#pragma once

#include "display/Clipboard.h"

class TQtClipboard : public TClipboard {
public:
    void SetText(const std::string& text) override;
};
