#pragma once

// The program lives for hours with pieces coming and going (the picker's
// lists, a window for each help page); the C library keeps what they freed
// for later use instead of giving it back. After such a piece goes, the
// program hands those pages back to the system.
namespace MemoryRelief {

// Gives back at once every whole free page the allocator holds. Returns
// whether it gave any back; false where the C library offers no way.
bool releaseFreedMemory();

// The same, a moment later, once the user's action has been drawn: calls
// made meanwhile share one release.
void releaseSoon();

} // namespace MemoryRelief
