// The View window: a small stay-on-top tool window holding one picture (the
// relief preview draws its profile there), which keeps its place just above
// the window it belongs to.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace orvex {

class TViewForm : public QWidget {
    Q_OBJECT
public:
    explicit TViewForm(QWidget *parent = nullptr);

    // The picture; call ImageChanged() after drawing on it.
    QImage &Image() { return image_; }
    void ImageChanged();

    // The window the View window sits above (the Relief Section window).
    void SetAnchor(std::function<QWidget *()> anchor) { anchor_ = std::move(anchor); }
    // Puts the window back just above its anchor: its left at the anchor's
    // left, its bottom at the anchor's top. Nothing happens without an anchor.
    void PlaceAtAnchor();

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage image_;
    QWidget *picture_;
    std::function<QWidget *()> anchor_;
    QTimer settle_; // a move or resize by the user has ended when it stays quiet
    bool placing_ = false;
};

} // namespace orvex
