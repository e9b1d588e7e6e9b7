#include "app/frmvelmora.h"

#include "app/controls.h"
#include "app/prompter.h"
#include "app/twips.h"
#include "browser/downloads.h"
#include "browser/downloadsbutton.h"
#include "browser/layoutrule.h"
#include "browser/navigationbar.h"
#include "browser/webview.h"
#include "picker/pickerpanel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>

namespace {

constexpr double startUpBottomAllowance = 400;
constexpr qint32 leftWithPickerClosed = 50;

} // namespace

frmVelmora::frmVelmora(const AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmVelmora"));
    setWindowTitle(initialTitle());
    setWindowIcon(QIcon(QStringLiteral(":/velmora.svg")));
    setAutoFillBackground(true);
    Controls::setColours(this, Qt::black, Controls::orange());
    setMouseTracking(true);
    resize(Twips::toPixels(11880), Twips::toPixels(8490));

    m_WB = m_context.makeWebView(WebView::Role::Forum, this);
    m_WB->setObjectName(QStringLiteral("WB"));
    m_WB->setRectTwips(3150, 1515, 8625, 6540);
    connect(m_WB, &WebView::StatusTextChange, this, &frmVelmora::WB_StatusTextChange);

    m_navigationBar = new NavigationBar(this);
    connect(m_navigationBar, &NavigationBar::imgNavy_Click, this, &frmVelmora::imgNavy_Click);

    const QColor blue(0, 0, 255);
    new LineControl(this, QStringLiteral("Line5"), {0, 1110}, {6480, 1110}, blue, 2);
    new LineControl(this, QStringLiteral("Line6"), {5280, 0}, {5280, 1110}, blue, 2);
    new LineControl(this, QStringLiteral("Line7"), {6495, 0}, {6495, 1110}, blue, 2);

    auto *imgTendina = new QLabel(this);
    imgTendina->setObjectName(QStringLiteral("imgTendina"));
    imgTendina->setScaledContents(true);
    imgTendina->setPixmap(QIcon(QStringLiteral(":/tendina.svg"))
                              .pixmap(Twips::rect(0, 0, 3105, 1050).size(), devicePixelRatioF()));
    Controls::place(imgTendina, 6720, 60, 3105, 1050);

    const QFont small = Controls::arial(8.25, true);
    m_lblURL = Controls::label(this, QStringLiteral("lblURL"), QStringLiteral("Label1"),
                               {135, 1170, 12435, 225}, small);
    Controls::setColours(m_lblURL, QColor(64, 64, 64), QColor(192, 0, 0));
    Controls::setOpaque(m_lblURL, false);

    m_lblStatus = Controls::label(this, QStringLiteral("lblStatus"), QStringLiteral("Label1"),
                                  {3105, 8175, 7185, 255}, small);
    Controls::setColours(m_lblStatus, QColor(255, 128, 128), QColor(128, 0, 0));
    if (m_context.downloads)
        new DownloadsButton(m_context.downloads, m_lblStatus);
    connect(m_WB, &WebView::closeAccepted, this, &frmVelmora::WB_CloseAccepted);
    connect(m_WB, &WebView::closeRefused, this, [this] { m_closeRequested = false; });

    m_fraIconario = new fraIconario(m_context, m_state, this);

    m_tmrBusy = Controls::intervalTimer(this, QStringLiteral("tmrBusy"), 100);
    connect(m_tmrBusy, &QTimer::timeout, this, &frmVelmora::tmrBusy_Timer);
    m_tmrWBSizer = Controls::intervalTimer(this, QStringLiteral("tmrWBSizer"), 100);
    connect(m_tmrWBSizer, &QTimer::timeout, this, &frmVelmora::tmrWBSizer_Timer);

    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &frmVelmora::onCommitDataRequest);

    Form_Load();

    // The first ticks come once the load step has returned: as soon as the
    // event loop runs, so the view is laid out before the window is drawn
    // at its old size; then every 100 ms.
    m_tmrBusy->start();
    m_tmrWBSizer->start();
    QTimer::singleShot(0, this, [this] {
        tmrBusy_Timer();
        tmrWBSizer_Timer();
    });
}

frmVelmora::~frmVelmora() = default;

void frmVelmora::Form_Load()
{
    m_WB->Navigate(m_context.forumHomeUrl);
    m_state.WBLeft = leftWithPickerClosed;
    placeAtStartUp();
    m_awaitingFrame = true;
    // A window manager frames the window within moments, if at all.
    QTimer::singleShot(3000, this, [this] { m_awaitingFrame = false; });
}

QRectF frmVelmora::outerGeometryTwips() const
{
    const QRect frame = frameGeometry();
    if (frame == Twips::rect(m_outerTwips.x(), m_outerTwips.y(), m_outerTwips.width(), m_outerTwips.height()))
        return m_outerTwips;
    return {Twips::fromPixels(frame.x()), Twips::fromPixels(frame.y()),
            Twips::fromPixels(frame.width()), Twips::fromPixels(frame.height())};
}

