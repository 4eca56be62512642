#include "app/AboutDlg.h"

#include "resources/Icons.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *parent)
    : CDialog(parent)
{
    setWindowTitle(tr("About Fax Viewer"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *icon = new QLabel;
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto *product = new QLabel(tr("Fax Viewer Version 2.1"));
    product->setObjectName(QStringLiteral("product"));
    auto *copyright = new QLabel(tr("Copyright \u00a9 2026 Brackwater Systems"));
    auto *rights = new QLabel(tr("All rights reserved."));
    m_pOk = new QPushButton(tr("OK"));
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 12, 16);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, 4, 1);
    layout->addWidget(product, 0, 1);
    layout->setRowMinimumHeight(1, 8);
    layout->addWidget(copyright, 2, 1);
    layout->addWidget(rights, 3, 1);
    layout->addWidget(m_pOk, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    setFixedSize(sizeHint().expandedTo(QSize(326, 103)));
}
