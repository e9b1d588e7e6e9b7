#pragma once

#include "core/personalset.h"

#include <QList>
#include <QString>
#include <QStringList>

// An emoticon as the member remembers it: its set and its name. Built-in
// names are fixed; a personal one lasts as long as Personali.ic2 holds it.
struct EmoticonKey
{
    int set = -1;
    QString name;

    bool isValid() const { return set >= 0 && !name.isEmpty(); }
    friend bool operator==(const EmoticonKey &, const EmoticonKey &) = default;
};

// One emoticon of the five sets, with what is needed to show and type it.
struct Emoticon
{
    int set = -1;
    int row = -1; // its place in its set's list
    QString name;
    QString url;

    EmoticonKey key() const { return {set, name}; }
};

// Every emoticon of the built-in sets and of a personal set, searchable by
// name. Names are compared folded: lower case, accents taken off, so
// "perche" finds "Perché" and "CAFFE" finds "caffè".
class EmoticonIndex
{
public:
    EmoticonIndex() = default;
    EmoticonIndex(const QString &emoticonBase, const PersonalSet &personal);

    const QList<Emoticon> &all() const { return m_items; }
    qsizetype size() const { return m_items.size(); }
    const Emoticon &at(qsizetype i) const { return m_items.at(i); }

    // Positions in all() of the names holding every word of query, best
    // first: a name that starts with them, then a word of the name that
    // does, then the rest; in the sets' order within each. An empty query
    // gives every emoticon in order.
    QList<int> search(const QString &query) const;

    // The position of key in all(); -1 when it is not there (a personal
    // entry since removed from the file).
    int find(const EmoticonKey &key) const;

    static QString fold(const QString &text);

private:
    QList<Emoticon> m_items;
    QStringList m_folded;
};
