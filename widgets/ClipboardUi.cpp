// The system clipboard behind TClipboard.
#include "widgets/ClipboardUi.h"

#include <QClipboard>
#include <QGuiApplication>

#include "widgets/QtText.h"

void TQtClipboard::SetText(const std::string& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    clipboard->clear();
    clipboard->setText(FromText(text));
}
