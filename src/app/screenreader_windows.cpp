#include "app/screenreader.h"

// Windows has no accessibility bus to ask: Qt tells the engine itself when a
// screen reader (NVDA, JAWS, Narrator) is running, and its bridge never waits.
namespace ScreenReader {

Answer ask(std::chrono::milliseconds)
{
    return Answer::NotRunning;
}

void keepQtOffTheBus()
{
}

} // namespace ScreenReader
