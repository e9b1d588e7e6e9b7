#pragma once

#include <QString>

class QFile;
class QFileDevice;

// The file operations whose meaning differs between POSIX and Windows, each
// behind one function. CMake builds one body: platformfiles_posix.cpp or
// platformfiles_windows.cpp. Qt Core only.
namespace PlatformFiles {

enum class Links { Follow, Refuse };

// What was opened, as the open handle itself says, so that nothing can be
// swapped in between the look and the read.
struct Opened
{
    bool regular = false;     // a plain file on a disk: no folder, pipe or device
    bool ownedByUser = false; // made by, or given to, the running user
    qint64 names = 0;         // its names (hard links); 1 for a file no one else can reach by another
};

// Opens path for reading without waiting on a pipe or a device; file then
// owns the handle. With Links::Refuse a link in the file's place (a symbolic
// link; on Windows any reparse point, a junction too) is not followed but
// refused with reason linkReason(). A folder is refused with the system's
// reason for one. False with the system's reason, in its words, otherwise.
bool openForReading(const QString &path, QFile &file, Links links, Opened *what, QString *reason);
QString linkReason();

// Makes a folder the user's alone: no one else may list, read or change it,
// and what is made in it later starts the same way.
bool restrictFolder(const QString &folder);
// Makes an open file (a QSaveFile's temporary one too) the user's alone,
// before a byte is in it. On Windows the file took its folder's rights when
// it was made: restrictFolder is what counts there.
bool restrictOpenFile(QFileDevice &file);
// Whether no one but the user (and the system itself) may read or change
// the file or folder.
bool isUserOnly(const QString &path);

// A folder the user owns and no one else (the system and its
// administrators aside) may change.
bool isOwnFolder(const QString &folder);

enum class Entry { Missing, OwnFile, Other };
// What is at path itself, a link not followed: nothing, a regular file of
// the user's, or something else.
Entry entryAt(const QString &path);

// When the file was last written, in milliseconds since 1970, a link not
// followed; 0 when that cannot be told. Cheaper than QFileInfo's date.
qint64 modifiedAt(const QString &path);

// A file the system keeps for itself (Windows' system attribute); never on
// POSIX.
bool isSystemFile(const QString &path);

} // namespace PlatformFiles
