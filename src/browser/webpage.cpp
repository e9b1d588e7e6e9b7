#include "browser/webpage.h"

#include "gui/prompter.h"
#include "browser/draftscripts.h"
#include "browser/forumpopup.h"
#include "core/linkrule.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>

using LinkRule::Scheme;

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

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    switch (LinkRule::schemeOf(url)) {
    case Scheme::Local:
        return false;
    case Scheme::OtherProgram:
        // Only the page itself may ask; a frame (an advert) may not.
        if (m_kind != Kind::Preview && isMainFrame)
            askToOpenElsewhere(url);
        return false;
    case Scheme::Engine:
        // A preview's only page of the engine's own is the empty one.
        if (m_kind == Kind::Preview && url != QUrl(QStringLiteral("about:blank")))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    case Scheme::Web:
        break;
    }
    if (m_kind == Kind::Preview || !isMainFrame)
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);

    // A link the user follows out of the forum opens in the user's browser;
    // redirects, posts and what we navigate to ourselves stay here.
    if (type == NavigationTypeLinkClicked && !m_site.home.isEmpty() && !LinkRule::isForumPage(url, m_site.home)) {
        QDesktopServices::openUrl(url);
        return false;
    }
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
        askToOpenElsewhere(url);
        return;
    case Scheme::Web:
        if (!LinkRule::isForumPage(url, m_site.home)) {
            QDesktopServices::openUrl(url);
            return;
        }
        break;
    case Scheme::Engine:
        break; // a blank window the forum's script fills
    }
    // The forum's page in a window of its own: the page being written in,
    // and its history, stay as they are.
    auto *popup = new ForumPopup(profile(), m_site, ownerWindow());
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

void WebPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    // Only the main view speaks to the user; previews run no scripts anyway.
    if (m_kind == Kind::Forum)
        m_dialogs.alert(ownerWindow(), securityOrigin, msg);
}

bool WebPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    // The engine asks its "leave this page?" through here, in its own words.
    static const QString leaving = QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    if (msg == leaving) {
        if (m_kind == Kind::Preview || m_dialogs.confirmLeaving(ownerWindow(), securityOrigin))
            return true;
        emit leaveRefused();
        return false;
    }
    return m_kind == Kind::Forum && m_dialogs.confirm(ownerWindow(), securityOrigin, msg);
}

void WebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                       const QString &sourceID)
{
    if (message == DraftScripts::inputMarker()) {
        emit textChanged();
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

bool WebPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                               QString *result)
{
    return m_kind == Kind::Forum && m_dialogs.prompt(ownerWindow(), securityOrigin, msg, defaultValue, result);
}
