#pragma once

#include "finder/emoticonindex.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The emoticons the member used lately and the ones they pinned. Recents are
// the last distinct ones used, ranked by a count of uses that halves every
// thirty days; favourites are kept apart, in the order they were pinned, and
// never pushed out by use. A value; the file holds it as JSON.
class EmoticonUsage
{
public:
    static constexpr int recentLimit = 16;
    static constexpr qint64 halfLifeMs = 30LL * 24 * 60 * 60 * 1000;

    struct Use
    {
        EmoticonKey key;
        double count = 0; // as it stood at lastMs
        qint64 lastMs = 0;
    };

    // One use of key at nowMs.
    void recordUse(const EmoticonKey &key, qint64 nowMs);
    // The recents, most used first as counts have faded by nowMs; between
    // equal counts, the latest first.
    QList<EmoticonKey> recent(qint64 nowMs) const;
    static double fadedCount(const Use &use, qint64 nowMs);
    const QList<Use> &uses() const { return m_uses; }

    const QList<EmoticonKey> &favourites() const { return m_favourites; }
    bool isFavourite(const EmoticonKey &key) const { return m_favourites.contains(key); }
    // Pins key at the end of the favourites, or unpins it.
    void toggleFavourite(const EmoticonKey &key);

    // Forgets the entries for which gone is true (personal names no longer
    // in the file); true when any was.
    bool forget(const std::function<bool(const EmoticonKey &)> &gone);

    QByteArray serialize() const;
    // What can be read of bytes; anything unreadable is left out.
    static EmoticonUsage parse(const QByteArray &bytes);

    // An empty usage where the file is missing or unreadable.
    static EmoticonUsage load(const QString &path);
    // Writes the whole file anew, readable by the user alone; a failure
    // leaves the old one and gives the system's reason.
    bool save(const QString &path, QString *reason = nullptr) const;

    friend bool operator==(const EmoticonUsage &a, const EmoticonUsage &b)
    {
        return a.serialize() == b.serialize();
    }

private:
    QList<Use> m_uses; // latest first
    QList<EmoticonKey> m_favourites;
};
