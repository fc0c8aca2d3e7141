#include "mapengine/server_window.h"

#include "mapengine/render.h"

#include "orvex/errors.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace orvex::map {

namespace {

constexpr double kMinZoom = 0.05, kMaxZoom = 20, kZoomStep = 1.25;
constexpr int kPagePadding = 16; // grey border around the page, pixels

} // namespace

PageView::PageView(PlotDocument &document, QWidget *parent)
    : QAbstractScrollArea(parent), document_(document), seenRevision_(document.RevisionNumber()),
      changes_(new QTimer(this)) {
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::OpenHandCursor);
    // The builder changes documents while they are shown; look for it a few times a second.
    connect(changes_, &QTimer::timeout, this, &PageView::CheckForChanges);
    changes_->start(250);
}

double PageView::PixelsPerCm() const {
    return zoom_ * logicalDpiX() / 2.54;
}

QPointF PageView::PageOrigin() const {
    const PageSetup &page = document_.PageSetup();
    const double width = page.Width() * PixelsPerCm(), height = page.Height() * PixelsPerCm();
    // A page smaller than the view sits in its middle, a larger one scrolls.
    const double x = width + 2 * kPagePadding < viewport()->width()
                         ? (viewport()->width() - width) / 2
                         : kPagePadding - horizontalScrollBar()->value();
    const double y = height + 2 * kPagePadding < viewport()->height()
                         ? (viewport()->height() - height) / 2
                         : kPagePadding - verticalScrollBar()->value();
    return {x, y};
}

void PageView::UpdateScrollBars() {
    const PageSetup &page = document_.PageSetup();
    const int width = static_cast<int>(std::ceil(page.Width() * PixelsPerCm())) + 2 * kPagePadding;
    const int height =
        static_cast<int>(std::ceil(page.Height() * PixelsPerCm())) + 2 * kPagePadding;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
}

void PageView::SetZoom(double zoom, std::optional<QPointF> anchor) {
    fitting_ = false;
    const QPointF at =
        anchor.value_or(QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
    const QPointF pagePoint = (at - PageOrigin()) / PixelsPerCm();
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    UpdateScrollBars();
    // Scroll so the same page point stays under the anchor.
    const QPointF drift = PageOrigin() + pagePoint * PixelsPerCm() - at;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() +
                                    static_cast<int>(std::lround(drift.x())));
    verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                  static_cast<int>(std::lround(drift.y())));
    viewport()->update();
}

void PageView::FitPage() {
    const PageSetup &page = document_.PageSetup();
    const double perCm = logicalDpiX() / 2.54;
    const double available = std::max(1, viewport()->width() - 2 * kPagePadding);
    const double availableHeight = std::max(1, viewport()->height() - 2 * kPagePadding);
    zoom_ = std::clamp(
        std::min(available / (page.Width() * perCm), availableHeight / (page.Height() * perCm)),
        kMinZoom, kMaxZoom);
    fitting_ = true;
    UpdateScrollBars();
    viewport()->update();
}

void PageView::CheckForChanges() {
    if (document_.RevisionNumber() == seenRevision_) return;
    seenRevision_ = document_.RevisionNumber();
    if (fitting_)
        FitPage();
    else
        UpdateScrollBars();
    viewport()->update();
}

void PageView::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const QPointF origin = PageOrigin();
    const PageSetup &page = document_.PageSetup();
    painter.fillRect(
        QRectF(origin + QPointF(3, 3), QSizeF(page.Width(), page.Height()) * PixelsPerCm()),
        QColor(0, 0, 0, 60));
    try {
        RenderPage(painter, document_, PageToDevice(page, PixelsPerCm(), origin),
                   {.showMargins = true});
    } catch (const Error &error) {
        painter.resetTransform();
        painter.drawText(viewport()->rect(), Qt::AlignCenter, QString::fromStdString(error.what()));
    }
}

void PageView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    if (fitting_)
        FitPage();
    else
        UpdateScrollBars();
}

void PageView::wheelEvent(QWheelEvent *event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        SetZoom(zoom_ * std::pow(kZoomStep, steps), event->position());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void PageView::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
}

void PageView::mouseMoveEvent(QMouseEvent *event) {
    if (!dragFrom_) return;
    const QPoint now = event->position().toPoint();
    const QPoint moved = now - *dragFrom_;
    dragFrom_ = now;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
}

void PageView::mouseReleaseEvent(QMouseEvent *) {
    dragFrom_.reset();
    viewport()->setCursor(Qt::OpenHandCursor);
}

void PageView::scrollContentsBy(int, int) {
    viewport()->update();
}

