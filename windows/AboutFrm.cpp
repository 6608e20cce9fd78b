// The About window.
#include "windows/AboutFrm.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "rules/MainWindowRules.h"
#include "widgets/QtText.h"

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

    // Two numbers: say which is which.
    auto* version = new QLabel(FromText(AboutVersionText(kProductVersion)), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);
    auto* versions = new QLabel(FromText(AboutVersionsNote(kApplicationTitle, kProductVersion)), this);
    versions->setObjectName(QStringLiteral("lblVersionsNote"));
    versions->setAlignment(Qt::AlignCenter);
    versions->setWordWrap(true);

    auto* purpose = new QLabel(QStringLiteral("J.U.X. analysis of lottery draw histories."), this);
    purpose->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    layout->addWidget(product);
    layout->addWidget(version);
    layout->addWidget(versions);
    layout->addWidget(purpose);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}
