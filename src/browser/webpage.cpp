#include "browser/webpage.h"

#include "gui/prompter.h"
#include "browser/forumpopup.h"
#include "core/linkrule.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QKeyEvent>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

using LinkRule::Scheme;

namespace {

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The forum's pages, newest last.
QList<WebPage *> &forumPages()
{
    static QList<WebPage *> pages;
    return pages;
}

const QString lastFolderKey = QStringLiteral("forum/lastFolder");

} // namespace

// Sees what the page sends: a post to the forum made by the page's script
// (a quick reply) rather than by a form loading a new page.
class SendWatch final : public QWebEngineUrlRequestInterceptor
{
public:
    explicit SendWatch(WebPage *page)
        : QWebEngineUrlRequestInterceptor(page)
        , m_page(page)
    {
    }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeXhr || info.requestMethod() != "POST"
            || !LinkRule::isForumPage(info.requestUrl(), m_page->m_site.home))
            return;
        // Only a send the member's click or key could have started.
        QMetaObject::invokeMethod(
            m_page,
            [page = m_page] {
                if (page->m_intent.fresh(now()))
                    emit page->sentInBackground();
            },
            Qt::QueuedConnection);
    }

private:
    WebPage *m_page;
};

WebPage::WebPage(QWebEngineProfile *profile, Kind kind, const ForumSite &site, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_kind(kind)
    , m_site(site)
{
    if (m_kind == Kind::Preview) {
        QWebEngineSettings *s = settings();
        s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    }
    connect(this, &QWebEnginePage::newWindowRequested, this, &WebPage::onNewWindow);
    if (m_kind != Kind::Preview) {
        forumPages().append(this);
        setUrlRequestInterceptor(new SendWatch(this));
    }

    // The forum needs no camera, microphone, position, notifications, screen
    // or pointer lock: refused at once, so no request waits unanswered.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::quotaRequested, this, [](QWebEngineQuotaRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
}

WebPage::~WebPage()
{
    forumPages().removeOne(this);
}

WebPage *WebPage::downloadOwner(const QUrl &url)
{
    // A file the page's own address or one of its frames turned out to be;
    // else one a link or a script gave (a download attribute): the page
    // just clicked in, or the newest.
    const QList<WebPage *> &pages = forumPages();
    WebPage *clicked = nullptr;
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) {
        if ((*page)->m_granted.contains(url) || (*page)->m_asked == url || (*page)->m_frameAddresses.contains(url))
            return *page;
        if (!clicked && (*page)->m_intent.fresh(now()))
            clicked = *page;
    }
    if (clicked)
        return clicked;
    return pages.isEmpty() ? nullptr : pages.last();
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    switch (LinkRule::schemeOf(url)) {
    case Scheme::Local:
        return decline(url);
    case Scheme::OtherProgram:
        // Only the page itself may ask; a frame (an advert) may not.
        if (m_kind == Kind::Preview || !isMainFrame)
            return false;
        if (!mayLeave())
            return decline(url, blockedText(url));
        askToOpenElsewhere(url);
        return decline(url);
    case Scheme::Engine:
        // A preview's only page of the engine's own is the empty one.
        if (m_kind == Kind::Preview && url != QUrl(QStringLiteral("about:blank")))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    case Scheme::Web:
        break;
    }
    if (m_kind == Kind::Preview)
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    if (!isMainFrame) {
        m_frameAddresses.insert(url);
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    // A link the user follows out of the forum opens in the user's browser;
    // redirects, posts and what we navigate to ourselves stay here. Qt calls
    // a script's navigation a link click too: only the member's input tells.
    if (type == NavigationTypeLinkClicked && !m_site.home.isEmpty() && !LinkRule::isForumPage(url, m_site.home)) {
        if (!mayLeave())
            return decline(url, blockedText(url));
        QDesktopServices::openUrl(url);
        return decline(url);
    }
    noteNavigation(url, type);
    if (type == NavigationTypeFormSubmitted) {
        m_postAnswer = true;
        emit formSubmitted();
    } else {
        if (type != NavigationTypeReload)
            m_postAnswer = false;
        emit leaving();
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void WebPage::noteNavigation(const QUrl &url, NavigationType type)
{
    switch (type) {
    case NavigationTypeTyped:
        m_asked = url;
        break;
    case NavigationTypeLinkClicked:
    case NavigationTypeFormSubmitted:
        // The click is spent here: the page it leads to gets no file of
        // its own choosing for it.
        m_asked = m_intent.consume(now()) ? url : QUrl();
        break;
    case NavigationTypeRedirect:
        if (!m_asked.isEmpty())
            m_asked = url;
        return;
    default:
        m_asked.clear();
        break;
    }
    m_frameAddresses.clear();
}

bool WebPage::mayLeave()
{
    return m_intent.consume(now());
}

QString WebPage::blockedText(const QUrl &url)
{
    return QStringLiteral("Apertura bloccata: %1").arg(url.host().isEmpty() ? url.scheme() : url.host());
}

bool WebPage::decline(const QUrl &url, const QString &why)
{
    emit navigationDeclined(url, why);
    return false;
}

bool WebPage::mayDownload(const QUrl &url, const QString &name)
{
    if (m_granted.remove(url))
        return true;
    if (!m_asked.isEmpty() && url == m_asked) {
        m_asked.clear();
        return true;
    }
    // A link with a download attribute starts no navigation.
    if (!m_frameAddresses.contains(url) && m_intent.consume(now()))
        return true;
    return decline(url, QStringLiteral("Download bloccato: %1").arg(name));
}

void WebPage::downloadOnWord(const QUrl &url, const QString &name)
{
    m_granted.insert(url);
    download(url, name);
}

void WebPage::watchInput(QWidget *view)
{
    // The engine's own widget inside the view takes the input, and is made
    // again with a new renderer: every child is watched as it comes.
    view->installEventFilter(this);
    const QList<QWidget *> children = view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children)
        child->installEventFilter(this);
}

bool WebPage::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin:
        m_intent.input(now());
        break;
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent *>(event)->isAutoRepeat())
            m_intent.input(now());
        break;
    default:
        break;
    }
    return QWebEnginePage::eventFilter(watched, event);
}

