#include "orvex/app/view_form.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QVBoxLayout>

namespace orvex {

namespace {

class Picture : public QWidget {
public:
    Picture(const QImage &image, QWidget *parent) : QWidget(parent), image_(image) {
        setObjectName("Image");
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.drawImage(0, 0, image_);
    }

private:
    const QImage &image_;
};

constexpr int kBevel = 2; // the panel's lowered bevels, inside and out

} // namespace

TViewForm::TViewForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), image_(521, 109, QImage::Format_RGB32) {
    setObjectName("TViewForm");
    setWindowTitle("View");
    image_.fill(Qt::white);
    auto *panel = new QFrame(this);
    panel->setObjectName("Panel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(kBevel);
    picture_ = new Picture(image_, panel);
    auto *inner = new QVBoxLayout(panel);
    inner->setContentsMargins(kBevel, kBevel, kBevel, kBevel);
    inner->addWidget(picture_);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
    resize(521, 109);

    settle_.setSingleShot(true);
    settle_.setInterval(300);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (QGuiApplication::mouseButtons() != Qt::NoButton)
            settle_.start(); // still being dragged
        else
            PlaceAtAnchor();
    });
}

void TViewForm::ImageChanged() {
    picture_->update();
}

void TViewForm::PlaceAtAnchor() {
    QWidget *anchor = anchor_ ? anchor_() : nullptr;
    if (!anchor) return;
    placing_ = true;
    const QRect frame = frameGeometry();
    const QRect anchorFrame = anchor->frameGeometry();
    move(anchorFrame.left(), anchorFrame.top() - frame.height());
    placing_ = false;
}

void TViewForm::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    if (!placing_ && isVisible()) settle_.start();
}

void TViewForm::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (!placing_ && isVisible()) settle_.start();
}

} // namespace orvex
