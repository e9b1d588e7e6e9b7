#include "browser/webpage.h"

#include <QWebEngineSettings>

WebPage::WebPage(QWebEngineProfile *profile, bool preview, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_preview(preview)
{
    if (m_preview) {
        QWebEngineSettings *s = settings();
        s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    }
}

bool WebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (m_preview && url.isLocalFile())
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *WebPage::createWindow(WebWindowType)
{
    // The forum opens some links in a new window; we have only one, so the
    // link opens in place. Previews never open anything.
    return m_preview ? nullptr : this;
}
