#include "core/processes.h"

#include "platform/platformsystem.h"

namespace Processes {

bool alive(qint64 pid)
{
    return PlatformSystem::processAlive(pid);
}

} // namespace Processes
