#include "browser/downloadsbutton.h"

#include "gui/controls.h"
#include "browser/downloads.h"
#include "browser/frmdownloads.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWebEngineDownloadRequest>

DownloadsButton::DownloadsButton(Downloads *downloads, QWidget *statusLine)
    : QLabel(statusLine)
    , m_downloads(downloads)
{
    setObjectName(QStringLiteral("lblDownload"));
    QFont font = Controls::arial(8.25, true);
    font.setUnderline(true);
    setFont(font);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Mostra i download"));
    Controls::setColours(this, QColor(255, 255, 255), QColor(128, 0, 0));
    setContentsMargins(6, 0, 4, 0);
    statusLine->installEventFilter(this);
    connect(m_downloads, &Downloads::changed, this, &DownloadsButton::refresh);
    refresh();
}

void DownloadsButton::refresh()
{
    const QList<QWebEngineDownloadRequest *> entries = m_downloads->entries();
    // By state: the engine tells a download's end before it marks it finished.
    const auto running = std::count_if(entries.begin(), entries.end(),
                                       [](const QWebEngineDownloadRequest *d) { return Downloads::isRunning(d); });
    setText(running ? QStringLiteral("Download: %1 in corso").arg(running)
                    : QStringLiteral("Download (%1)").arg(entries.size()));
    setVisible(!entries.isEmpty());
    follow();
}

void DownloadsButton::follow()
{
    const QWidget *line = parentWidget();
    const int width = sizeHint().width();
    setGeometry(line->width() - width, 0, width, line->height());
}

bool DownloadsButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        follow();
    return QLabel::eventFilter(watched, event);
}

void DownloadsButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        openWindow();
}

void DownloadsButton::openWindow()
{
    if (!m_window)
        m_window = new frmDownloads(m_downloads, window());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
