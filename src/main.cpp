#include "app/appcontext.h"
#include "app/frmvelmora.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Norvale"));

    const AppContext context = AppContext::forProgram();
    frmVelmora window(context);
    window.show();
    return QApplication::exec();
}
