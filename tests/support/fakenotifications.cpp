#include "fakenotifications.h"

#include <QDBusMessage>

using namespace Qt::StringLiterals;

FakeNotifications::FakeNotifications(QObject *parent)
    : QObject(parent)
    , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-notifications"_s))
{
    m_registered = m_bus.isConnected()
        && m_bus.registerObject(u"/org/freedesktop/Notifications"_s, this, QDBusConnection::ExportAllSlots)
        && m_bus.registerService(u"org.freedesktop.Notifications"_s);
}

FakeNotifications::~FakeNotifications()
{
    m_bus.unregisterService(u"org.freedesktop.Notifications"_s);
    QDBusConnection::disconnectFromBus(u"fake-notifications"_s);
}

uint FakeNotifications::Notify(const QString &, uint replaces, const QString &, const QString &summary,
                               const QString &body, const QStringList &actions, const QVariantMap &, int)
{
    const uint id = replaces ? replaces : ++m_next;
    shown.append({id, replaces, summary, body, actions});
    return id;
}

void FakeNotifications::click(uint id, const QString &action)
{
    QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                                     u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
    signal << id << action;
    m_bus.send(signal);
}
