#include "app/frmvelmora.h"

#include "app/commands.h"
#include "app/zoomcontrol.h"
#include "gui/findbar.h"
#include "downloads/downloads.h"
#include "downloads/downloadsbutton.h"
#include "drafts/frmbozze.h"
#include "app/navigationbar.h"
#include "gui/picturebutton.h"
#include "core/layoutrule.h"
#include "core/linkrule.h"
#include "gui/accessibleroles.h"
#include "gui/controls.h"
#include "gui/memoryrelief.h"
#include "gui/prompter.h"
#include "gui/readingview.h"
#include "gui/spokennotice.h"
#include "gui/twips.h"
#include "gui/webview.h"
#include "personal/frmgestionepersonali.h"
#include "picker/emoticonpalette.h"
#include "picker/pickerpanel.h"
#include "replies/frmrisposte.h"
#include "replies/replieswatcher.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QSessionManager>
#include <QAction>
#include <QTimer>
#include <QUrl>

namespace {

constexpr double startUpBottomAllowance = 400;

} // namespace

frmVelmora::frmVelmora(const AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmVelmora"));
    AccessibleRoles::present(staticMetaObject, QAccessible::Window);
    setWindowTitle(initialTitle());
    setWindowIcon(QIcon(QStringLiteral(":/velmora.svg")));
    setAutoFillBackground(true);
    Controls::setColours(this, Qt::black, Controls::orange());
    resize(Twips::toPixels(11880), Twips::toPixels(8490));

    m_WB = m_context.makeWebView(WebView::Role::Forum, this);
    m_WB->setObjectName(QStringLiteral("WB"));
    m_WB->setAccessibleName(QStringLiteral("Pagina del forum"));
    m_WB->setRectTwips(3150, 1515, 8625, 6540);
    connect(m_WB, &WebView::StatusTextChange, this, &frmVelmora::WB_StatusTextChange);
    m_notice = new SpokenNotice(this);
    connect(m_WB, &WebView::noticeShown, m_notice, &SpokenNotice::say);

    m_navigationBar = new NavigationBar(this);
    connect(m_navigationBar, &NavigationBar::buttonClicked, this, &frmVelmora::imgNavy_Click);

    new LineControl(this, QStringLiteral("Line5"), {0, 1110}, {6480, 1110}, Controls::blue(), 2);
    new LineControl(this, QStringLiteral("Line6"), {5280, 0}, {5280, 1110}, Controls::blue(), 2);
    new LineControl(this, QStringLiteral("Line7"), {6495, 0}, {6495, 1110}, Controls::blue(), 2);

    auto *imgTendina = new QLabel(this);
    imgTendina->setObjectName(QStringLiteral("imgTendina"));
    imgTendina->setAccessibleName(QStringLiteral("Velmora Forum"));
    imgTendina->setScaledContents(true);
    imgTendina->setPixmap(
        QIcon(QStringLiteral(":/tendina.svg")).pixmap(Twips::rect(0, 0, 3105, 1050).size(), devicePixelRatioF()));
    Controls::place(imgTendina, 6720, 60, 3105, 1050);

    const QFont small = Controls::arial(8.25, true);
    m_lblURL = Controls::label(this, QStringLiteral("lblURL"), QStringLiteral("Label1"), {135, 1170, 12435, 225},
                               small);
    // A screen reader reads a line of text by its name, which is what it
    // shows; the description says what the line is.
    m_lblURL->setAccessibleDescription(QStringLiteral("Indirizzo della pagina"));
    Controls::setColours(m_lblURL, addressText(), QColor(192, 0, 0));
    Controls::setOpaque(m_lblURL, false);

    m_lblStatus = Controls::label(this, QStringLiteral("lblStatus"), QStringLiteral("Label1"), {3105, 8175, 7185, 255},
                                  small);
    m_lblStatus->setAccessibleDescription(QStringLiteral("Stato della pagina"));
    Controls::setColours(m_lblStatus, QColor(255, 128, 128), QColor(128, 0, 0));
    if (m_context.downloads)
        m_downloadsButton = new DownloadsButton(m_context.downloads, m_lblStatus);
    connect(m_WB, &WebView::closeAccepted, this, &frmVelmora::WB_CloseAccepted);
    connect(m_WB, &WebView::closeRefused, this, [this] { m_closeRequested = false; });

    m_fraIconario = new fraIconario(m_context, m_state, this);
    // The tag OK copies is also typed where the user was writing a post, and
    // a screen reader is told which it was.
    connect(m_fraIconario, &fraIconario::tagCopied, this, [this](const QString &tag) {
        m_tagPending = true;
        m_WB->InsertAtCaret(tag, QUrl(m_context.forumHomeUrl).host());
    });
    connect(m_WB, &WebView::textInserted, this, [this](bool typed) {
        if (std::exchange(m_tagPending, false))
            m_fraIconario->tellWhereTheTagWent(typed);
        if (const QString name = std::exchange(m_paletteName, QString()); !name.isEmpty()) {
            m_notice->say(typed ? fraIconario::typedText(name) : fraIconario::copiedText(name));
            // Where it could not be typed, the keyboard still goes back.
            if (!typed)
                m_WB->setFocus(Qt::ShortcutFocusReason);
        }
    });

    if (m_context.replies) {
        // A reply: said on the status line and to a screen reader, as the
        // desktop shows it; "Apri" brings this window up on the post.
        connect(m_context.replies, &RepliesWatcher::told, this, [this](const QString &text) {
            m_lblStatus->setText(text);
            m_notice->say(text);
        });
        connect(m_context.replies, &RepliesWatcher::openRequested, this, [this](const QUrl &post) {
            if (isMinimized())
                showNormal();
            raise();
            activateWindow();
            m_WB->Navigate(post.toString());
        });
    }

    m_palette = new EmoticonPalette(m_context, this);
    connect(m_fraIconario, &fraIconario::emoticonUsed, m_palette, &EmoticonPalette::recordUse);
    connect(m_palette, &EmoticonPalette::chosen, this, [this](const QString &tag, const QString &name) {
        // As OK does, and on the clipboard too should the field be gone.
        QApplication::clipboard()->setText(tag);
        m_paletteName = name;
        m_WB->InsertAtCaret(tag, QUrl(m_context.forumHomeUrl).host());
    });
    connect(m_palette, &EmoticonPalette::dismissed, this, [this](bool byKey) {
        if (byKey)
            m_WB->setFocus(Qt::ShortcutFocusReason);
    });
    connect(m_fraIconario, &fraIconario::closedByKeyboard, this, [this] {
        m_WB->setFocus(Qt::ShortcutFocusReason);
        m_notice->say(pickerClosedText());
    });

    connect(m_WB, &WebView::addImageRequested, this, &frmVelmora::addToPersonalSet);
    m_findBar = new FindBar(m_WB, this);
    m_zoom = new ZoomControl(m_WB, this);
    m_reading = new ReadingView(this);
    connect(m_WB, &WebView::pageRead, this, [this](const QVariantMap &page) {
        if (!m_reading->isVisible())
            return;
        m_reading->setZoom(m_WB->zoomFactor());
        m_reading->showPage(page);
    });
    // It follows the page: each page loaded is read again.
    connect(m_WB, &WebView::loadingChanged, this, [this](bool busy) {
        if (!busy && m_reading->isVisible())
            m_WB->Read();
    });
    connect(m_reading, &ReadingView::linkFollowed, this, [this](const QUrl &url) {
        // The member's own choice: the forum's pages here, another site in
        // the system's browser.
        if (LinkRule::isForumPage(url, QUrl(m_context.forumHomeUrl)))
            m_WB->Navigate(url.toString());
        else
            QDesktopServices::openUrl(url);
    });
    addKeys();

    // Tab goes round the window as it is seen: the bar, the open panel on
    // the left, the page, the find bar over the page's foot, the status
    // line's downloads. The stops start at the find bar so that the page's
    // own stop, which the engine makes later at the chain's end, falls
    // between the panel and the find bar.
    QList<QWidget *> regions{m_findBar, m_lblStatus};
    for (int i = 0; i < NavigationBar::buttonCount; ++i)
        regions.append(m_navigationBar->button(i));
    regions << m_fraIconario << m_WB;
    Controls::orderTabStops(this, regions);

    // Each rule runs once after what it follows has changed: the title, the
    // address and the busy mark after the view's signals, the layout after
    // the window's size or state, or the picker's place, has changed.
    m_tmrBusy = Controls::changeTimer(this, QStringLiteral("tmrBusy"), 100);
    connect(m_tmrBusy, &QTimer::timeout, this, &frmVelmora::tmrBusy_Timer);
    const auto viewChanged = [this] { Controls::runSoon(m_tmrBusy); };
    connect(m_WB, &WebView::loadingChanged, this, viewChanged);
    connect(m_WB, &WebView::titleChanged, this, viewChanged);
    connect(m_WB, &WebView::addressChanged, this, viewChanged);
    m_tmrWBSizer = Controls::changeTimer(this, QStringLiteral("tmrWBSizer"), 100);
    connect(m_tmrWBSizer, &QTimer::timeout, this, &frmVelmora::tmrWBSizer_Timer);
    connect(m_fraIconario, &fraIconario::stateChanged, this, &frmVelmora::layOutSoon);
    // The Iconario's button tells a screen reader whether the panel is open.
    PictureButton *iconario = m_navigationBar->button(5);
    iconario->setCheckable(true);
    connect(m_fraIconario, &fraIconario::stateChanged, iconario,
            [this, iconario] { iconario->setChecked(m_state.IconarioAperto); });

    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &frmVelmora::onCommitDataRequest);

    Form_Load();

    // The rules first run once the load step has returned: as soon as the
    // event loop runs, so the view is laid out before the window is drawn
    // at its old size.
    QTimer::singleShot(0, this, [this] {
        tmrBusy_Timer();
        tmrWBSizer_Timer();
    });
}

