#include "web/webpage.h"

#include "gui/prompter.h"
#include "core/downloadname.h"
#include "core/linkrule.h"
#include "core/processes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <QStandardPaths>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QJsonObject>
#include <QRandomGenerator>
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

Q_LOGGING_CATEGORY(lcConsole, "velmora.console")

bool consoleShown = false;

// A second's worth of lines is printed; the rest is counted and said.
void printConsoleLine(const QString &line)
{
    static qint64 secondStarted = 0;
    static int printed = 0;
    static int dropped = 0;
    const qint64 at = now();
    if (at - secondStarted >= 1000) {
        if (dropped > 0)
            qCInfo(lcConsole, "... %d messaggi della console omessi", dropped);
        secondStarted = at;
        printed = 0;
        dropped = 0;
    }
    if (printed < WebPage::consoleLinesPerSecond) {
        ++printed;
        qCInfo(lcConsole).noquote() << line.left(1000);
    } else {
        ++dropped;
    }
}

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
        // Who asked for what, for a moment: a file is the page's that asked.
        const QUrl url = info.requestUrl();
        const qint64 at = now();
        QMetaObject::invokeMethod(
            m_page,
            [page = m_page, url, at] {
                if (page->m_requested.size() > 200)
                    page->m_requested.clear();
                page->m_requested.insert(url, at);
            },
            Qt::QueuedConnection);
        if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeXhr || info.requestMethod() != "POST"
            || !LinkRule::isForumPage(info.requestUrl(), m_page->m_home))
            return;
        // Only a send the member's click or key could have started. The
        // click's report and the request it starts come by different roads:
        // the report may arrive a moment after the request. A page that
        // sends as the member clicks gains nothing from the wait; it could
        // send on the click itself.
        QMetaObject::invokeMethod(
            m_page,
            [page = QPointer<WebPage>(m_page)] {
                if (page->m_intent.fresh(now())) {
                    emit page->sentInBackground();
                    return;
                }
                QTimer::singleShot(WebPage::reportLagMs, page, [page] {
                    if (page && page->m_intent.fresh(now()))
                        emit page->sentInBackground();
                });
            },
            Qt::QueuedConnection);
    }

private:
    WebPage *m_page;
};

WebPage::WebPage(QWebEngineProfile *profile, Kind kind, const QUrl &home, Prompter *prompter, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_kind(kind)
    , m_home(home)
    , m_prompter(prompter)
    , m_secret(QString::fromLatin1(QByteArray::number(QRandomGenerator::system()->generate64(), 36)
                                   + QByteArray::number(QRandomGenerator::system()->generate64(), 36)))
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
    // else the page that asked for it last; else the page just clicked in,
    // or the newest.
    const QList<WebPage *> &pages = forumPages();
    WebPage *requested = nullptr;
    qint64 requestedAt = 0;
    WebPage *clicked = nullptr;
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) {
        if ((*page)->m_granted.contains(url) || (*page)->m_asked == url || (*page)->m_frameAddresses.contains(url))
            return *page;
        if (const qint64 at = (*page)->m_requested.value(url); at > requestedAt) {
            requested = *page;
            requestedAt = at;
        }
        if (!clicked && (*page)->m_intent.fresh(now()))
            clicked = *page;
    }
    if (requested)
        return requested;
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
        if (!m_intent.consumeFor(UserIntent::Act::Elsewhere, url, now()))
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

    // Whose navigation this is. The server's redirects of a navigation still
    // under way are that navigation's; a redirect once a page has been made
    // (a meta refresh, a script) is the page's own.
    const bool serverRedirect = type == NavigationTypeRedirect && m_inFlight;
    const bool elsewhere = !m_home.isEmpty() && !LinkRule::isForumPage(url, m_home);
    bool members = false;
    if (serverRedirect)
        members = !m_asked.isEmpty();
    else if (type == NavigationTypeTyped)
        members = true; // the program's own step, or an address the member gave
    else if (type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted
             || type == NavigationTypeRedirect || type == NavigationTypeOther)
        members = m_intent.consumeFor(elsewhere && type == NavigationTypeLinkClicked ? UserIntent::Act::Elsewhere
                                                                                    : UserIntent::Act::Navigation,
                                      url, now());

    if (elsewhere) {
        // A link the member follows out of the forum opens in the member's
        // browser; another site never takes the view unasked.
        if (!members)
            return decline(url, blockedText(url));
        if (type == NavigationTypeLinkClicked) {
            QDesktopServices::openUrl(url);
            return decline(url);
        }
    }
    // A file the navigation turns out to be is the member's only if the
    // navigation is.
    m_asked = members ? url : QUrl();
    if (!serverRedirect)
        m_frameAddresses.clear();
    m_inFlight = true;
    if (type == NavigationTypeFormSubmitted) {
        m_postAnswer = true;
        emit formSubmitted();
    } else if (!serverRedirect) {
        if (type != NavigationTypeReload)
            m_postAnswer = false;
        emit leaving();
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
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
    // A link with a download attribute starts no navigation; a file a frame
    // loaded is never the member's.
    if (!m_frameAddresses.contains(url) && m_intent.consumeFor(UserIntent::Act::Download, url, now()))
        return true;
    return decline(url, QStringLiteral("Download bloccato: %1").arg(DownloadName::safe(name)));
}

