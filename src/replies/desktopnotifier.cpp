#include "replies/desktopnotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QDBusMessage method(const QString &name)
{
    return QDBusMessage::createMethodCall(DesktopNotifier::service(), DesktopNotifier::path(),
                                          DesktopNotifier::service(), name);
}

} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : QObject(parent)
{
}

bool DesktopNotifier::connectOnce()
{
    if (m_connected)
        return true;
    // Only a session bus that is there: none is started for us, and nothing
    // waits on it.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
        && !QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/bus"_s))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    m_connected = true;
    // From any sender: naming the service would have Qt ask for its owner,
    // and wait for the answer. Our ids tell which are ours.
    bus.connect(QString(), path(), service(), u"ActionInvoked"_s, this, SLOT(onActionInvoked(uint, QString)));
    bus.connect(QString(), path(), service(), u"NotificationClosed"_s, this, SLOT(onClosed(uint, uint)));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(method(u"GetCapabilities"_s)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isValid())
            m_markup = reply.value().contains(u"body-markup"_s);
    });
    return true;
}

void DesktopNotifier::show(const QString &key, const QString &title, const QString &text)
{
    if (!connectOnce())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage notify = method(u"Notify"_s);
    // A name or a post may hold "<": it is shown, never read as markup.
    const QString body = m_markup ? text.toHtmlEscaped() : text;
    notify << u"Velmora"_s << m_ids.value(key) << u"velmora"_s << title << body
           << QStringList{openAction(), u"Apri"_s, u"default"_s, u"Apri"_s}
           << QVariantMap{{u"desktop-entry"_s, u"velmora"_s}, {u"category"_s, u"im.received"_s}} << -1;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusPendingReply<uint> reply = *call;
        if (reply.isValid())
            m_ids.insert(key, reply.value());
    });
}

void DesktopNotifier::withdraw(const QString &key)
{
    const uint id = m_ids.take(key);
    if (id == 0)
        return;
    QDBusMessage close = method(u"CloseNotification"_s);
    close << id;
    QDBusConnection::sessionBus().asyncCall(close);
}

void DesktopNotifier::onActionInvoked(uint id, const QString &action)
{
    const QString key = m_ids.key(id);
    if (!key.isEmpty() && (action == openAction() || action == u"default"))
        emit opened(key);
}

void DesktopNotifier::onClosed(uint id, uint)
{
    const QString key = m_ids.key(id);
    if (!key.isEmpty())
        m_ids.remove(key);
}