frmVelmora::~frmVelmora() = default;

void frmVelmora::addKeys()
{
    m_commands = new Commands(this);
    const auto on = [this](Commands::Id id, auto handler) {
        connect(m_commands->action(id), &QAction::triggered, this, handler);
    };
    // A request the view cannot carry out (no page to go back to) is simply
    // not carried out; nothing is reported.
    on(Commands::Back, [this] { m_WB->GoBack(); });
    on(Commands::Forward, [this] { m_WB->GoForward(); });
    on(Commands::Reload, [this] { m_WB->Refresh(); });
    on(Commands::Stop, [this] { m_WB->Stop(); });
    on(Commands::Home, [this] { m_WB->Navigate(m_context.forumHomeUrl); });
    on(Commands::Iconario, [this] {
        if (!m_state.IconarioAperto)
            m_fraIconario->openSequence();
    });
    on(Commands::Escape, [this] {
        if (m_reading->isVisible() && m_reading->isAncestorOf(QApplication::focusWidget()))
            closeReading();
        else if (m_findBar->isVisible() && m_findBar->isAncestorOf(QApplication::focusWidget()))
            m_findBar->close();
        else if (m_state.IconarioAperto && m_fraIconario->isAncestorOf(QApplication::focusWidget()))
            closePickerByKey();
        else
            m_commands->action(Commands::Stop)->trigger();
    });
    // The Iconario from the keyboard: open with the focus on its sets;
    // from the page with the panel open, into the panel, for a second
    // emoticon; from the panel, closed again with the focus back in the
    // page, where the member was writing.
    on(Commands::IconarioKeys, [this] {
        if (!m_state.IconarioAperto) {
            m_commands->action(Commands::Iconario)->trigger();
            m_fraIconario->focusSets();
            m_notice->say(pickerOpenedText());
        } else if (!m_fraIconario->isAncestorOf(QApplication::focusWidget())) {
            m_fraIconario->focusSets();
        } else {
            closePickerByKey();
        }
    });
    on(Commands::Reading, [this] { toggleReading(); });
    on(Commands::Find, [this] {
        placeFindBar();
        m_findBar->open();
    });
    // The reading view follows the page's size.
    const auto zoomed = [this](void (ZoomControl::*change)()) {
        return [this, change] {
            (m_zoom->*change)();
            if (m_reading->isVisible())
                m_WB->Read();
        };
    };
    on(Commands::ZoomIn, zoomed(&ZoomControl::zoomIn));
    on(Commands::ZoomOut, zoomed(&ZoomControl::zoomOut));
    on(Commands::ZoomReset, zoomed(&ZoomControl::reset));
    on(Commands::Downloads, [this] {
        if (m_downloadsButton)
            m_downloadsButton->openWindow();
    });
    on(Commands::Palette, [this] { openPalette(); });
    on(Commands::Replies, [this] {
        if (m_context.replies)
            frmRisposte::showFor(m_context.replies, this);
    });
    on(Commands::Drafts, [this] {
        if (m_context.drafts)
            frmBozze::showFor(
                m_context.drafts, [this](const QString &page) { m_WB->Navigate(page); }, this);
    });
}

