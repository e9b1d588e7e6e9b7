#include "app/screenreader.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

namespace ScreenReader {

bool running()
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return false;
    QDBusInterface status(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                          QStringLiteral("org.freedesktop.DBus.Properties"), session);
    if (!status.isValid())
        return false;
    // The start waits for this answer: a bus that does not answer soon
    // counts as no screen reader.
    status.setTimeout(500);
    for (const auto *flag : {"ScreenReaderEnabled", "IsEnabled"}) {
        const QDBusReply<QDBusVariant> reply = status.call(QStringLiteral("Get"), QStringLiteral("org.a11y.Status"),
                                                           QString::fromLatin1(flag));
        if (reply.isValid() && reply.value().variant().toBool())
            return true;
    }
    return false;
}

} // namespace ScreenReader
