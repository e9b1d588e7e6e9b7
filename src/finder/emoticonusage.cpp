#include "finder/emoticonusage.h"

#include "core/catalogue.h"
#include "platform/platformfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

// A file of a few hundred bytes; anything far larger is not ours.
constexpr qint64 longestFile = 1 << 20;

QJsonObject keyObject(const EmoticonKey &key)
{
    return {{QStringLiteral("set"), key.set}, {QStringLiteral("name"), key.name}};
}

EmoticonKey keyFrom(const QJsonObject &object)
{
    EmoticonKey key{object.value(QStringLiteral("set")).toInt(-1), object.value(QStringLiteral("name")).toString()};
    return key.set >= 0 && key.set < Catalogue::setCount ? key : EmoticonKey{};
}

} // namespace

double EmoticonUsage::fadedCount(const Use &use, qint64 nowMs)
{
    const double age = double(std::max<qint64>(0, nowMs - use.lastMs));
    return use.count * std::exp2(-age / double(halfLifeMs));
}

void EmoticonUsage::recordUse(const EmoticonKey &key, qint64 nowMs)
{
    if (!key.isValid())
        return;
    Use use{key, 0, nowMs};
    const auto found = std::find_if(m_uses.begin(), m_uses.end(), [&key](const Use &u) { return u.key == key; });
    if (found != m_uses.end()) {
        use.count = fadedCount(*found, nowMs);
        m_uses.erase(found);
    }
    use.count += 1;
    m_uses.prepend(use);
    // The last ones used stay, however often the older were.
    while (m_uses.size() > recentLimit)
        m_uses.removeLast();
}

QList<EmoticonKey> EmoticonUsage::recent(qint64 nowMs) const
{
    QList<Use> ranked = m_uses;
    std::stable_sort(ranked.begin(), ranked.end(), [nowMs](const Use &a, const Use &b) {
        return fadedCount(a, nowMs) > fadedCount(b, nowMs);
    });
    QList<EmoticonKey> keys;
    for (const Use &use : std::as_const(ranked))
        keys.append(use.key);
    return keys;
}

void EmoticonUsage::toggleFavourite(const EmoticonKey &key)
{
    if (!key.isValid())
        return;
    if (!m_favourites.removeOne(key))
        m_favourites.append(key);
}

bool EmoticonUsage::forget(const std::function<bool(const EmoticonKey &)> &gone)
{
    const qsizetype before = m_uses.size() + m_favourites.size();
    m_uses.removeIf([&gone](const Use &use) { return gone(use.key); });
    m_favourites.removeIf(gone);
    return m_uses.size() + m_favourites.size() != before;
}

QByteArray EmoticonUsage::serialize() const
{
    QJsonArray recent;
    for (const Use &use : m_uses) {
        QJsonObject object = keyObject(use.key);
        object.insert(QStringLiteral("count"), use.count);
        object.insert(QStringLiteral("last"), double(use.lastMs));
        recent.append(object);
    }
    QJsonArray favourites;
    for (const EmoticonKey &key : m_favourites)
        favourites.append(keyObject(key));
    const QJsonObject root{{QStringLiteral("recenti"), recent}, {QStringLiteral("preferite"), favourites}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

EmoticonUsage EmoticonUsage::parse(const QByteArray &bytes)
{
    EmoticonUsage usage;
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    for (const QJsonValue value : root.value(QStringLiteral("recenti")).toArray()) {
        const QJsonObject object = value.toObject();
        const Use use{keyFrom(object), object.value(QStringLiteral("count")).toDouble(),
                      qint64(object.value(QStringLiteral("last")).toDouble())};
        const bool known = std::any_of(usage.m_uses.cbegin(), usage.m_uses.cend(),
                                       [&use](const Use &u) { return u.key == use.key; });
        if (use.key.isValid() && std::isfinite(use.count) && use.count > 0 && !known
            && usage.m_uses.size() < recentLimit)
            usage.m_uses.append(use);
    }
    for (const QJsonValue value : root.value(QStringLiteral("preferite")).toArray()) {
        const EmoticonKey key = keyFrom(value.toObject());
        if (key.isValid() && !usage.m_favourites.contains(key))
            usage.m_favourites.append(key);
    }
    return usage;
}

EmoticonUsage EmoticonUsage::load(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.read(longestFile));
}

bool EmoticonUsage::save(const QString &path, QString *reason) const
{
    const auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("nessun file"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // The temporary file is the member's alone before a byte is in it.
    PlatformFiles::restrictOpenFile(file);
    const QByteArray bytes = serialize();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    return file.commit() || fail(file.errorString());
}