void frmVelmora::openPalette()
{
    if (m_palette->isVisible())
        return;
    QRect caret(m_WB->geometry().center(), QSize(1, 1));
    QWidget *focus = QApplication::focusWidget();
    if (focus && m_WB->isAncestorOf(focus)) {
        // The engine's widget answers with the caret of the page's field.
        const QRect inFocus = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        caret = inFocus.height() > 0 ? QRect(focus->mapTo(this, inFocus.topLeft()), inFocus.size())
                                     : QRect(focus->mapTo(this, focus->rect().center()), QSize(1, 1));
    }
    m_palette->openAt(caret);
}

void frmVelmora::closePickerByKey()
{
    m_fraIconario->lblChiudiIC_Click();
    m_WB->setFocus(Qt::ShortcutFocusReason);
    m_notice->say(pickerClosedText());
}

void frmVelmora::addToPersonalSet(const QUrl &image)
{
    // The manager opens as from the help menu, with the image's address and
    // a name from its file; the user adds it with "Aggiungi".
    QString name = QFileInfo(image.path()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("immagine");
    frmGestionePersonali manager(m_context, this);
    manager.proposeEntry(name, image.toString(QUrl::FullyEncoded));
    manager.exec();
    MemoryRelief::releaseSoon();
}

void frmVelmora::toggleReading()
{
    if (m_reading->isVisible()) {
        closeReading();
        return;
    }
    m_reading->setGeometry(m_WB->geometry());
    m_reading->show();
    m_reading->raise();
    m_reading->setFocus(Qt::ShortcutFocusReason);
    m_WB->Read();
}

void frmVelmora::closeReading()
{
    m_reading->hide();
    m_reading->clear();
    m_WB->setFocus(Qt::ShortcutFocusReason);
}

void frmVelmora::placeFindBar()
{
    const QRect view = m_WB->geometry();
    const int height = Twips::toPixels(FindBar::heightTwips);
    m_findBar->setGeometry(view.left(), view.bottom() + 1 - height, view.width(), height);
}

void frmVelmora::Form_Load()
{
    m_WB->Navigate(m_context.forumHomeUrl);
    // The page takes the keys at start, not the bar's first button.
    m_WB->setFocus(Qt::OtherFocusReason);
    m_state.WBLeft = MainWindowState::leftWithPickerClosed;
    placeAtStartUp();
}

void frmVelmora::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // A window manager frames the window within moments of its first
    // showing, if at all; the layout looks for the frame meanwhile.
    m_awaitingFrame = true;
    QTimer::singleShot(m_frameWait, this, [this] { m_awaitingFrame = false; });
    layOutSoon();
}

