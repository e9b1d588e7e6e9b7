#include "core/personalsetlocation.h"

#include "core/gestionefiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PersonalSetLocation {

namespace {

enum class Entry { Missing, OwnFile, Other };

#ifdef Q_OS_UNIX
// Others who may write the folder could swap the file for a link at any time.
bool isOwnFolder(const QString &folder)
{
    struct stat info = {};
    return stat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
        && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Looked at in a folder only the user may change, so it stays what it is.
Entry entryAt(const QString &path)
{
    struct stat info = {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? Entry::Missing : Entry::Other;
    return S_ISREG(info.st_mode) && info.st_uid == geteuid() ? Entry::OwnFile : Entry::Other;
}
#else
bool isOwnFolder(const QString &)
{
    return true;
}

Entry entryAt(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Entry::Missing;
    return info.isFile() && !info.isSymLink() ? Entry::OwnFile : Entry::Other;
}
#endif

} // namespace

bool canWrite(const QString &path)
{
    return QFileInfo(path).isWritable();
}

QString choose(const QString &programFolder, const QString &dataFolder, const CanWrite &writable)
{
    const QString besideProgram = GestioneFiles::personalSetPath(programFolder);
    // The file is rewritten through a temporary file beside it, so the folder
    // must be writable as well as the file.
    if (isOwnFolder(programFolder) && writable(programFolder)) {
        const Entry beside = entryAt(besideProgram);
        if (beside == Entry::Missing || (beside == Entry::OwnFile && writable(besideProgram)))
            return besideProgram;
    }

    const QString inData = GestioneFiles::personalSetPath(dataFolder);
    const QFileInfo kept(inData);
    if (!kept.exists() && !kept.isSymLink())
        // Nothing to copy, or refused: an empty set.
        (void)GestioneFiles::keepCopy(besideProgram, nullptr, inData, GestioneFiles::Trust::OwnFileNoLinks);
    return inData;
}

QString forProgram()
{
    return choose(QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace PersonalSetLocation
