// The system clipboard behind TClipboard.
#pragma once

#include "models/Clipboard.h"

class TQtClipboard : public TClipboard {
public:
    void SetText(const std::string& text) override;
};
