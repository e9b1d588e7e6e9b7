#include "core/downloadname.h"

#include <QStringList>

namespace DownloadName {

namespace {

// An "extension" longer than this is part of the name: it may be cut.
constexpr qsizetype longestSuffix = 32;

// C0 and C1 controls, and the marks, embeddings, overrides and isolates
// that reorder what a file manager shows.
bool unwanted(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString cleaned(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept.append(c);
            kept.append(text.at(++i));
        } else if (!c.isSurrogate() && !unwanted(c.unicode())) {
            kept.append(c); // a lone half of a pair is no character at all
        }
    }
    return kept;
}

// "nome.tar.gz" numbers as "nome (1).tar.gz", not "nome.tar (1).gz".
qsizetype suffixStart(const QString &name)
{
    static const QStringList doubleSuffixes = {QStringLiteral(".tar.gz"), QStringLiteral(".tar.bz2"),
                                               QStringLiteral(".tar.xz")};
    for (const QString &suffix : doubleSuffixes) {
        if (name.endsWith(suffix, Qt::CaseInsensitive) && name.size() > suffix.size())
            return name.size() - suffix.size();
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 && name.size() - dot <= longestSuffix ? dot : name.size();
}

// base + tail, base cut at a character's end so that the whole fits.
QString fitted(const QString &base, const QString &tail)
{
    qsizetype room = longestName - tail.toUtf8().size();
    qsizetype end = 0;
    while (end < base.size()) {
        const qsizetype width = base.at(end).isHighSurrogate() ? 2 : 1;
        const qsizetype bytes = base.mid(end, width).toUtf8().size();
        if (bytes > room)
            break;
        room -= bytes;
        end += width;
    }
    return base.left(end) + tail;
}

} // namespace

QString unique(const QString &suggested, const std::function<bool(const QString &name)> &taken)
{
    // A server's name must not climb out of the folder or hide the file.
    QString name = cleaned(suggested).section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1).trimmed();
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("download");

    const qsizetype split = suffixStart(name);
    const QString base = name.left(split);
    const QString suffix = name.mid(split);
    name = fitted(base, suffix);
    if (!taken(name))
        return name;
    for (int n = 1;; ++n) {
        const QString candidate = fitted(base, QStringLiteral(" (%1)%2").arg(n).arg(suffix));
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace DownloadName
