#include "gui/memoryrelief.h"

#include "platform/platformsystem.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>


namespace MemoryRelief {

bool releaseFreedMemory()
{
    return PlatformSystem::releaseFreedMemory();
}

void releaseSoon()
{
    // Walking the allocator takes a few milliseconds: it is done once after
    // the screen has settled, never while the user waits for a window. The
    // timer belongs to the application and goes with it.
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(1000);
        QObject::connect(timer, &QTimer::timeout, timer, [] { releaseFreedMemory(); });
    }
    timer->start();
}

} // namespace MemoryRelief
