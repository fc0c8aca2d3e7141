// The map server's window: every open document in a tab, drawn by the same
// renderer as the exports, with zoom, pan, export and print. It follows the
// server's document collection and its visible flag; file dialogs, messages and
// the print dialog go through the Prompts service.
#pragma once

#include "mapengine/model.h"

#include "orvex/prompts.h"

#include <QAbstractScrollArea>
#include <QMainWindow>

#include <optional>

class QTabWidget;
class QTimer;

namespace orvex::map {

// One document's page, zoomable and draggable.
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    PageView(PlotDocument &document, QWidget *parent = nullptr);
    PlotDocument &Document() const { return document_; }

    // 1 is the page at its real size on the screen.
    double Zoom() const { return zoom_; }
    // Zooms keeping the page point under `anchor` (viewport pixels) in place;
    // the centre of the view when no anchor is given.
    void SetZoom(double zoom, std::optional<QPointF> anchor = std::nullopt);
    // The zoom at which the whole page fits the view; kept while resizing
    // until the user zooms.
    void FitPage();
    // The page's top left corner in viewport pixels.
    QPointF PageOrigin() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double PixelsPerCm() const;
    void UpdateScrollBars();
    void CheckForChanges();

    PlotDocument &document_;
    double zoom_ = 1;
    bool fitting_ = true;
    std::optional<QPoint> dragFrom_;
    uint64_t seenRevision_ = 0;
    QTimer *changes_;
};

class ServerWindow : public QMainWindow, public ServerWindowHost {
    Q_OBJECT
public:
    // Attaches itself to `server` and shows the documents already open. The
    // window must not outlive the server.
    ServerWindow(Application &server, Prompts &prompts, QWidget *parent = nullptr);
    ~ServerWindow() override;

    void ShowServerWindow(bool visible) override;
    void DocumentAdded(PlotDocument &document) override;
    void DocumentRemoved(PlotDocument &document) override;

    int TabCount() const;
    PageView *CurrentView() const;
    PageView *ViewOf(const PlotDocument &document) const;

    // The window's commands; failures are shown as error messages.
    void ExportCurrent();
    void PrintCurrent();
    void CloseCurrent();
    void ZoomIn();
    void ZoomOut();
    void FitPage();
    void ActualSize();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CloseTab(int index);
    template <typename F> void Guarded(F &&command);

    Application &server_;
    Prompts &prompts_;
    QTabWidget *tabs_;
};

} // namespace orvex::map
