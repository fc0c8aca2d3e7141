#include "orvex/app/help_viewer.h"

#include <QFile>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace orvex {

namespace {

QString PageUrl(const QString &page) {
    return QString("qrc:/help/%1/%2").arg(kHelpFile, page);
}

QString TopicPage(int topic) {
    return QString("topic%1.html").arg(topic);
}

} // namespace

THelpViewer::THelpViewer(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName("THelpViewer");
    setWindowTitle("Orvex Help");
    setWindowIcon(QIcon(":/icons/orvex.svg"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("HelpBrowser");
    browser_->setOpenExternalLinks(false);
    auto *bar = new QToolBar(this);
    QAction *back = bar->addAction("&Back", browser_, &QTextBrowser::backward);
    QAction *forward = bar->addAction("&Forward", browser_, &QTextBrowser::forward);
    bar->addSeparator();
    bar->addAction("&Contents", this, &THelpViewer::ShowContents);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle("Orvex Help - " + CurrentTitle()); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(browser_);
    resize(640, 560);
}

QList<int> THelpViewer::Topics() {
    return {1, 3, 4, 5, 6, 10, 11, 12};
}

void THelpViewer::ShowContents() {
    helpFile_ = QString(kHelpFile) + ".hlp";
    Show("contents.html");
}

void THelpViewer::ShowTopic(int topic) {
    if (helpFile_.isEmpty()) helpFile_ = QString(kHelpFile) + ".hlp";
    Show(Topics().contains(topic) ? TopicPage(topic) : "contents.html");
}

void THelpViewer::Show(const QString &page) {
    browser_->setSource(QUrl(PageUrl(page)));
    show();
    raise();
    activateWindow();
}

int THelpViewer::CurrentTopic() const {
    const QString page = browser_->source().fileName();
    if (!page.startsWith("topic")) return 0;
    return page.mid(5, page.indexOf('.') - 5).toInt();
}

QString THelpViewer::CurrentTitle() const {
    return browser_->documentTitle();
}

} // namespace orvex
