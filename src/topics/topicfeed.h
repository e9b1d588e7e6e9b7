#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One post of a forum's feed, as its text reads: the feed's markup is read
// as data, never shown nor run.
struct FeedEntry
{
    QString id;
    QUrl link;
    QString author;
    QDateTime date;
    // The post's own words, quotes left out, in one line.
    QString text;
    // The names its quotes give as their authors ("Marco ha scritto:").
    QStringList quoted;
};

// A forum's feed of a topic: Atom or RSS 2.0, as FluxBB, phpBB and most
// forum engines publish them.
struct TopicFeed
{
    QString title;
    // The page the feed says it is of.
    QUrl page;
    // Oldest first.
    QList<FeedEntry> entries;

    // The feed in data, or nothing (and why in reason) when the bytes are
    // no Atom or RSS feed: a login page, an error page.
    static std::optional<TopicFeed> read(const QByteArray &bytes, QString *reason = nullptr);
};

namespace PostText {

// What a post's HTML says, read without running it: its own words and the
// authors its quotes name (a <cite>, or the first heading of a quote block,
// as FluxBB and phpBB mark them; [quote=Name] in BBCode).
struct Read
{
    QString text;
    QStringList quoted;
};
Read fromHtml(const QString &html);

} // namespace PostText
