#include "core/privatefile.h"

#include "platform/platformfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace PrivateFile {

bool write(const QString &path, const QByteArray &bytes, QString *reason)
{
    const auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("nessun file"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // The temporary file is the user's alone before a byte is in it.
    PlatformFiles::restrictOpenFile(file);
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    return file.commit() || fail(file.errorString());
}

} // namespace PrivateFile
