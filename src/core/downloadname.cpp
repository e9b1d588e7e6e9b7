#include "core/downloadname.h"

#include <QStringList>

namespace DownloadName {

namespace {

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
    return dot > 0 ? dot : name.size();
}

} // namespace

QString unique(const QString &suggested, const std::function<bool(const QString &name)> &taken)
{
    // A server's name must not climb out of the folder or hide the file.
    QString name = suggested.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1).trimmed();
    name.remove(QChar(0));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("download");

    if (!taken(name))
        return name;
    const qsizetype split = suffixStart(name);
    const QString base = name.left(split);
    const QString suffix = name.mid(split);
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace DownloadName
