#include "app/screenreader.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace ScreenReader {

bool running()
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return false;
    // Both flags in one call, without looking the object over first: the
    // start waits for this answer, and a bus that does not answer soon
    // counts as no screen reader.
    QDBusMessage get = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("GetAll"));
    get << QStringLiteral("org.a11y.Status");
    const QDBusReply<QVariantMap> reply = session.call(get, QDBus::Block, 500);
    if (!reply.isValid())
        return false;
    const QVariantMap flags = reply.value();
    return flags.value(QStringLiteral("ScreenReaderEnabled")).toBool()
        || flags.value(QStringLiteral("IsEnabled")).toBool();
}

} // namespace ScreenReader