ServerWindow::ServerWindow(Application &server, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent), server_(server), prompts_(prompts), tabs_(new QTabWidget(this)) {
    setWindowTitle("Orvex Map Server");
    resize(900, 1000);
    tabs_->setTabsClosable(true);
    tabs_->setDocumentMode(true);
    setCentralWidget(tabs_);
    connect(tabs_, &QTabWidget::tabCloseRequested, this,
            [this](int index) { Guarded([&] { CloseTab(index); }); });

    QMenu *file = menuBar()->addMenu("&File");
    file->addAction("&Export...", QKeySequence("Ctrl+E"), this, [this] { ExportCurrent(); });
    file->addAction("&Print...", QKeySequence::Print, this, [this] { PrintCurrent(); });
    file->addSeparator();
    file->addAction("&Close", QKeySequence::Close, this, [this] { CloseCurrent(); });
    QMenu *view = menuBar()->addMenu("&View");
    view->addAction("Zoom &In", QKeySequence::ZoomIn, this, [this] { ZoomIn(); });
    view->addAction("Zoom &Out", QKeySequence::ZoomOut, this, [this] { ZoomOut(); });
    view->addAction("&Fit Page", QKeySequence("Ctrl+0"), this, [this] { FitPage(); });
    view->addAction("&Actual Size", QKeySequence("Ctrl+1"), this, [this] { ActualSize(); });

    for (int i = 1; i <= server_.Documents().Count(); ++i)
        DocumentAdded(server_.Documents().Item(i));
    server_.AttachWindow(this);
    if (server_.Visible()) show();
}

ServerWindow::~ServerWindow() {
    if (server_.Window() == this) server_.AttachWindow(nullptr);
}

template <typename F> void ServerWindow::Guarded(F &&command) {
    try {
        command();
    } catch (const Error &error) {
        prompts_.ShowError(error.what());
    }
}

void ServerWindow::ShowServerWindow(bool visible) {
    setVisible(visible);
    if (visible) raise();
}

void ServerWindow::DocumentAdded(PlotDocument &document) {
    auto *view = new PageView(document, tabs_);
    const int index = tabs_->addTab(view, QString::fromStdString(document.Title()));
    tabs_->setTabToolTip(index, QString::fromStdString(document.FullName()));
    tabs_->setCurrentIndex(index);
}

void ServerWindow::DocumentRemoved(PlotDocument &document) {
    if (PageView *view = ViewOf(document)) {
        tabs_->removeTab(tabs_->indexOf(view));
        delete view;
    }
}

int ServerWindow::TabCount() const {
    return tabs_->count();
}

PageView *ServerWindow::CurrentView() const {
    return qobject_cast<PageView *>(tabs_->currentWidget());
}

PageView *ServerWindow::ViewOf(const PlotDocument &document) const {
    for (int i = 0; i < tabs_->count(); ++i)
        if (auto *view = qobject_cast<PageView *>(tabs_->widget(i));
            view && &view->Document() == &document)
            return view;
    return nullptr;
}

void ServerWindow::CloseTab(int index) {
    if (auto *view = qobject_cast<PageView *>(tabs_->widget(index))) view->Document().Close(2);
}

void ServerWindow::CloseCurrent() {
    Guarded([&] {
        if (tabs_->currentIndex() >= 0) CloseTab(tabs_->currentIndex());
    });
}

void ServerWindow::ExportCurrent() {
    PageView *view = CurrentView();
    if (!view) return;
    FileDialogRequest request;
    request.title = "Export Map";
    request.filter =
        "PNG Pictures (*.png)|*.png|SVG Drawings (*.svg)|*.svg|PDF Documents (*.pdf)|*.pdf";
    request.defaultExt = "png";
    request.overwritePrompt = true;
    const std::string &name = view->Document().FullName();
    if (!name.empty()) request.fileName = name.substr(0, name.find_last_of('.')) + ".png";
    const std::optional<std::string> target = prompts_.SaveFile(request);
    if (!target) return;
    Guarded([&] { ExportDocument(view->Document(), *target); });
}

void ServerWindow::PrintCurrent() {
    PageView *view = CurrentView();
    if (!view) return;
    Guarded([&] {
        if (QPrinterInfo::availablePrinters().isEmpty())
            throw MapServerError("No printer is set up on this computer");
        if (!prompts_.Print()) return;
        const PageSetup &page = view->Document().PageSetup();
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(
            QPageSize(QSizeF(page.Width() * 10, page.Height() * 10), QPageSize::Millimeter));
        printer.setPageOrientation(page.Orientation() == 2 ? QPageLayout::Landscape
                                                           : QPageLayout::Portrait);
        printer.setFullPage(true);
        printer.setDocName(QString::fromStdString(view->Document().Title()));
        QPainter painter;
        if (!painter.begin(&printer)) throw MapServerError("The printer could not be started");
        // Fit the page to the paper the printer reports, keeping its proportions.
        const QRectF paper = printer.pageRect(QPrinter::DevicePixel);
        const double perCm = std::min(paper.width() / page.Width(), paper.height() / page.Height());
        RenderPage(painter, view->Document(), PageToDevice(page, perCm, paper.topLeft()));
        painter.end();
    });
}

void ServerWindow::ZoomIn() {
    if (PageView *view = CurrentView()) view->SetZoom(view->Zoom() * kZoomStep);
}

void ServerWindow::ZoomOut() {
    if (PageView *view = CurrentView()) view->SetZoom(view->Zoom() / kZoomStep);
}

void ServerWindow::FitPage() {
    if (PageView *view = CurrentView()) view->FitPage();
}

void ServerWindow::ActualSize() {
    if (PageView *view = CurrentView()) view->SetZoom(1);
}

void ServerWindow::closeEvent(QCloseEvent *event) {
    // Closing the window hides the server's window; the documents stay open.
    server_.SetVisible(false);
    event->accept();
}

} // namespace orvex::map
