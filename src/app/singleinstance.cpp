#include "app/singleinstance.h"

#include "platform/platformsystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

constexpr int connectTimeout = 1000;
const QByteArray activateMessage = QByteArrayLiteral("attiva\n");

} // namespace

SingleInstance::SingleInstance(const QString &socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(socketPath)
{
}

QString SingleInstance::defaultSocketPath()
{
    const QString fallback = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString path = socketPathIn(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), fallback);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

QString SingleInstance::socketPathIn(const QString &runtimeFolder, const QString &fallbackFolder)
{
    return (runtimeFolder.isEmpty() ? fallbackFolder : runtimeFolder) + QStringLiteral("/velmora.sock");
}

bool SingleInstance::claim()
{
    // Two starts at the same moment take turns here. A lock left by a
    // crashed instance is stale (its process is gone) and is taken over.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(5000))
        return true; // Better a second window than none at all.

    QLocalSocket running;
    running.connectToServer(PlatformSystem::localServerName(m_socketPath));
    if (running.waitForConnected(connectTimeout)) {
        running.write(activateMessage);
        running.waitForBytesWritten(connectTimeout);
        running.disconnectFromServer();
        return false;
    }
    // Only a socket nobody listens on is a crashed instance's. One that is
    // merely slow to answer belongs to a live instance and stays.
    const QLocalSocket::LocalSocketError error = running.error();
    if (error != QLocalSocket::ConnectionRefusedError && error != QLocalSocket::ServerNotFoundError)
        return true;

    QLocalServer::removeServer(PlatformSystem::localServerName(m_socketPath));
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(PlatformSystem::localServerName(m_socketPath)))
        return true;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(activateMessage))
                    emit activationRequested();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}
