#pragma once

#include "topics/replyrules.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// A topic the member follows, and what its feed held when last read.
struct FollowedTopic
{
    // The topic's feed, on the forum; empty when its page offers none.
    QString feed;
    // The topic's page, as the member last saw it.
    QString page;
    QString title;
    // The member wrote in it (else chose to follow it).
    bool posted = false;
    ReplyRules::Seen seen;
    // For conditional requests, as the server gave them.
    QString etag;
    QString modified;
    // The last reply told, and how many are not yet opened.
    QString lastAuthor;
    QString lastText;
    QString lastLink;
    QDateTime lastDate;
    int unread = 0;

    QString key() const { return feed.isEmpty() ? page : feed; }
};

// The topics followed and the switches of the "Risposte" window, as kept in
// a file of the member's alone, so that nothing told is told again after a
// restart.
struct FollowedTopics
{
    QList<FollowedTopic> topics;
    // Minutes between two readings of a topic's feed.
    int interval = 5;
    bool notify = true;
    // The name the member was last seen logged in with.
    QString member;

    FollowedTopic *find(const QString &key);
    const FollowedTopic *find(const QString &key) const;

    // Empty when the file is missing or damaged (a damaged file is never
    // half read).
    static FollowedTopics load(const QString &path);
    // Writes the whole file or nothing, the member's alone; false and why.
    bool save(const QString &path, QString *reason = nullptr) const;

    QByteArray serialize() const;
    static FollowedTopics parse(const QByteArray &bytes);
};
