#include "platform/platformfiles.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace PlatformFiles {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool statOf(const QString &path, struct stat *info)
{
    return stat(QFile::encodeName(path).constData(), info) == 0;
}

} // namespace

QString linkReason()
{
    return u"è un collegamento"_s;
}

bool openForReading(const QString &path, QFile &file, Links links, Opened *what, QString *reason)
{
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    if (links == Links::Refuse)
        flags |= O_NOFOLLOW;
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) {
        *reason = errno == ELOOP && links == Links::Refuse ? linkReason() : systemReason(errno);
        return false;
    }
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *reason = systemReason(errno);
        ::close(fd);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        *reason = systemReason(EISDIR);
        file.close();
        return false;
    }
    *what = {.regular = S_ISREG(info.st_mode), .ownedByUser = info.st_uid == geteuid(), .names = qint64(info.st_nlink)};
    return true;
}

bool restrictFolder(const QString &folder)
{
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool restrictOpenFile(QFileDevice &file)
{
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool isUserOnly(const QString &path)
{
    struct stat info = {};
    return statOf(path, &info) && info.st_uid == geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool isOwnFolder(const QString &folder)
{
    // Others who may write the folder could swap a file in it for a link.
    struct stat info = {};
    return statOf(folder, &info) && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
        && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

Entry entryAt(const QString &path)
{
    struct stat info = {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? Entry::Missing : Entry::Other;
    return S_ISREG(info.st_mode) && info.st_uid == geteuid() ? Entry::OwnFile : Entry::Other;
}

qint64 modifiedAt(const QString &path)
{
    struct stat info = {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
}

bool isSystemFile(const QString &)
{
    return false;
}

} // namespace PlatformFiles
