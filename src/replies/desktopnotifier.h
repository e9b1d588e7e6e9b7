#pragma once

#include <QHash>
#include <QObject>
#include <QString>

// The desktop's notifications (the freedesktop notification service, over
// the session bus): one per key, replaced while it is shown, with a button
// "Apri". Where no service answers, nothing shows: the caller says the news
// its own way too.
class DesktopNotifier final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopNotifier)

public:
    explicit DesktopNotifier(QObject *parent = nullptr);

    void show(const QString &key, const QString &title, const QString &text);
    // Takes key's notification off the desktop.
    void withdraw(const QString &key);

    static QString service() { return QStringLiteral("org.freedesktop.Notifications"); }
    static QString path() { return QStringLiteral("/org/freedesktop/Notifications"); }
    static QString openAction() { return QStringLiteral("apri"); }

signals:
    // The member chose "Apri", or the notification itself.
    void opened(const QString &key);

private:
    // Connects to the session bus at the first notification; false when
    // there is none.
    bool connectOnce();

    // The bus connects its signals by name alone.
    Q_SLOT void onActionInvoked(uint id, const QString &action);
    Q_SLOT void onClosed(uint id, uint reason);

    QHash<QString, uint> m_ids;
    bool m_connected = false;
    // The service shows markup in its text: ours is escaped.
    bool m_markup = true;
};