void frmVelmora::setOuterGeometryTwips(const QRectF &twips)
{
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    const QRect outer = Twips::rect(twips.x(), twips.y(), twips.width(), twips.height());
    m_outerTwips = twips;
    setGeometry(outer.marginsRemoved(margins));
}

void frmVelmora::placeAtStartUp()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize size = s->geometry().size();
    setOuterGeometryTwips({0, 0, Twips::fromPixels(size.width()),
                           Twips::fromPixels(size.height()) - startUpBottomAllowance});
}

void frmVelmora::imgNavy_Click(int Index)
{
    // A request the view cannot carry out (no page to go back to) is
    // simply not carried out; nothing is reported.
    switch (Index) {
    case 0:
        m_WB->GoBack();
        break;
    case 1:
        m_WB->GoForward();
        break;
    case 2:
        m_WB->Refresh();
        break;
    case 3:
        m_WB->Stop();
        break;
    case 4:
        m_WB->Navigate(m_context.forumHomeUrl);
        break;
    case 5:
        if (!m_state.IconarioAperto)
            m_fraIconario->openSequence();
        break;
    default:
        break;
    }
}

void frmVelmora::mouseMoveEvent(QMouseEvent *event)
{
    // Only over the bare window (drawn lines included) do the buttons rest;
    // moves over labels, the panel or the view reach here too, passed up.
    if (!childAt(event->position().toPoint()))
        m_navigationBar->restAll();
    QWidget::mouseMoveEvent(event);
}

void frmVelmora::tmrBusy_Timer()
{
    setWindowTitle(QStringLiteral("NORVALE system - ") + m_WB->LocationName());
    m_lblURL->setText(m_WB->LocationURL());
    Controls::setOpaque(m_lblURL, m_WB->Busy());
}

void frmVelmora::WB_StatusTextChange(const QString &text)
{
    m_lblStatus->setText(text);
}

void frmVelmora::tmrWBSizer_Timer()
{
    if (isMinimized())
        return;
    if (m_awaitingFrame && frameGeometry() != geometry()) {
        m_awaitingFrame = false;
        placeAtStartUp();
    }

    const QRectF outer = outerGeometryTwips();
    const BrowserLayout layout = BrowserLayout::forWindow(outer.width(), outer.height(), m_state.WBLeft);
    // The view refuses a negative size; that is how a window made too small
    // shows itself.
    const bool placed = m_WB->setLeftTwips(layout.viewLeft) && m_WB->setWidthTwips(layout.viewWidth)
        && m_WB->setHeightTwips(layout.viewHeight) && m_WB->setTopTwips(layout.viewTop);
    if (placed) {
        const double statusTop = m_WB->heightTwips() + m_WB->topTwips() + BrowserLayout::statusGap;
        const QRect status = Twips::rect(m_state.WBLeft, statusTop, m_WB->widthTwips(), 255);
        if (m_lblStatus->geometry() != status)
            m_lblStatus->setGeometry(status);
        return;
    }

    // Ticks falling due while the message is open must neither lay out nor
    // ask again.
    m_tmrWBSizer->stop();
    m_context.prompter->tell(this, QMessageBox::Warning,
                             QStringLiteral("Norvale Browser Error - Resuming..."),
                             QStringLiteral("Il Browser è stato ridotto eccessivamente e non può essere "
                                            "visualizzato. Verrà ora ripristinato alle dimensioni iniziali."));
    if (isMaximized() || isFullScreen())
        showNormal();
    placeAtStartUp();
    m_tmrWBSizer->start();
}

bool frmVelmora::confirmExit()
{
    return m_context.prompter->ask(this, QMessageBox::Question,
                                   QStringLiteral("Norvale - Fine Sessione"),
                                   QStringLiteral("Uscire da Velmora Forum ?"),
                                   QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

bool frmVelmora::confirmDownloads()
{
    return !m_context.downloads || !m_context.downloads->running()
        || m_context.prompter->askDefault(this, QMessageBox::Question, QStringLiteral("Norvale - Fine Sessione"),
                                          QStringLiteral("Ci sono download in corso. Uscire comunque?"),
                                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void frmVelmora::closeEvent(QCloseEvent *event)
{
    if (m_exitConfirmed) {
        event->accept();
        return;
    }
    if (!confirmDownloads() || !confirmExit()) {
        event->ignore();
        return;
    }
    // The forum's page may hold an unsent post: it asks first, and we close
    // when it lets go. A page that never answers is left at the second Yes.
    if (std::exchange(m_closeRequested, true) || m_WB->requestClose()) {
        m_exitConfirmed = true;
        event->accept();
        return;
    }
    event->ignore();
}

void frmVelmora::WB_CloseAccepted()
{
    // The page's own window.close() closes nothing here.
    if (!m_closeRequested)
        return;
    m_exitConfirmed = true;
    close();
}

void frmVelmora::onCommitDataRequest(QSessionManager &manager)
{
    // The desktop session is ending: ask now, and keep the session (and
    // the window) alive on No.
    if (m_exitConfirmed || !manager.allowsInteraction())
        return;
    const bool yes = confirmExit();
    manager.release();
    if (yes)
        m_exitConfirmed = true;
    else
        manager.cancel();
}
