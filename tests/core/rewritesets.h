#pragma once

#include <QStringList>

// The two 10,000-entry sets the interrupted-rewrite test alternates; of
// different lengths, so a mix or a cut of the two shows.
struct RewriteSet
{
    QStringList names;
    QStringList urls;

    static const RewriteSet &get(int which)
    {
        static const RewriteSet sets[2] = {make(QStringLiteral("gatto"), 10000),
                                           make(QStringLiteral("cane lupo"), 9999)};
        return sets[which];
    }

private:
    static RewriteSet make(const QString &stem, int count)
    {
        RewriteSet set;
        for (int i = 0; i < count; ++i) {
            set.names.append(QStringLiteral("%1 %2 è").arg(stem).arg(i));
            set.urls.append(QStringLiteral("http://esempio.it/%1/%2.gif").arg(stem).arg(i));
        }
        return set;
    }
};
