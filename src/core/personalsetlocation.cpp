#include "core/personalsetlocation.h"

#include "core/gestionefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace PersonalSetLocation {

namespace {

bool copyFile(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError || !QDir().mkpath(QFileInfo(to).path()))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    if (target.write(bytes) != bytes.size() || !target.flush()) {
        target.cancelWriting();
        return false;
    }
    return target.commit();
}

} // namespace

bool canWrite(const QString &path)
{
    return QFileInfo(path).isWritable();
}

QString choose(const QString &programFolder, const QString &dataFolder, const CanWrite &writable)
{
    const QString besideProgram = GestioneFiles::personalSetPath(programFolder);
    const bool exists = QFileInfo::exists(besideProgram);
    // The file is rewritten through a temporary file beside it, so the folder
    // must be writable as well as the file.
    if (writable(programFolder) && (!exists || writable(besideProgram)))
        return besideProgram;

    const QString inData = GestioneFiles::personalSetPath(dataFolder);
    if (QFileInfo::exists(inData) || !exists)
        return inData;
    return copyFile(besideProgram, inData) ? inData : besideProgram;
}

QString forProgram()
{
    return choose(QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace PersonalSetLocation