void frmVelmora::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOutSoon();
}

void frmVelmora::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // Only the frame's coming matters to the layout, which moves the window.
    if (m_awaitingFrame)
        layOutSoon();
}

void frmVelmora::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (windowState() != Qt::WindowNoState)
            m_stateChangedByUser = true;
        // A window restored from the task bar may keep its size.
        layOutSoon();
    }
    QWidget::changeEvent(event);
}

void frmVelmora::layOutSoon()
{
    if (!m_resuming)
        Controls::runSoon(m_tmrWBSizer);
}

bool frmVelmora::userHasPlaced() const
{
    // A frame put round the window moves either the frame or the inside to
    // the place asked for, and keeps the inside's size.
    const QPoint placed = m_placedGeometry.topLeft();
    return m_stateChangedByUser || geometry().size() != m_placedGeometry.size()
        || (geometry().topLeft() != placed && frameGeometry().topLeft() != placed);
}

QRectF frmVelmora::outerGeometryTwips() const
{
    const QRect frame = frameGeometry();
    if (frame == Twips::rect(m_outerTwips))
        return m_outerTwips;
    return {Twips::fromPixels(frame.x()), Twips::fromPixels(frame.y()), Twips::fromPixels(frame.width()),
            Twips::fromPixels(frame.height())};
}

