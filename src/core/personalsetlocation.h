#pragma once

#include <QString>

#include <functional>

// Where Personali.ic2 lives. Beside the program when the program folder is
// the user's own (a copied program folder, as the help windows describe):
// owned by the user, closed to group and others, writable, and the file there
// (if any) a regular file of the user's that the user may write. Otherwise,
// as for an installed program or a shared folder, in the user's data folder.
// There, on first use, it starts as a copy of a file left beside the
// program, taken only when that is a regular file of the user's, with no
// other name, not reached through a link and not over 16 MiB. Qt Core only.
namespace PersonalSetLocation {

// Whether the user may write at a path, a folder or a file. Tests play a
// read-only program folder through it, even as root.
using CanWrite = std::function<bool(const QString &path)>;
bool canWrite(const QString &path);

// The file to use; may create dataFolder and copy the program folder's file
// into it. A file beside the program that is not the user's own is never
// used nor copied: the set then starts empty in the data folder.
QString choose(const QString &programFolder, const QString &dataFolder, const CanWrite &writable = &canWrite);

// The same for the running program and the user's AppDataLocation.
QString forProgram();

} // namespace PersonalSetLocation
