#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// When each followed topic's feed is read: one request per topic at most
// every interval (5, 15, 30 or 60 minutes), 15 minutes once the member has
// done nothing for an hour, once an hour after three failures in a row,
// never before a server's Retry-After, and the topics' requests spread over
// the interval, never in a burst. Times are milliseconds on a steady clock;
// a minute's length is given, short in tests.
class PollPlan
{
public:
    using Ms = qint64;
    enum class Outcome { Read, Unchanged, Failed };

    static constexpr int intervals[] = {5, 15, 30, 60};
    static constexpr int idleMinutes = 60;
    static constexpr int idleInterval = 15;
    static constexpr int failuresBeforeHourly = 3;

    explicit PollPlan(Ms minute = 60 * 1000)
        : m_minute(minute)
    {
    }

    // Minutes between two requests for one topic; one of intervals.
    void setInterval(int minutes);
    int interval() const { return m_interval; }

    // The topics followed when the program starts: the k-th of n is read
    // first at about k/n of the interval.
    void start(const QStringList &keys, Ms now);
    // A topic followed now: read at once, then every interval.
    void add(const QString &key, Ms now);
    void remove(const QString &key);
    bool isEmpty() const { return m_topics.isEmpty(); }

    // The member did something in the program.
    void input(Ms now);
    // A request for key ended; retryAfter (from now) when the server asked.
    void done(const QString &key, Ms now, Outcome outcome, Ms retryAfter = -1);

    // A topic whose feed is to be read now, or none.
    QString due(Ms now) const;
    // When the next request is due, or -1 when none ever is.
    Ms next(Ms now) const;

private:
    struct Topic
    {
        Ms last = 0;
        Ms notBefore = 0;
        int failures = 0;
    };

    Ms period(const Topic &topic, Ms now) const;
    Ms dueAt(const Topic &topic, Ms now) const;

    Ms m_minute;
    int m_interval = 5;
    Ms m_lastInput = 0;
    Ms m_lastRequest = -1;
    QHash<QString, Topic> m_topics;
};
