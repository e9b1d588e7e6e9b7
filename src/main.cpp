#include "app/composition.h"
#include "app/frmvelmora.h"
#include "app/programcontext.h"
#include "app/singleinstance.h"
#include "app/startup.h"

#include <QApplication>

#include <optional>

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = Startup::beforeApplication(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Norvale"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    Startup::afterApplication();

    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (!instance.claim())
        return 0;

    Composition::choose();
    const AppContext context = programContext();
    frmVelmora window(context);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        if (window.isMinimized())
            window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return QApplication::exec();
}
