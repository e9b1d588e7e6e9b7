#include "core/personalset.h"

PersonalSet PersonalSet::fromLists(const QStringList &names, const QStringList &urls)
{
    QList<PersonalEntry> entries;
    entries.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        entries.append({names.at(i), urls.value(i)});
    return PersonalSet(std::move(entries));
}

QStringList PersonalSet::names() const
{
    QStringList result;
    result.reserve(m_entries.size());
    for (const PersonalEntry &entry : m_entries)
        result.append(entry.name);
    return result;
}

QStringList PersonalSet::urls() const
{
    QStringList result;
    result.reserve(m_entries.size());
    for (const PersonalEntry &entry : m_entries)
        result.append(entry.url);
    return result;
}

PersonalSet PersonalSet::withAdded(PersonalEntry entry) const
{
    PersonalSet changed = *this;
    changed.m_entries.append(std::move(entry));
    return changed;
}

PersonalSet PersonalSet::withRemoved(qsizetype row) const
{
    PersonalSet changed = *this;
    if (row >= 0 && row < changed.m_entries.size())
        changed.m_entries.removeAt(row);
    return changed;
}
