#pragma once

#include <QtGlobal>

// The system's processes, as far as the program needs them.
namespace Processes {

// Whether process pid still runs (a renderer that crashed does not).
bool alive(qint64 pid);

} // namespace Processes
