#include "orvex/app/about_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvex {

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent) {
    setObjectName("TAboutForm");
    setWindowTitle("Orvex Kav Version Information");
    setWindowIcon(QIcon(":/icons/orvex.svg"));

    auto *picture = new QLabel(this);
    picture->setObjectName("ProgramIcon");
    picture->setPixmap(QIcon(":/icons/orvex.svg").pixmap(96, 96));
    picture->setAlignment(Qt::AlignTop);

    auto *panel = new QFrame(this);
    panel->setObjectName("Panel_Product");
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *product = new QLabel("Orvex", panel);
    product->setObjectName("ProductName");
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    product->setFont(big);
    auto *device = new QLabel("Pelnor Device", panel);
    device->setObjectName("DeviceName");
    auto *texts = new QVBoxLayout(panel);
    texts->setContentsMargins(16, 12, 16, 12);
    texts->addWidget(product);
    texts->addWidget(device);
    texts->addStretch();

    auto *ok = new QPushButton("&Ok", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(panel, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(340, 170)));
}

} // namespace orvex
