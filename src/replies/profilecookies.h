#pragma once

#include <QNetworkCookieJar>

class QWebEngineProfile;

// The cookies of a web profile, kept up to date as its pages set and drop
// them: requests made beside the pages carry the member's login. The jar
// never gives the profile anything back.
class ProfileCookies final : public QNetworkCookieJar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProfileCookies)

public:
    explicit ProfileCookies(QWebEngineProfile *profile, QObject *parent = nullptr);

    // Cookies of answers to our own requests are not kept: only the
    // forum's pages log the member in or out.
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
};
