#include "downloads/downloadsbutton.h"

#include "gui/controls.h"
#include "downloads/downloads.h"
#include "downloads/frmdownloads.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWebEngineDownloadRequest>

namespace {

// A screen reader is told it is a button, named by what it shows, and may
// press it.
class AccessibleDownloadsButton final : public QAccessibleWidget
{
public:
    explicit AccessibleDownloadsButton(DownloadsButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<DownloadsButton *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            static_cast<DownloadsButton *>(widget())->openWindow();
    }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(DownloadsButton::staticMetaObject.className()) && object->isWidgetType())
        return new AccessibleDownloadsButton(static_cast<DownloadsButton *>(object));
    return nullptr;
}

} // namespace

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
    setFocusPolicy(Qt::TabFocus);
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(accessible);
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

void DownloadsButton::keyPressEvent(QKeyEvent *event)
{
    const int k = event->key();
    if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) && !event->isAutoRepeat()) {
        openWindow();
        return;
    }
    QLabel::keyPressEvent(event);
}

void DownloadsButton::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus in the status line's own colours, as its text.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DownloadsButton::openWindow()
{
    FixedDialog::openOrRaise(m_window, [this] { return new frmDownloads(m_downloads, window()); });
}