void WebPage::downloadOnWord(const QUrl &url, const QString &name)
{
    m_granted.insert(url);
    download(url, name);
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
        if (m_intent.consumeFor(UserIntent::Act::Elsewhere, url, now()))
            askToOpenElsewhere(url);
        else
            decline(url, blockedText(url));
        return;
    case Scheme::Web:
        if (!LinkRule::isForumPage(url, m_home)) {
            if (m_intent.consumeFor(UserIntent::Act::Elsewhere, url, now()))
                QDesktopServices::openUrl(url);
            else
                decline(url, blockedText(url));
            return;
        }
        break;
    case Scheme::Engine:
        break; // a blank window the forum's script fills
    }
    // A window is one act of the click's, like any other.
    if (!m_intent.consumeFor(UserIntent::Act::NewWindow, url, now()))
        return;
    // The forum's page in a window of its own: the page being written in,
    // and its history, stay as they are.
    emit popupRequested(request);
}

void WebPage::askToOpenElsewhere(const QUrl &url)
{
    if (!m_prompter)
        return;
    // Asked once the engine has its answer (declined): its navigation
    // callback never waits on the member.
    QTimer::singleShot(0, this, [this, url] {
        const QMessageBox::StandardButton answer = m_prompter->askDefault(
            ownerWindow(), QMessageBox::Question, externalTitle(),
            externalQuestion() + QLatin1Char('\n') + url.toDisplayString(), QMessageBox::Yes | QMessageBox::No,
            QMessageBox::No);
        if (answer == QMessageBox::Yes)
            QDesktopServices::openUrl(url);
    });
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
    return dialogAllowed(securityOrigin)
        && askWhileAlive([this, msg] { return m_dialogs.confirm(ownerWindow(), url(), msg); });
}

void WebPage::showConsole(bool shown)
{
    consoleShown = shown;
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                       const QString &sourceID)
{
    // Only the program's own scripts know the page's secret: nothing a
    // page writes can pass for them. What a page writes is the page's
    // business, shown only on request: in a loop it would fill the
    // desktop's error log.
    const QString prefix = QStringLiteral("velmora:") + m_secret + QLatin1Char(':');
    if (!message.startsWith(prefix)) {
        if (consoleShown) {
            static const char *const levels[] = {"info", "warning", "error"};
            printConsoleLine(QStringLiteral("%1 %2:%3: %4")
                                 .arg(QLatin1String(levels[std::clamp(int(level), 0, 2)]), sourceID)
                                 .arg(lineNumber)
                                 .arg(message));
        }
        return;
    }
    const QJsonObject said = QJsonDocument::fromJson(message.mid(prefix.size()).toUtf8()).object();
    if (said.value(QStringLiteral("made")).toBool()) {
        // A new document of the page's own: the navigation has arrived, and
        // an input in the page left buys nothing here.
        m_inFlight = false;
        m_intent.clear();
        return;
    }
    const QJsonObject gesture = said.value(QStringLiteral("gesture")).toObject();
    if (gesture.isEmpty())
        return;
    const QString target = gesture.value(QStringLiteral("target")).toString();
    UserIntent::Input input;
    input.target = target == u"link"     ? UserIntent::Target::Link
        : target == u"button"             ? UserIntent::Target::Button
                                          : UserIntent::Target::None;
    input.href = QUrl(gesture.value(QStringLiteral("href")).toString());
    input.top = gesture.value(QStringLiteral("top")).toBool();
    input.forumFrame = gesture.value(QStringLiteral("forum")).toBool();
    m_intent.input(now(), input);
}

bool WebPage::askWhileAlive(const std::function<bool()> &ask)
{
    // While the box waits, the engine hears nothing of its renderer: it is
    // looked at from here.
    const qint64 pid = renderProcessPid();
    QTimer watch;
    watch.setInterval(250);
    connect(&watch, &QTimer::timeout, this, [this, pid] {
        if (!Processes::alive(pid))
            m_dialogs.dismiss();
    });
    watch.start();
    return ask();
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
    return dialogAllowed(securityOrigin) && askWhileAlive([this, msg, defaultValue, result] {
               return m_dialogs.prompt(ownerWindow(), url(), msg, defaultValue, result);
           });
}
