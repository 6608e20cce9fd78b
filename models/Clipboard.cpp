// The installed clipboard instance.
#include "models/Clipboard.h"

namespace {

TStringClipboard& StandIn()
{
    static TStringClipboard standIn;
    return standIn;
}

TClipboard* installed = nullptr;

} // namespace

TClipboard& Clipboard() { return installed ? *installed : StandIn(); }

void InstallClipboard(TClipboard* clipboard) { installed = clipboard; }
