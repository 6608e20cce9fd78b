// The About window.
#include "shell/AboutFrm.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/MainWindowRules.h"

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);

    auto* product = new QLabel(QString::fromLatin1(kApplicationTitle), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    QFont big = product->font();
    big.setBold(true);
    big.setPixelSize(20);
    product->setFont(big);
    product->setAlignment(Qt::AlignCenter);

    auto* version = new QLabel(QStringLiteral("Version %1").arg(QString::fromLatin1(kProductVersion)), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);

    auto* purpose = new QLabel(QStringLiteral("J.U.X. analysis of lottery draw histories."), this);
    purpose->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    layout->addWidget(product);
    layout->addWidget(version);
    layout->addWidget(purpose);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}
