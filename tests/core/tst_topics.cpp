#include "topics/followedtopics.h"
#include "topics/pollplan.h"
#include "topics/replyrules.h"
#include "topics/topicfeed.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray atom(const QString &entries)
{
    return (u"<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
            u"<title type=\"html\"><![CDATA[Il modem &egrave; spento]]></title>"
            u"<link rel=\"self\" href=\"http://f/extern.php\"/><link href=\"http://f/viewtopic.php?id=1\"/>"_s
            + entries + u"</feed>"_s)
        .toUtf8();
}

QString entry(int id, const QString &author, const QString &content, int second)
{
    return u"<entry><link rel=\"alternate\" href=\"http://f/viewtopic.php?pid=%1#p%1\"/><id>p%1</id>"
           u"<author><name>%2</name></author><updated>2026-12-09T10:00:%3Z</updated>"
           u"<content type=\"html\"><![CDATA[%4]]></content></entry>"_s.arg(id)
        .arg(author)
        .arg(second, 2, 10, QChar(u'0'))
        .arg(content);
}

TopicFeed feedOf(const QList<std::pair<QString, QString>> &posts)
{
    QString entries;
    // The last two in the same second, as a forum may date them.
    for (int i = 0; i < posts.size(); ++i)
        entries += entry(i + 1, posts.at(i).first, posts.at(i).second, std::min(i + 1, int(posts.size()) - 1));
    return *TopicFeed::read(atom(entries));
}

} // namespace

class tst_Topics : public QObject
{
    Q_OBJECT

private slots:
    void feedRead_data();
    void feedRead();
    void news_data();
    void news();
    void noticeText();
    void plan_data();
    void plan();
    void planSpreadsAndRests();
    void followedKept();
};

void tst_Topics::feedRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("quoted");

    QTest::newRow("FluxBB's Atom, a quote box")
        << atom(entry(2, u"Luca"_s,
                      u"<div class=\"quotebox\"><cite>Anna ha scritto:</cite><blockquote><div><p>Spia rossa</p>"
                      u"</div></blockquote></div><p>Prova a <strong>riavviarlo</strong> &amp; dimmi.<br />Ciao</p>"_s,
                      2)
                + entry(1, u"Anna"_s, u"<p>Prima</p>"_s, 1))
        << true << u"Il modem è spento"_s << u"Luca"_s << u"Prova a riavviarlo & dimmi. Ciao"_s
        << QStringList{u"Anna ha scritto:"_s};
    QTest::newRow("phpBB's RSS, a cited blockquote")
        << R"(<?xml version="1.0"?><rss version="2.0" xmlns:dc="http://purl.org/dc/elements/1.1/"><channel>
<title>Modem</title><link>http://f/viewtopic.php?t=1</link>
<item><guid>g1</guid><link>http://f/viewtopic.php?p=7#p7</link><author>x@y.it (Marco)</author>
<pubDate>Wed, 09 Dec 2026 10:00:00 +0000</pubDate>
<description><![CDATA[<blockquote><div><cite>Paolo wrote:</cite>vecchio</div></blockquote>nuovo &#232; qui]]></description>
</item></channel></rss>)"_ba
        << true << u"Modem"_s << u"Marco"_s << u"nuovo è qui"_s << QStringList{u"Paolo wrote:"_s};
    QTest::newRow("XHTML content, BBCode quote")
        << atom(u"<entry><id>a</id><author><name>Rita</name></author><updated>2026-12-09T10:00:00Z</updated>"
                u"<content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">[quote=Paolo]x[/quote] "
                u"<b>sì</b> <script>alert(1)</script></div></content></entry>"_s)
        << true << u"Il modem è spento"_s << u"Rita"_s << u"sì"_s << QStringList{u"Paolo"_s};
    QTest::newRow("a login page") << "<!DOCTYPE html><html><head><title>Accedi</title></head><body><form>"_ba
                                  << false << QString() << QString() << QString() << QStringList();
    QTest::newRow("entities defined by the document are not expanded")
        << "<?xml version=\"1.0\"?><!DOCTYPE feed [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
           "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>&b;</title></feed>"_ba
        << false << QString() << QString() << QString() << QStringList();
}

