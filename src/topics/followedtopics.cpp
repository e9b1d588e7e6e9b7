#include "topics/followedtopics.h"

#include "core/privatefile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 longestFile = 8 * 1024 * 1024;

QString dateText(const QDateTime &date)
{
    return date.isValid() ? date.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime dateOf(const QJsonValue &value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

} // namespace

FollowedTopic *FollowedTopics::find(const QString &key)
{
    for (FollowedTopic &topic : topics) {
        if (topic.key() == key)
            return &topic;
    }
    return nullptr;
}

const FollowedTopic *FollowedTopics::find(const QString &key) const
{
    return const_cast<FollowedTopics *>(this)->find(key);
}

QByteArray FollowedTopics::serialize() const
{
    QJsonArray list;
    for (const FollowedTopic &t : topics) {
        list.append(QJsonObject{
            {u"feed"_s, t.feed},
            {u"page"_s, t.page},
            {u"title"_s, t.title},
            {u"posted"_s, t.posted},
            {u"seen"_s, QJsonArray::fromStringList(t.seen.ids)},
            {u"newest"_s, dateText(t.seen.newest)},
            {u"read"_s, t.seen.read},
            {u"etag"_s, t.etag},
            {u"modified"_s, t.modified},
            {u"lastAuthor"_s, t.lastAuthor},
            {u"lastText"_s, t.lastText},
            {u"lastLink"_s, t.lastLink},
            {u"lastDate"_s, dateText(t.lastDate)},
            {u"unread"_s, t.unread},
        });
    }
    return QJsonDocument(QJsonObject{{u"version"_s, 1},
                                     {u"interval"_s, interval},
                                     {u"notify"_s, notify},
                                     {u"member"_s, member},
                                     {u"topics"_s, list}})
        .toJson(QJsonDocument::Compact);
}

FollowedTopics FollowedTopics::parse(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QJsonObject root = document.object();
    FollowedTopics followed;
    followed.interval = root.value(u"interval"_s).toInt(5);
    followed.notify = root.value(u"notify"_s).toBool(true);
    followed.member = root.value(u"member"_s).toString();
    const QJsonArray list = root.value(u"topics"_s).toArray();
    for (const QJsonValue &value : list) {
        const QJsonObject o = value.toObject();
        FollowedTopic t;
        t.feed = o.value(u"feed"_s).toString();
        t.page = o.value(u"page"_s).toString();
        if (t.key().isEmpty() || followed.find(t.key()))
            continue;
        t.title = o.value(u"title"_s).toString();
        t.posted = o.value(u"posted"_s).toBool();
        for (const QJsonValue &id : o.value(u"seen"_s).toArray())
            t.seen.ids.append(id.toString());
        t.seen.newest = dateOf(o.value(u"newest"_s));
        t.seen.read = o.value(u"read"_s).toBool();
        t.etag = o.value(u"etag"_s).toString();
        t.modified = o.value(u"modified"_s).toString();
        t.lastAuthor = o.value(u"lastAuthor"_s).toString();
        t.lastText = o.value(u"lastText"_s).toString();
        t.lastLink = o.value(u"lastLink"_s).toString();
        t.lastDate = dateOf(o.value(u"lastDate"_s));
        t.unread = std::max(0, o.value(u"unread"_s).toInt());
        followed.topics.append(t);
    }
    return followed;
}

FollowedTopics FollowedTopics::load(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.read(longestFile));
}

bool FollowedTopics::save(const QString &path, QString *reason) const
{
    return PrivateFile::write(path, serialize(), reason);
}
