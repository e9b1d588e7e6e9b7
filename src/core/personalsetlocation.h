#pragma once

#include <QString>

#include <functional>

// Where Personali.ic2 lives. Beside the program wherever the user can write it
// there (a copied program folder, as the help windows describe); otherwise,
// as for an installed program, in the user's data folder. There, on first
// use, it starts as a copy of a file left beside the program, which the user
// could read but not change. Qt Core only.
namespace PersonalSetLocation {

// Whether the user may write at a path, a folder or a file. Tests play a
// read-only program folder through it, even as root.
using CanWrite = std::function<bool(const QString &path)>;
bool canWrite(const QString &path);

// The file to use; may create dataFolder and copy the program folder's file
// into it. Should the copy fail, the file beside the program is kept: its
// entries stay in view, and a change reports that it cannot be saved.
QString choose(const QString &programFolder, const QString &dataFolder,
               const CanWrite &writable = &canWrite);

// The same for the running program and the user's AppDataLocation.
QString forProgram();

} // namespace PersonalSetLocation