void tst_Topics::feedRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    const std::optional<TopicFeed> feed = TopicFeed::read(bytes);
    QCOMPARE(feed.has_value(), ok);
    if (!ok)
        return;
    QTEST(feed->title, "title");
    QVERIFY(!feed->entries.isEmpty());
    // Newest last, whatever the feed's order.
    const FeedEntry &last = feed->entries.constLast();
    QTEST(last.author, "author");
    QTEST(last.text, "text");
    QTEST(last.quoted, "quoted");
    QVERIFY(!last.id.isEmpty());
}

void tst_Topics::news_data()
{
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("member");
    QTest::addColumn<bool>("everyPost");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<int>("quotes");

    // The feed: p1 Anna, p2 Paolo, p3 Luca quoting Paolo, p4 Marcolino
    // quoting Marcolino.
    QTest::newRow("the first reading tells nothing") << QStringList() << false << u"Paolo"_s << true << QStringList()
                                                    << 0;
    QTest::newRow("new posts of others") << QStringList{u"p1"_s} << true << u"Paolo"_s << true
                                         << QStringList{u"p3"_s, u"p4"_s} << 1;
    QTest::newRow("the member's own, whatever the case") << QStringList{u"p1"_s} << true << u"paolo"_s << true
                                                         << QStringList{u"p3"_s, u"p4"_s} << 1;
    QTest::newRow("a post older than the newest seen") << QStringList{u"p3"_s, u"p4"_s} << true << u"Paolo"_s << true
                                                       << QStringList() << 0;
    QTest::newRow("a post of the same second as the newest seen")
        << QStringList{u"p1"_s, u"p2"_s, u"p4"_s} << true << u"Paolo"_s << true << QStringList{u"p3"_s} << 1;
    QTest::newRow("only quotes, in a feed of many topics") << QStringList{u"p1"_s} << true << u"Paolo"_s << false
                                                           << QStringList{u"p3"_s} << 1;
    QTest::newRow("a name inside another is no quote") << QStringList{u"p1"_s} << true << u"Marco"_s << false
                                                       << QStringList() << 0;
}

void tst_Topics::news()
{
    QFETCH(QStringList, seen);
    QFETCH(bool, read);
    QFETCH(QString, member);
    QFETCH(bool, everyPost);
    const TopicFeed feed = feedOf({{u"Anna"_s, u"<p>a</p>"_s},
                                   {u"Paolo"_s, u"<p>b</p>"_s},
                                   {u"Luca"_s, u"<cite>Paolo ha scritto:</cite><blockquote>b</blockquote>c"_s},
                                   {u"Marcolino"_s, u"<cite>Marcolino ha scritto:</cite><blockquote>d</blockquote>"_s}});
    ReplyRules::Seen before{.ids = seen, .newest = {}, .read = read};
    // The newest seen is the date of the last id seen.
    for (const FeedEntry &e : feed.entries) {
        if (seen.contains(e.id))
            before.newest = e.date;
    }
    const ReplyRules::News news = ReplyRules::read(feed, before, member, everyPost);
    QStringList told;
    for (const FeedEntry &e : news.told)
        told.append(e.id);
    QTEST(told, "told");
    QTEST(news.quotes, "quotes");
    QCOMPARE(news.seen.ids.size(), qsizetype(4));
    QVERIFY(news.seen.read);
    // Read again, nothing is new.
    QVERIFY(ReplyRules::read(feed, news.seen, member, everyPost).told.isEmpty());
}

void tst_Topics::noticeText()
{
    FeedEntry entry;
    entry.author = u"Marco"_s;
    entry.text = u"Prova"_s;
    QCOMPARE(ReplyRules::noticeText(entry), u"Marco: Prova"_s);
    entry.text = QString(u"parola "_s).repeated(30);
    const QString text = ReplyRules::noticeText(entry);
    QVERIFY(text.size() <= 80);
    QVERIFY(text.endsWith(u"parola…"_s));
    entry.author.clear();
    QVERIFY(ReplyRules::noticeText(entry).startsWith(u"Qualcuno: "_s));
}

