#include "platform/platformsystem.h"

#include <QFile>

#include <cerrno>
#include <csignal>

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace PlatformSystem {

bool releaseFreedMemory()
{
#if defined(__GLIBC__)
    return malloc_trim(0) != 0;
#else
    return false; // other C libraries offer no way
#endif
}

bool runsAsSuperUser()
{
    return geteuid() == 0;
}

QString localServerName(const QString &socketPath)
{
    return socketPath;
}

bool processAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    // Signal 0 only asks; a process of another user still answers EPERM.
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // A child that died stays a zombie until its parent reaps it, which the
    // engine does only when it gets to it. Only Linux has /proc to say so.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype name = line.lastIndexOf(')');
        if (name >= 0 && line.size() > name + 2 && (line.at(name + 2) == 'Z' || line.at(name + 2) == 'X'))
            return false;
    }
    return true;
}

} // namespace PlatformSystem
