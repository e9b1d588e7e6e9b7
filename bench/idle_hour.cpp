// The requests the topics followed cost the forum while the member does
// nothing: the real watcher, on the tests' loopback forum with its topic
// feed, its minutes shortened. For k topics already followed when the
// program starts, counts the requests of the first idle hour (every 5
// minutes) and of the second (every 15), and how many the forum answered
// 304.
//
//     velmora_idle_hour [k...]     default: 1 5 20
#include "feedforum.h"
#include "replies/replieswatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace std::chrono_literals;

namespace {

// An hour of the watcher's is 12 s: long enough that a request's own time on
// loopback is small beside the time between two.
constexpr auto minute = 200ms;

void measure(int topics)
{
    FeedForum forum;
    forum.start();
    QNetworkAccessManager network;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("risposte.json"));
    {
        RepliesWatcher first(&network, QUrl(forum.homeUrl()), path);
        first.setMinute(minute);
        first.start();
        for (int i = 0; i < topics; ++i)
            first.follow(QUrl(forum.topicUrl() + QStringLiteral("&n=%1").arg(i)),
                         QUrl(forum.feedUrl() + QStringLiteral("&n=%1").arg(i)), QStringLiteral("Discussione"), true);
        if (!QTest::qWaitFor([&] { return forum.feedRequests.size() >= topics; }, 60000))
            std::printf("the first readings did not all come\n");
    }
    forum.feedRequests.clear();
    RepliesWatcher watcher(&network, QUrl(forum.homeUrl()), path);
    watcher.setMinute(minute);
    QElapsedTimer clock;
    clock.start();
    const qint64 startedAt = QDateTime::currentMSecsSinceEpoch();
    watcher.start();
    const qint64 hour = 60 * minute.count();
    QTest::qWait(int(2 * hour));
    int counts[2] = {0, 0};
    int conditional[2] = {0, 0};
    for (const FeedForum::FeedRequest &request : std::as_const(forum.feedRequests)) {
        const qint64 at = request.atMs - startedAt;
        const int h = at < hour ? 0 : 1;
        if (at >= 2 * hour)
            continue;
        ++counts[h];
        conditional[h] += request.ifNoneMatch.isEmpty() ? 0 : 1;
    }
    std::printf("%3d topics: first idle hour %4d requests (limit %4d, %d conditional); second %4d (%d conditional)\n",
                topics, counts[0], 12 * topics, conditional[0], counts[1], conditional[1]);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> ks;
    for (int i = 1; i < argc; ++i)
        ks.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (ks.isEmpty())
        ks = {1, 5, 20};
    for (const int k : std::as_const(ks))
        measure(k);
    return 0;
}
