#include "core/downloadname.h"

#include <QStringList>

#include <utility>

using namespace Qt::StringLiterals;

namespace DownloadName {

namespace {

// An "extension" longer than this is part of the name: it may be cut.
constexpr qsizetype longestSuffix = 32;

// C0 and C1 controls; format characters, which show nothing themselves
// (the marks, embeddings, overrides and isolates that reorder what is
// shown, zero-width spaces, a soft hyphen, tags); line and paragraph
// separators, which break a line wherever a name is shown.
bool unwanted(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString cleaned(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const QChar low = text.at(++i);
            if (!unwanted(QChar::surrogateToUcs4(c, low))) {
                kept.append(c);
                kept.append(low);
            }
        } else if (!c.isSurrogate() && !unwanted(c.unicode())) {
            kept.append(c); // a lone half of a pair is no character at all
        }
    }
    return kept;
}

// Windows takes none of these in a name, and we save names Windows can hold
// on every system: a folder may be shared with it, a file copied to it.
bool forbidden(QChar c)
{
    return QStringView(u"<>:\"/\\|?*").contains(c);
}

// Names Windows gives its devices, whatever follows the first dot; the
// superscript digits count as digits there.
bool reservedOnWindows(QStringView name)
{
    QStringView stem = name.left(name.indexOf(u'.') < 0 ? name.size() : name.indexOf(u'.'));
    while (stem.endsWith(u' '))
        stem.chop(1);
    static const QStringList devices = {u"CON"_s, u"PRN"_s, u"AUX"_s, u"NUL"_s, u"CONIN$"_s, u"CONOUT$"_s};
    if (devices.contains(stem, Qt::CaseInsensitive))
        return true;
    const bool numbered = stem.startsWith(u"COM"_s, Qt::CaseInsensitive) || stem.startsWith(u"LPT"_s, Qt::CaseInsensitive);
    return numbered && stem.size() == 4 && QStringView(u"123456789\u00b9\u00b2\u00b3").contains(stem.at(3));
}

QString endsWithoutDotOrBlank(QString name)
{
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    return name;
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
    // A cut may leave a dot or a blank at the end, which Windows drops.
    return tail.isEmpty() ? endsWithoutDotOrBlank(base.left(end)) : base.left(end) + tail;
}

// The cleaned name, uncut, split where a number would go.
std::pair<QString, QString> baseAndSuffix(const QString &suggested)
{
    // A server's name must not climb out of the folder or hide the file.
    QString name = cleaned(suggested).section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1).trimmed();
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    for (QChar &c : name) {
        if (forbidden(c))
            c = u'_';
    }
    name = endsWithoutDotOrBlank(name);
    if (name.isEmpty())
        name = QStringLiteral("download");
    if (reservedOnWindows(name))
        name.prepend(u'_');
    const qsizetype split = suffixStart(name);
    return {name.left(split), name.mid(split)};
}

} // namespace

QString safe(const QString &suggested)
{
    const auto [base, suffix] = baseAndSuffix(suggested);
    return fitted(base, suffix);
}

QString unique(const QString &suggested, const std::function<bool(const QString &name)> &taken)
{
    const auto [base, suffix] = baseAndSuffix(suggested);
    const QString name = fitted(base, suffix);
    if (!taken(name))
        return name;
    for (int n = 1;; ++n) {
        const QString candidate = fitted(base, QStringLiteral(" (%1)%2").arg(n).arg(suffix));
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace DownloadName
