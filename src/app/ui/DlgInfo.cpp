#include "app/ui/DlgInfo.h"

#include "app/FileInfo.h"
#include "app/Services.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TDlgInfo::TDlgInfo(QWidget* parent)
    : QDialog(parent)
    , TLocalizerForm(this, QStringLiteral("TDlgInfo"))
{
    setWindowTitle(QStringLiteral("Infos"));
    auto* layout = new QVBoxLayout(this);
    auto* lblName = new QLabel(QStringLiteral("Quarn Lumarbo"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    QFont f = lblName->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    lblName->setFont(f);
    auto* lblVersion = new QLabel(TServices::Instance().FileInfo().InfoBoxText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("BtnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(lblName);
    layout->addWidget(lblVersion);
    layout->addSpacing(12);
    layout->addWidget(btnOK, 0, Qt::AlignRight);
    InitLocalizer();
}
