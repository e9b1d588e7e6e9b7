// Rewrites the personal-set file over and over, alternating two sets, and
// says on its output when each rewrite starts. The interrupted-rewrite test
// kills it at many points.
#include "core/gestionefiles.h"
#include "rewritesets.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2)
        return 2;
    const QString path = args.at(1);
    QTextStream out(stdout);
    for (int round = 0;; ++round) {
        const RewriteSet &set = RewriteSet::get(round % 2);
        out << "riscrivo " << round << Qt::endl;
        if (!GestioneFiles::ScriviSetPersonale(path, PersonalSet::fromLists(set.names, set.urls)).ok())
            return 1;
    }
}
