#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One named image of the personal set. A damaged file can leave a name
// without its address: url is then empty, and there is nothing to show.
struct PersonalEntry
{
    QString name;
    QString url;

    friend bool operator==(const PersonalEntry &, const PersonalEntry &) = default;
};

// The personal set: its entries in the file's order, unsorted. A value: a
// change makes a new set, which is written and only then shown.
class PersonalSet
{
public:
    // The longest image address the set takes. Forum pictures' addresses are
    // far shorter; a data: address megabytes long would stall the window
    // that shows it as text.
    static constexpr qsizetype longestUrl = 2048;

    PersonalSet() = default;
    explicit PersonalSet(QList<PersonalEntry> entries)
        : m_entries(std::move(entries))
    {
    }

    // Pairs the two lists over the names; a name beyond the addresses gets an
    // empty one.
    static PersonalSet fromLists(const QStringList &names, const QStringList &urls);

    const QList<PersonalEntry> &entries() const { return m_entries; }
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // An empty entry for a row out of range.
    PersonalEntry at(qsizetype row) const { return m_entries.value(row); }
    QStringList names() const;
    QStringList urls() const;

    [[nodiscard]] PersonalSet withAdded(PersonalEntry entry) const;
    [[nodiscard]] PersonalSet withRemoved(qsizetype row) const;

    friend bool operator==(const PersonalSet &, const PersonalSet &) = default;

private:
    QList<PersonalEntry> m_entries;
};
