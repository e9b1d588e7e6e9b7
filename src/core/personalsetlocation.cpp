#include "core/personalsetlocation.h"

#include "core/gestionefiles.h"
#include "platform/platformfiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace PersonalSetLocation {

bool canWrite(const QString &path)
{
    return QFileInfo(path).isWritable();
}

QString choose(const QString &programFolder, const QString &dataFolder, const CanWrite &writable)
{
    const QString besideProgram = GestioneFiles::personalSetPath(programFolder);
    // The file is rewritten through a temporary file beside it, so the folder
    // must be writable as well as the file.
    if (PlatformFiles::isOwnFolder(programFolder) && writable(programFolder)) {
        const PlatformFiles::Entry beside = PlatformFiles::entryAt(besideProgram);
        if (beside == PlatformFiles::Entry::Missing
            || (beside == PlatformFiles::Entry::OwnFile && writable(besideProgram)))
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
