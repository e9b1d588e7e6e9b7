#include "platform/platformsystem.h"

#include <QCryptographicHash>
#include <QDir>

#include <malloc.h>

#include <qt_windows.h>

namespace PlatformSystem {

bool releaseFreedMemory()
{
    // The C runtime's heap gives its free blocks back to the system here.
    return _heapmin() == 0;
}

bool runsAsSuperUser()
{
    // Chromium's sandbox works under an administrator on Windows.
    return false;
}

QString localServerName(const QString &socketPath)
{
    // Pipe names are one namespace for the whole machine: the path (in the
    // user's own AppData) names the user, and hashing it keeps the name
    // short and free of separators.
    const QByteArray hash = QCryptographicHash::hash(QDir::cleanPath(socketPath).toLower().toUtf8(),
                                                     QCryptographicHash::Sha256);
    return QStringLiteral("velmora-") + QString::fromLatin1(hash.toHex().left(32));
}

bool processAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

} // namespace PlatformSystem