void tst_Topics::plan_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("outcomes"); // r: read, u: unchanged, f: failed, w: 503 asking 20 minutes
    QTest::addColumn<int>("requests");     // in the two hours after the first

    QTest::newRow("every 5 minutes, the member at work") << 5 << true << u"u"_s << 24;
    QTest::newRow("idle: every 15 minutes after the first hour") << 5 << false << u"u"_s << 11 + 4;
    QTest::newRow("every 30 minutes, idle") << 30 << false << u"r"_s << 4;
    QTest::newRow("three failures: once an hour") << 5 << true << u"fff"_s << 3;
    QTest::newRow("a failure, then answers") << 5 << true << u"fu"_s << 24;
    QTest::newRow("Retry-After obeyed") << 5 << true << u"wu"_s << 1 + 20;
}

void tst_Topics::plan()
{
    QFETCH(int, interval);
    QFETCH(bool, active);
    QFETCH(QString, outcomes);
    constexpr PollPlan::Ms minute = 60 * 1000;
    PollPlan plan(minute);
    plan.setInterval(interval);
    plan.start({}, 0);
    plan.add(u"t"_s, 0);
    int requests = -1; // the first, at once, is not counted
    for (PollPlan::Ms now = 0; now <= 120 * minute; now += 1000) {
        if (active)
            plan.input(now);
        if (plan.due(now).isEmpty())
            continue;
        const QChar outcome = outcomes.at(std::min<qsizetype>(requests + 1, outcomes.size() - 1));
        ++requests;
        if (outcome == u'w')
            plan.done(u"t"_s, now, PollPlan::Outcome::Failed, 20 * minute);
        else
            plan.done(u"t"_s, now, outcome == u'f' ? PollPlan::Outcome::Failed
                                 : outcome == u'r' ? PollPlan::Outcome::Read
                                                   : PollPlan::Outcome::Unchanged);
    }
    QTEST(requests, "requests");
}

void tst_Topics::planSpreadsAndRests()
{
    constexpr PollPlan::Ms minute = 60 * 1000;
    PollPlan plan(minute);
    QCOMPARE(plan.next(0), -1); // nothing followed, nothing asked
    plan.start({u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, 0);
    QList<PollPlan::Ms> times;
    for (PollPlan::Ms now = 0; now < 5 * minute; now += 500) {
        if (const QString key = plan.due(now); !key.isEmpty()) {
            times.append(now);
            plan.done(key, now, PollPlan::Outcome::Unchanged);
        }
    }
    QCOMPARE(times.size(), qsizetype(5));
    for (qsizetype i = 1; i < times.size(); ++i)
        QVERIFY2(times.at(i) - times.at(i - 1) >= minute / 2, "the topics' first requests come together");
    plan.remove(u"a"_s);
    plan.remove(u"b"_s);
    plan.remove(u"c"_s);
    plan.remove(u"d"_s);
    plan.remove(u"e"_s);
    QCOMPARE(plan.next(10 * minute), -1);
}

void tst_Topics::followedKept()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"sub/risposte.json"_s);
    FollowedTopics followed;
    followed.member = u"Paolo"_s;
    followed.interval = 30;
    FollowedTopic topic;
    topic.feed = u"http://f/extern.php?tid=1"_s;
    topic.page = u"http://f/viewtopic.php?id=1"_s;
    topic.seen = {.ids = {u"p1"_s, u"p2"_s}, .newest = QDateTime::currentDateTimeUtc(), .read = true};
    topic.etag = u"\"2\""_s;
    topic.unread = 2;
    followed.topics.append(topic);
    QVERIFY(followed.save(path));
#ifndef Q_OS_WIN
    // On Windows the file takes its folder's ACL, which the bits do not show.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther;
    QCOMPARE(QFile::permissions(path) & others, QFileDevice::Permissions());
#endif
    const FollowedTopics back = FollowedTopics::load(path);
    QCOMPARE(back.serialize(), followed.serialize());
    QCOMPARE(back.find(topic.feed)->seen.ids, topic.seen.ids);
    // A damaged file is not half read.
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(followed.serialize().chopped(5));
    damaged.close();
    QVERIFY(FollowedTopics::load(path).topics.isEmpty());
}

QTEST_GUILESS_MAIN(tst_Topics)
#include "tst_topics.moc"
