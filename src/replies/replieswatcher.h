#pragma once

#include "topics/followedtopics.h"
#include "topics/pollplan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>

class DesktopNotifier;
class FeedFetcher;
class QNetworkAccessManager;
struct FeedAnswer;

// Follows the forum's topics the member wrote in or chose, by their feeds,
// and tells the member of replies and quotes: on the desktop, else on the
// status line, and always in the "Risposte" window. Polite to the forum
// (see PollPlan): no request at all while nothing is followed or the member
// turned the news off.
class RepliesWatcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RepliesWatcher)

public:
    // network: requests with the forum's cookies; path: where what is
    // followed is kept (empty: in memory alone).
    RepliesWatcher(QNetworkAccessManager *network, const QUrl &forumHome, const QString &path,
                   QObject *parent = nullptr);
    ~RepliesWatcher() override;

    // A minute's length, short in tests; before start().
    void setMinute(std::chrono::milliseconds minute) { m_minute = minute; }
    // Reads what was followed and begins.
    void start();

    const FollowedTopics &followed() const { return m_followed; }
    // The topic a page of the forum is of: by its feed, else by its address.
    const FollowedTopic *topicOf(const QUrl &page, const QUrl &feed) const;

    // A page of the forum shows who is logged in.
    void setMember(const QString &name);
    // Follows a topic (its feed may be empty: then it is listed, and said to
    // have none); posted: the member wrote in it.
    void follow(const QUrl &page, const QUrl &feed, const QString &title, bool posted);
    void unfollow(const QString &key);

    void setInterval(int minutes);
    void setNotify(bool on);

    // Opens key's topic at its last reply: openRequested, and it is read.
    void open(const QString &key);
    // The member has a followed topic's page in front: its replies are read.
    void visited(const QUrl &page, const QUrl &feed);

    static QString loginText() { return QStringLiteral("Accedi di nuovo al forum per ricevere le risposte"); }

signals:
    // What is followed, or what is known of it, changed.
    void changed();
    // News for the status line and a screen reader.
    void told(const QString &text);
    // The member asked to see a post (a forum address).
    void openRequested(const QUrl &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    qint64 now() const;
    void schedule();
    void poll();
    void answered(const QString &key, const FeedAnswer &answer);
    void tell(FollowedTopic &topic, const ReplyRules::News &news);
    void save();

    QUrl m_home;
    QString m_path;
    std::chrono::milliseconds m_minute{60 * 1000};
    FollowedTopics m_followed;
    PollPlan m_plan;
    FeedFetcher *m_fetcher;
    DesktopNotifier *m_notifier;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_started = false;
    // The topic whose feed is being read.
    QString m_reading;
    // The expired login was said; said again only after a reading succeeds.
    bool m_loginSaid = false;
};
