#include "finder/emoticonindex.h"

#include "core/catalogue.h"

#include <algorithm>
#include <numeric>

EmoticonIndex::EmoticonIndex(const QString &emoticonBase, const PersonalSet &personal)
{
    for (int set = 0; set < Catalogue::personalSet; ++set) {
        const QStringList &names = Catalogue::names(set);
        const QString folder = Catalogue::set(set).folder;
        for (int row = 0; row < names.size(); ++row)
            m_items.append({set, row, names.at(row), Catalogue::imageUrl(emoticonBase, folder, row)});
    }
    const QList<PersonalEntry> &entries = personal.entries();
    for (int row = 0; row < entries.size(); ++row) {
        // A name a damaged file left without its address has nothing to type.
        if (entries.at(row).name.isEmpty() || entries.at(row).url.isEmpty())
            continue;
        m_items.append({Catalogue::personalSet, row, entries.at(row).name, entries.at(row).url});
    }
    m_folded.reserve(m_items.size());
    for (const Emoticon &e : std::as_const(m_items))
        m_folded.append(fold(e.name));
}

QString EmoticonIndex::fold(const QString &text)
{
    const QString split = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(split.size());
    for (const QChar c : split) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        out.append(c.toCaseFolded());
    }
    return out;
}

namespace {

// 0: the name starts with word; 1: a word of the name does; 2: it is inside
// a word; -1: it is not there.
int rankOf(const QString &name, const QString &word)
{
    int best = -1;
    for (qsizetype at = name.indexOf(word); at >= 0; at = name.indexOf(word, at + 1)) {
        if (at == 0)
            return 0;
        const bool wordStart = !name.at(at - 1).isLetterOrNumber();
        if (wordStart)
            return 1;
        best = 2;
    }
    return best;
}

} // namespace

QList<int> EmoticonIndex::search(const QString &query) const
{
    const QStringList words = fold(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<int> found;
    if (words.isEmpty()) {
        found.resize(m_items.size());
        std::iota(found.begin(), found.end(), 0);
        return found;
    }
    QList<int> ranks(m_items.size(), -1);
    for (int i = 0; i < m_items.size(); ++i) {
        int rank = 0;
        for (qsizetype w = 0; w < words.size(); ++w) {
            const int r = rankOf(m_folded.at(i), words.at(w));
            if (r < 0) {
                rank = -1;
                break;
            }
            // The first word decides where the name starts; the others only
            // rank it lower when they are inside a word.
            rank = std::max(rank, w == 0 ? r : std::min(r, 1));
        }
        if (rank >= 0) {
            ranks[i] = rank;
            found.append(i);
        }
    }
    // The items are in the sets' order already; a stable sort keeps it.
    std::stable_sort(found.begin(), found.end(), [&ranks](int a, int b) { return ranks.at(a) < ranks.at(b); });
    return found;
}

int EmoticonIndex::find(const EmoticonKey &key) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).set == key.set && m_items.at(i).name == key.name)
            return i;
    }
    return -1;
}
