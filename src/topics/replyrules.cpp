#include "topics/replyrules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ReplyRules {

namespace {

bool sameName(const QString &a, const QString &b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool quotes(const FeedEntry &entry, const QString &member)
{
    const QString name = member.simplified();
    if (name.isEmpty())
        return false;
    return std::any_of(entry.quoted.cbegin(), entry.quoted.cend(), [&name](const QString &who) {
        if (!who.startsWith(name, Qt::CaseInsensitive))
            return false;
        // "Marco" is not quoted by "Marcolino ha scritto:".
        return who.size() == name.size() || !(who.at(name.size()).isLetterOrNumber() || who.at(name.size()) == u'_');
    });
}

News read(const TopicFeed &feed, const Seen &seen, const QString &member, bool everyPost)
{
    News news;
    news.seen.read = true;
    news.seen.newest = seen.newest;
    news.seen.ids = seen.ids;
    for (const FeedEntry &entry : feed.entries) {
        if (entry.id.isEmpty() || news.seen.ids.contains(entry.id))
            continue;
        news.seen.ids.append(entry.id);
        // A forum dates posts to the second: one of the same second as the
        // newest seen is new.
        const bool older = seen.newest.isValid() && entry.date.isValid() && entry.date < seen.newest;
        if (entry.date.isValid() && (!news.seen.newest.isValid() || entry.date > news.seen.newest))
            news.seen.newest = entry.date;
        if (!seen.read || older || sameName(entry.author, member.simplified()))
            continue;
        const bool quoting = quotes(entry, member);
        if (!everyPost && !quoting)
            continue;
        news.told.append(entry);
        news.quotes += quoting ? 1 : 0;
    }
    // The ids of posts long gone from the feed go first.
    if (news.seen.ids.size() > rememberedIds)
        news.seen.ids = news.seen.ids.mid(news.seen.ids.size() - rememberedIds);
    return news;
}

QString noticeText(const FeedEntry &entry)
{
    constexpr qsizetype longest = 80;
    const QString author = entry.author.isEmpty() ? u"Qualcuno"_s : entry.author;
    QString text = author + u": "_s + entry.text;
    if (text.size() <= longest)
        return text;
    // Cut at a word's end, with an ellipsis.
    qsizetype cut = text.lastIndexOf(u' ', longest - 1);
    if (cut <= author.size() + 2)
        cut = longest - 1;
    return text.left(cut).trimmed() + u"…"_s;
}

} // namespace ReplyRules
