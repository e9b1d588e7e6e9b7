#include "replies/profilecookies.h"

#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

ProfileCookies::ProfileCookies(QWebEngineProfile *profile, QObject *parent)
    : QNetworkCookieJar(parent)
{
    QWebEngineCookieStore *store = profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie &cookie) {
        // The engine names the host of a host-only cookie as its domain.
        if (!insertCookie(cookie))
            updateCookie(cookie);
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie &cookie) { deleteCookie(cookie); });
    // Those kept on disk are told, once, as added.
    store->loadAllCookies();
}