void frmVelmora::setOuterGeometryTwips(const QRectF &twips)
{
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    const QRect outer = Twips::rect(twips);
    m_outerTwips = twips;
    m_placedGeometry = outer.marginsRemoved(margins);
    setGeometry(m_placedGeometry);
}

void frmVelmora::placeAtStartUp()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize size = s->geometry().size();
    setOuterGeometryTwips(
        {0, 0, Twips::fromPixels(size.width()), Twips::fromPixels(size.height()) - startUpBottomAllowance});
}

void frmVelmora::imgNavy_Click(int Index)
{
    // The bar's buttons are the first commands, in their order.
    if (Index >= 0 && Index < NavigationBar::buttonCount)
        m_commands->action(Commands::Id(Index))->trigger();
}

void frmVelmora::tmrBusy_Timer()
{
    // "[*]" in a title is Qt's mark for unsaved changes; doubled, it shows
    // as the page wrote it.
    QString name = m_WB->LocationName();
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(QStringLiteral("NORVALE system - ") + name);
    m_lblURL->setText(m_WB->LocationURL());
    // Readable in both states: white on the red, near black on the orange.
    const bool busy = m_WB->Busy();
    Controls::setColours(m_lblURL, busy ? addressBusyText() : addressText(), QColor(192, 0, 0));
    Controls::setOpaque(m_lblURL, busy);
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
        if (!userHasPlaced())
            placeAtStartUp();
    }
    // Nothing tells when a window manager puts its frame round the window:
    // until it has, or the time for it is over, the rule looks again.
    if (m_awaitingFrame)
        layOutSoon();

    const QRectF outer = outerGeometryTwips();
    const BrowserLayout layout = BrowserLayout::forWindow(outer.width(), outer.height(), m_state.WBLeft);
    // The view refuses a negative size; that is how a window made too small
    // shows itself.
    const bool placed = layout.fits() && m_WB->setLeftTwips(layout.viewLeft) && m_WB->setWidthTwips(layout.viewWidth)
        && m_WB->setHeightTwips(layout.viewHeight) && m_WB->setTopTwips(layout.viewTop);
    if (placed) {
        const QRect status = Twips::rect(layout.statusLeft, layout.statusTop, layout.statusWidth, 255);
        if (m_lblStatus->geometry() != status)
            m_lblStatus->setGeometry(status);
        if (m_findBar->isVisible())
            placeFindBar();
        if (m_reading->isVisible())
            m_reading->setGeometry(m_WB->geometry());
        return;
    }

    // Changes made while the message is open (the window resized under it)
    // must neither lay out nor ask again.
    m_tmrWBSizer->stop();
    m_resuming = true;
    m_context.prompter->tell(this, QMessageBox::Warning, QStringLiteral("Norvale Browser Error - Resuming..."),
                             QStringLiteral("Il Browser è stato ridotto eccessivamente e non può essere "
                                            "visualizzato. Verrà ora ripristinato alle dimensioni iniziali."));
    if (isMaximized() || isFullScreen())
        showNormal();
    placeAtStartUp();
    m_resuming = false;
    // The rule runs again on the size restored, whether or not the window
    // system reports it as a change.
    m_tmrWBSizer->start();
}

bool frmVelmora::confirmExit()
{
    return m_context.prompter->ask(this, QMessageBox::Question, QStringLiteral("Norvale - Fine Sessione"),
                                   QStringLiteral("Uscire da Velmora Forum ?"), QMessageBox::Yes | QMessageBox::No)
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

bool frmVelmora::sessionEnding()
{
    if (m_exitConfirmed)
        return true;
    if (!confirmExit())
        return false;
    m_exitConfirmed = true;
    // A session end goes on without the user; input means it was cancelled.
    qApp->installEventFilter(this);
    return true;
}

bool frmVelmora::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
        m_exitConfirmed = false;
        qApp->removeEventFilter(this);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmVelmora::onCommitDataRequest(QSessionManager &manager)
{
    // The desktop session is ending: ask now, and keep the session (and
    // the window) alive on No.
    if (!manager.allowsInteraction())
        return;
    const bool yes = sessionEnding();
    manager.release();
    if (!yes)
        manager.cancel();
}
