#include "topics/pollplan.h"

#include <algorithm>
#include <limits>

void PollPlan::setInterval(int minutes)
{
    const auto *end = std::end(intervals);
    m_interval = std::find(std::begin(intervals), end, minutes) != end ? minutes : intervals[0];
}

void PollPlan::start(const QStringList &keys, Ms now)
{
    m_lastInput = now;
    const Ms span = m_interval * m_minute;
    // The first a little after the start, when the forum's page has loaded.
    const Ms first = m_minute / 2;
    for (qsizetype k = 0; k < keys.size(); ++k)
        m_topics.insert(keys.at(k), Topic{.last = now - span + first + span * k / keys.size()});
}

void PollPlan::add(const QString &key, Ms now)
{
    m_topics.insert(key, Topic{.last = now - std::numeric_limits<int>::max()});
}

void PollPlan::remove(const QString &key)
{
    m_topics.remove(key);
}

void PollPlan::input(Ms now)
{
    m_lastInput = now;
}

void PollPlan::done(const QString &key, Ms now, Outcome outcome, Ms retryAfter)
{
    const auto topic = m_topics.find(key);
    m_lastRequest = now;
    if (topic == m_topics.end())
        return;
    topic->last = now;
    topic->failures = outcome == Outcome::Failed ? topic->failures + 1 : 0;
    // A server that names a wait gets it, however long; a day at most.
    topic->notBefore = retryAfter >= 0 ? now + std::min(retryAfter, 24 * 60 * m_minute) : 0;
}

PollPlan::Ms PollPlan::period(const Topic &topic, Ms now) const
{
    if (topic.failures >= failuresBeforeHourly)
        return 60 * m_minute;
    const bool idle = now - m_lastInput >= idleMinutes * m_minute;
    return std::max(m_interval, idle ? idleInterval : m_interval) * m_minute;
}

PollPlan::Ms PollPlan::dueAt(const Topic &topic, Ms now) const
{
    Ms at = std::max(topic.last + period(topic, now), topic.notBefore);
    // Two requests of the program never go together.
    if (m_lastRequest >= 0)
        at = std::max(at, m_lastRequest + m_minute / 12);
    return at;
}

QString PollPlan::due(Ms now) const
{
    QString found;
    Ms earliest = std::numeric_limits<Ms>::max();
    for (auto it = m_topics.cbegin(); it != m_topics.cend(); ++it) {
        const Ms at = dueAt(*it, now);
        if (at <= now && (at < earliest || (at == earliest && it.key() < found))) {
            earliest = at;
            found = it.key();
        }
    }
    return found;
}

PollPlan::Ms PollPlan::next(Ms now) const
{
    Ms earliest = -1;
    for (const Topic &topic : m_topics) {
        const Ms at = dueAt(topic, now);
        if (earliest < 0 || at < earliest)
            earliest = at;
    }
    return earliest;
}
