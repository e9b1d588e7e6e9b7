#include "web/forumprofile.h"

#include "platform/platformfiles.h"

#include <QDir>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace ForumProfile {

QWebEngineProfile *create(const QString &storageName, QObject *parent)
{
    auto *profile = new QWebEngineProfile(storageName, parent);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    // The forum answers in the member's language.
    profile->setHttpAcceptLanguage(QStringLiteral("it-IT,it"));
    // The login lives here: made before the engine writes into it, and
    // closed to other users if it was made before with looser rights.
    for (const QString &folder : {profile->persistentStoragePath(), profile->cachePath()}) {
        QDir().mkpath(folder);
        PlatformFiles::restrictFolder(folder);
    }
    QWebEngineSettings *settings = profile->settings();
    // Scripts open windows only on a click; PDFs are saved like any other file.
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    return profile;
}

} // namespace ForumProfile
