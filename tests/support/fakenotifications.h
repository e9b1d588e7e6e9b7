#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// The desktop's notification service, on the session bus under its own
// connection, as a test's: it records each notification it is asked for,
// and clicks a notification's button when told.
class FakeNotifications final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        uint id;
        uint replaced;
        QString title;
        QString body;
        QStringList actions;
    };

    explicit FakeNotifications(QObject *parent = nullptr);
    ~FakeNotifications() override;
    bool isRegistered() const { return m_registered; }

    QList<Shown> shown;
    QList<uint> closed;

    // The member clicks action on notification id.
    void click(uint id, const QString &action);

public slots:
    // The service's methods, called over the bus.
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int timeout);
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
    void CloseNotification(uint id) { closed.append(id); }

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    uint m_next = 0;
};
