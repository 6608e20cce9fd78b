// File paths between the core, which keeps them as the system's bytes, and Qt;
// and the file dialogs that hand them over. A path never passes through the
// Windows-1252 text helpers of QtText.h.
#pragma once

#include <string>

#include <QString>

class QWidget;

QString PathToQt(const std::string& path);
std::string PathFromQt(const QString& path);

// The save dialog: a name typed without an extension gets `suffix` before the
// dialog asks about replacing an existing file, so the question names the
// file that is written. Empty when cancelled.
QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& proposed, const QString& filter,
                           const QString& suffix, bool askBeforeReplacing = true);
