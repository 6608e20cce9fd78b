// QMessageBox behind the four message dialog kinds.
#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "widgets/QtText.h"

QString DialogText(const std::string& text)
{
    QString s = FromText(text);
    s.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s;
}

TModalResult TQtDialogs::ShowMessageDialog(const std::string& text, unsigned buttons, TDialogKind kind)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    switch (kind) {
    case TDialogKind::Warning:
        icon = QMessageBox::Warning;
        title = QStringLiteral("Warning");
        break;
    case TDialogKind::Confirmation:
        icon = QMessageBox::Question;
        title = QStringLiteral("Confirm");
        break;
    case TDialogKind::Information:
        icon = QMessageBox::Information;
        title = QStringLiteral("Information");
        break;
    case TDialogKind::Error:
        icon = QMessageBox::Critical;
        title = QStringLiteral("Error");
        break;
    }

    QMessageBox box(icon, title, DialogText(text), QMessageBox::NoButton, QApplication::activeWindow());
    if (buttons & dbYes)
        box.addButton(QMessageBox::Yes);
    if (buttons & dbNo)
        box.addButton(QMessageBox::No);
    if (buttons & dbOK)
        box.addButton(QMessageBox::Ok);
    if (buttons & dbCancel)
        box.addButton(QMessageBox::Cancel);
    if (box.buttons().isEmpty())
        box.addButton(QMessageBox::Ok);
    if (buttons & dbDefaultNo)
        box.setDefaultButton((buttons & dbNo) ? QMessageBox::No : QMessageBox::Cancel);
    else if (buttons & dbYes)
        box.setDefaultButton(QMessageBox::Yes);

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Yes: return TModalResult::Yes;
    case QMessageBox::No: return TModalResult::No;
    case QMessageBox::Ok: return TModalResult::OK;
    case QMessageBox::Cancel: return TModalResult::Cancel;
    default:
        // Closed with Escape or the title bar: the safe answer.
        return (buttons & dbCancel) ? TModalResult::Cancel : (buttons & dbNo) ? TModalResult::No : TModalResult::OK;
    }
}
