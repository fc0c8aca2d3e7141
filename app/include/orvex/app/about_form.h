// The About box: the program's picture and the product it serves.
#pragma once

#include <QDialog>

namespace orvex {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr);
};

} // namespace orvex
