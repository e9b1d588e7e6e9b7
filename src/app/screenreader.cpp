#include "app/screenreader.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace ScreenReader {

namespace {

// The start waits for these answers: a bus that does not answer soon counts
// as no screen reader.
constexpr int answerWithin = 500;

QDBusMessage call(const QDBusConnection &bus, const QString &service, const QString &path, const QString &interface,
                  const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, answerWithin);
}

// Whether anything listens to the accessibility bus's events, as screen
// readers, magnifiers and switch devices do.
bool listenerRegistered(const QDBusConnection &session)
{
    const QDBusReply<QString> address = call(session, QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                             QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    if (!address.isValid())
        return false;
    const QString name = QStringLiteral("velmora-screen-reader");
    bool listened = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(address.value(), name);
        const QDBusMessage events = call(
            bus, QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
            QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("GetRegisteredEvents"));
        if (events.type() == QDBusMessage::ReplyMessage && !events.arguments().isEmpty()) {
            const auto list = events.arguments().constFirst().value<QDBusArgument>();
            list.beginArray();
            listened = !list.atEnd();
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return listened;
}

} // namespace

bool running()
{
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return false;
    // Both flags in one call, without looking the object over first.
    const QDBusReply<QVariantMap> reply = call(session, QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                               QStringLiteral("org.freedesktop.DBus.Properties"),
                                               QStringLiteral("GetAll"), {QStringLiteral("org.a11y.Status")});
    if (!reply.isValid())
        return false;
    const QVariantMap flags = reply.value();
    if (flags.value(QStringLiteral("ScreenReaderEnabled")).toBool())
        return true;
    // Some desktops keep IsEnabled on whether or not anyone uses it: it
    // counts only with an assistive technology listening.
    return flags.value(QStringLiteral("IsEnabled")).toBool() && listenerRegistered(session);
}

} // namespace ScreenReader
