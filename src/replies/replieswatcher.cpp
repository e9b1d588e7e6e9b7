#include "replies/replieswatcher.h"

#include "replies/desktopnotifier.h"
#include "replies/feedfetcher.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString pageKey(const QUrl &page)
{
    return page.adjusted(QUrl::RemoveFragment).toString();
}

} // namespace

RepliesWatcher::RepliesWatcher(QNetworkAccessManager *network, const QUrl &forumHome, const QString &path,
                               QObject *parent)
    : QObject(parent)
    , m_home(forumHome)
    , m_path(path)
    , m_fetcher(new FeedFetcher(network, forumHome, this))
    , m_notifier(new DesktopNotifier(this))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RepliesWatcher::poll);
    connect(m_notifier, &DesktopNotifier::opened, this, &RepliesWatcher::open);
}

RepliesWatcher::~RepliesWatcher()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void RepliesWatcher::start()
{
    if (m_started)
        return;
    m_started = true;
    m_clock.start();
    m_plan = PollPlan(m_minute.count());
    m_followed = FollowedTopics::load(m_path);
    m_plan.setInterval(m_followed.interval);
    m_followed.interval = m_plan.interval();
    QStringList keys;
    for (const FollowedTopic &topic : std::as_const(m_followed.topics)) {
        if (!topic.feed.isEmpty())
            keys.append(topic.key());
    }
    m_plan.start(keys, now());
    // The member's input, anywhere in the program: an hour without any
    // slows the readings.
    QCoreApplication::instance()->installEventFilter(this);
    schedule();
    emit changed();
}

bool RepliesWatcher::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (event->spontaneous())
            m_plan.input(now());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

qint64 RepliesWatcher::now() const
{
    return m_clock.isValid() ? m_clock.elapsed() : 0;
}

const FollowedTopic *RepliesWatcher::topicOf(const QUrl &page, const QUrl &feed) const
{
    if (!feed.isEmpty()) {
        if (const FollowedTopic *topic = m_followed.find(feed.toString()))
            return topic;
    }
    const QString key = pageKey(page);
    const auto found = std::find_if(m_followed.topics.cbegin(), m_followed.topics.cend(),
                                    [&key](const FollowedTopic &topic) { return topic.page == key; });
    return found != m_followed.topics.cend() && (found->feed.isEmpty() || feed.isEmpty()) ? &*found : nullptr;
}

void RepliesWatcher::setMember(const QString &name)
{
    const QString member = name.simplified();
    if (member.isEmpty() || member == m_followed.member)
        return;
    m_followed.member = member;
    save();
}

void RepliesWatcher::follow(const QUrl &page, const QUrl &feed, const QString &title, bool posted)
{
    if (!m_fetcher->isForum(page))
        return;
    const QUrl usable = m_fetcher->isForum(feed) ? feed : QUrl();
    if (const FollowedTopic *known = topicOf(page, usable)) {
        FollowedTopic *topic = m_followed.find(known->key());
        topic->posted |= posted;
        // A feed found since: followed by it from now on.
        if (topic->feed.isEmpty() && !usable.isEmpty()) {
            topic->feed = usable.toString();
            m_plan.add(topic->key(), now());
        }
        save();
        schedule();
        return;
    }
    FollowedTopic topic;
    topic.feed = usable.toString();
    topic.page = pageKey(page);
    topic.title = title.simplified().isEmpty() ? topic.page : title.simplified();
    topic.posted = posted;
    m_followed.topics.append(topic);
    // Read at once: what it holds now is old.
    if (!topic.feed.isEmpty())
        m_plan.add(topic.key(), now());
    save();
    schedule();
    emit changed();
}

void RepliesWatcher::unfollow(const QString &key)
{
    const auto removed = std::remove_if(m_followed.topics.begin(), m_followed.topics.end(),
                                        [&key](const FollowedTopic &topic) { return topic.key() == key; });
    if (removed == m_followed.topics.end())
        return;
    m_followed.topics.erase(removed, m_followed.topics.end());
    m_plan.remove(key);
    m_notifier->withdraw(key);
    save();
    schedule();
    emit changed();
}

void RepliesWatcher::setInterval(int minutes)
{
    m_plan.setInterval(minutes);
    m_followed.interval = m_plan.interval();
    save();
    schedule();
}

void RepliesWatcher::setNotify(bool on)
{
    m_followed.notify = on;
    save();
    schedule();
    emit changed();
}

void RepliesWatcher::open(const QString &key)
{
    FollowedTopic *topic = m_followed.find(key);
    if (!topic)
        return;
    const QUrl last(topic->lastLink);
    const QUrl where = m_fetcher->isForum(last) ? last : QUrl(topic->page);
    topic->unread = 0;
    m_notifier->withdraw(key);
    save();
    emit changed();
    if (m_fetcher->isForum(where))
        emit openRequested(where);
}

