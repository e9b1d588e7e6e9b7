#pragma once

#include <QString>

// The rest of what the system does its own way, one function each; bodies in
// platformsystem_posix.cpp and platformsystem_windows.cpp. Qt Core only.
namespace PlatformSystem {

// Gives the C library's whole free pages back to the system; whether any
// went back.
bool releaseFreedMemory();

// Whether the program runs with every right on the system (root), where
// Chromium's sandbox refuses to start.
bool runsAsSuperUser();

// The name the running instance listens on, from its socket's path: the
// path itself on POSIX; on Windows, where local servers are named pipes in
// one namespace for the whole machine, a name of the user's own.
QString localServerName(const QString &socketPath);

// Whether the process runs (a zombie counts as gone).
bool processAlive(qint64 pid);

} // namespace PlatformSystem
