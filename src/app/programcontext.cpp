#include "app/programcontext.h"

#include "downloads/downloads.h"
#include "app/pagewiring.h"
#include "core/addresses.h"
#include "core/draftstore.h"
#include "core/personalsetlocation.h"
#include "gui/prompter.h"
#include "replies/profilecookies.h"
#include "replies/replieswatcher.h"
#include "web/enginewebview.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The system's proxy, as the forum's pages use it.
class SystemProxies final : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override { return systemProxyForQuery(query); }
};

RepliesWatcher *repliesWatcher(const QString &forumHome)
{
    QObject *program = QCoreApplication::instance();
    auto *network = new QNetworkAccessManager(program);
    network->setProxyFactory(new SystemProxies);
    network->setCookieJar(new ProfileCookies(EngineWebView::forumProfile(), network));
    auto *watcher = new RepliesWatcher(
        network, QUrl(forumHome),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/risposte.json"), program);
    watcher->start();
    return watcher;
}

} // namespace

AppContext programContext()
{
    static MessageBoxPrompter prompter;
    AppContext context;
    context.forumHomeUrl = Addresses::forumHome();
    context.emoticonBaseUrl = Addresses::emoticonBase();
    context.personalSetPath = PersonalSetLocation::forProgram();
    context.emoticonUsagePath = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/emoticon.json");
    auto *downloads = new Downloads(QCoreApplication::instance());
    context.downloads = downloads;
    context.drafts = new DraftStore(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                        + QStringLiteral("/bozze"),
                                    QCoreApplication::instance());
    context.drafts->load();
    context.replies = repliesWatcher(context.forumHomeUrl);
    context.prompter = &prompter;
    context.makeWebView = webViewFactory(context);
    context.beep = &QApplication::beep;
    return context;
}
