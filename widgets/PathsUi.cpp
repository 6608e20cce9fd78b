#include "widgets/PathsUi.h"

#include <QByteArray>
#include <QFile>
#include <QFileDialog>

QString PathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::string PathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString ChooseSaveFileName(QWidget* parent, const QString& caption, const QString& proposed, const QString& filter,
                           const QString& suffix, bool askBeforeReplacing)
{
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setObjectName(QStringLiteral("SaveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !askBeforeReplacing);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}
