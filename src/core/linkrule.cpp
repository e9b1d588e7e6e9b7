#include "core/linkrule.h"

namespace LinkRule {

Scheme schemeOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return Scheme::Web;
    if (scheme == QLatin1String("file") || scheme.isEmpty())
        return Scheme::Local;
    if (scheme == QLatin1String("about") || scheme == QLatin1String("data") || scheme == QLatin1String("blob")
        || scheme == QLatin1String("javascript"))
        return Scheme::Engine;
    return Scheme::OtherProgram;
}

bool isForumPage(const QUrl &url, const QUrl &forumHome)
{
    // QUrl keeps hosts lower-cased; a host-less address belongs to no site.
    return schemeOf(url) == Scheme::Web && !url.host().isEmpty() && url.host() == forumHome.host();
}

bool isPreviewable(const QUrl &url)
{
    return url.isValid() && schemeOf(url) == Scheme::Web && !url.host().isEmpty();
}

} // namespace LinkRule
