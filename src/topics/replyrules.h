#pragma once

#include "topics/topicfeed.h"

#include <QDateTime>
#include <QStringList>

// Which posts of a followed feed are news for the member.
namespace ReplyRules {

// What a topic's feed was last seen holding.
struct Seen
{
    QStringList ids;
    // The newest post's date: a post dated before it that drops back into
    // the feed's window (a newer one deleted) is no news.
    QDateTime newest;
    // False until the feed was read once: what it held then is old.
    bool read = false;
};

struct News
{
    // To tell, oldest first: posts of others new since seen (in a feed of
    // a topic, every one; in another feed, those quoting the member).
    QList<FeedEntry> told;
    // How many of them quote the member.
    int quotes = 0;
    Seen seen;
};

// The posts of feed new since seen. member is the name the member is
// logged in with (their posts are never news), empty when not known.
News read(const TopicFeed &feed, const Seen &seen, const QString &member, bool everyPost = true);

// True when a quote of entry names member as its author ("Marco ha
// scritto:", "Marco wrote:", "Marco"): the name, then no more of a name.
bool quotes(const FeedEntry &entry, const QString &member);

// "<author>: <first words>", at most 80 characters.
QString noticeText(const FeedEntry &entry);

// At most this many posts are remembered per topic.
constexpr int rememberedIds = 200;

} // namespace ReplyRules