QWebEnginePage *WebPage::createWindow(WebWindowType)
{
    // New windows are decided in onNewWindow, where the click is known.
    return nullptr;
}

void WebPage::onNewWindow(QWebEngineNewWindowRequest &request)
{
    // Unhandled, the request is refused. A script may not open windows by
    // itself, and a preview opens nothing.
    if (m_kind == Kind::Preview || !request.isUserInitiated())
        return;
    const QUrl url = request.requestedUrl();
    switch (LinkRule::schemeOf(url)) {
    case Scheme::Local:
        return;
    case Scheme::OtherProgram:
        if (mayLeave())
            askToOpenElsewhere(url);
        else
            decline(url, blockedText(url));
        return;
    case Scheme::Web:
        if (!LinkRule::isForumPage(url, m_site.home)) {
            if (mayLeave())
                QDesktopServices::openUrl(url);
            else
                decline(url, blockedText(url));
            return;
        }
        break;
    case Scheme::Engine:
        break; // a blank window the forum's script fills
    }
    // The forum's page in a window of its own: the page being written in,
    // and its history, stay as they are.
    auto *popup = new ForumPopup(m_site, ownerWindow());
    request.openIn(popup->page());
    popup->show();
}

void WebPage::askToOpenElsewhere(const QUrl &url)
{
    if (!m_site.prompter)
        return;
    const QMessageBox::StandardButton answer = m_site.prompter->askDefault(
        ownerWindow(), QMessageBox::Question, externalTitle(),
        externalQuestion() + QLatin1Char('\n') + url.toDisplayString(), QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No);
    if (answer == QMessageBox::Yes)
        QDesktopServices::openUrl(url);
}

QWidget *WebPage::ownerWindow() const
{
    QWebEngineView *view = QWebEngineView::forPage(this);
    return view ? view->window() : nullptr;
}

bool WebPage::dialogAllowed(const QUrl &securityOrigin) const
{
    // Only the main view speaks to the user, and only for its page's own
    // site: a frame of another site (an advert) is not heard. Previews run
    // no scripts anyway.
    return m_kind == Kind::Forum && securityOrigin.host() == url().host();
}

void WebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    // Counted by page, not by origin: a frame taking turns with its page is
    // the same stream of boxes.
    if (dialogAllowed(securityOrigin))
        m_dialogs.alert(ownerWindow(), url(), msg);
}

bool WebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    // The engine asks its "leave this page?" through here, in its own words.
    static const QString leaving = QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    if (msg == leaving) {
        if (m_kind == Kind::Preview || m_dialogs.confirmLeaving(ownerWindow(), securityOrigin))
            return true;
        // The member stays: the page may speak again.
        m_dialogs.allowAgain();
        emit leaveRefused();
        return false;
    }
    return dialogAllowed(securityOrigin) && m_dialogs.confirm(ownerWindow(), url(), msg);
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &)
{
    // What a page writes to its console is the page's business: in a loop
    // it would fill the desktop's error log.
}

QStringList WebPage::chooseFiles(FileSelectionMode mode, const QStringList &oldFiles, const QStringList &)
{
    // The member's own folders, not the program's: the last one used, else
    // home.
    QSettings settings;
    QString folder = settings.value(lastFolderKey).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    if (!oldFiles.isEmpty() && QFileInfo(oldFiles.first()).isAbsolute())
        folder = QFileInfo(oldFiles.first()).absolutePath();
    const QStringList chosen = mode == FileSelectOpenMultiple
        ? QFileDialog::getOpenFileNames(ownerWindow(), QStringLiteral("Scegli i file da inviare"), folder)
        : QStringList{QFileDialog::getOpenFileName(ownerWindow(), QStringLiteral("Scegli il file da inviare"),
                                                   folder)};
    QStringList files;
    for (const QString &file : chosen) {
        if (!file.isEmpty())
            files.append(file);
    }
    if (!files.isEmpty())
        settings.setValue(lastFolderKey, QFileInfo(files.first()).absolutePath());
    return files;
}

bool WebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                               QString *result)
{
    return dialogAllowed(securityOrigin) && m_dialogs.prompt(ownerWindow(), url(), msg, defaultValue, result);
}