void RepliesWatcher::visited(const QUrl &page, const QUrl &feed)
{
    const FollowedTopic *known = topicOf(page, feed);
    if (!known || known->unread == 0)
        return;
    FollowedTopic *topic = m_followed.find(known->key());
    topic->unread = 0;
    m_notifier->withdraw(topic->key());
    save();
    emit changed();
}

void RepliesWatcher::schedule()
{
    m_timer.stop();
    if (!m_started || !m_followed.notify || !m_reading.isEmpty())
        return;
    const qint64 next = m_plan.next(now());
    if (next < 0)
        return;
    m_timer.start(int(std::clamp<qint64>(next - now(), 0, std::numeric_limits<int>::max())));
}

void RepliesWatcher::poll()
{
    const QString key = m_plan.due(now());
    const FollowedTopic *topic = key.isEmpty() ? nullptr : m_followed.find(key);
    if (!topic || topic->feed.isEmpty()) {
        if (!key.isEmpty() && !topic)
            m_plan.remove(key);
        schedule();
        return;
    }
    m_reading = key;
    m_fetcher->fetch(QUrl(topic->feed), topic->etag, topic->modified,
                     [this, key](const FeedAnswer &answer) { answered(key, answer); });
}

void RepliesWatcher::answered(const QString &key, const FeedAnswer &answer)
{
    m_reading.clear();
    FollowedTopic *topic = m_followed.find(key);
    if (!topic) {
        schedule();
        return;
    }
    const FollowedTopic was = *topic;
    PollPlan::Outcome outcome = PollPlan::Outcome::Failed;
    FeedAnswer::Kind kind = answer.kind;
    std::optional<TopicFeed> feed;
    if (kind == FeedAnswer::Kind::Feed) {
        feed = TopicFeed::read(answer.body);
        if (!feed)
            kind = FeedAnswer::Kind::NotAFeed;
    }
    // A page where a feed was read before is the forum's login page.
    if (kind == FeedAnswer::Kind::NotAFeed && topic->seen.read)
        kind = FeedAnswer::Kind::LoginNeeded;
    switch (kind) {
    case FeedAnswer::Kind::Feed: {
        outcome = PollPlan::Outcome::Read;
        m_loginSaid = false;
        const ReplyRules::News news = ReplyRules::read(*feed, topic->seen, m_followed.member);
        topic->seen = news.seen;
        topic->etag = answer.etag;
        topic->modified = answer.modified;
        if (!feed->title.isEmpty())
            topic->title = feed->title;
        tell(*topic, news);
        break;
    }
    case FeedAnswer::Kind::Unchanged:
        outcome = PollPlan::Outcome::Unchanged;
        m_loginSaid = false;
        break;
    case FeedAnswer::Kind::NotAFeed: {
        // No feed after all: listed, followed by nothing.
        FollowedTopic without = *topic;
        without.feed.clear();
        m_plan.remove(key);
        m_followed.topics.removeIf([&key](const FollowedTopic &t) { return t.key() == key; });
        if (!m_followed.find(without.key()))
            m_followed.topics.append(without);
        save();
        schedule();
        emit changed();
        return;
    }
    case FeedAnswer::Kind::LoginNeeded:
        if (!std::exchange(m_loginSaid, true))
            emit told(loginText());
        break;
    case FeedAnswer::Kind::Failed:
        break;
    }
    // The server's wait, in the watcher's minutes (short in tests).
    const qint64 retryAfter = answer.retryAfter < 0 ? -1 : answer.retryAfter * m_minute.count() / 60000;
    m_plan.done(key, now(), outcome, retryAfter);
    save();
    schedule();
    // Only news rebuilds the window's rows: the keyboard on one stays there.
    if (topic->title != was.title || topic->unread != was.unread || topic->lastLink != was.lastLink)
        emit changed();
}

void RepliesWatcher::tell(FollowedTopic &topic, const ReplyRules::News &news)
{
    if (news.told.isEmpty())
        return;
    const FeedEntry &last = news.told.constLast();
    topic.unread += int(news.told.size());
    topic.lastAuthor = last.author;
    topic.lastText = last.text;
    topic.lastLink = last.link.toString();
    topic.lastDate = last.date;
    // Saved before it is shown: never told twice, even across a crash.
    save();
    // One notification per topic, replaced by the next; the status line
    // says it too, where no desktop service shows it.
    m_notifier->show(topic.key(), topic.title, ReplyRules::noticeText(last));
    emit told(topic.title + u" — "_s + ReplyRules::noticeText(last));
}

void RepliesWatcher::save()
{
    if (!m_path.isEmpty())
        m_followed.save(m_path);
}
