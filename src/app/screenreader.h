#pragma once

#include <chrono>

// Whether a screen reader (Orca) is running on this desktop, as the
// accessibility bus tells it: its ScreenReaderEnabled flag, or its IsEnabled
// flag with something listening to the bus's events. No screen reader at
// once where there is no session bus or no accessibility bus.
namespace ScreenReader {

enum class Answer {
    NotRunning,
    Running,
    // The accessibility bus, or the session's service that names it, did
    // not answer in time: Qt's own bridge would wait on it for minutes.
    BusSilent,
};

// The question runs on a thread of its own and is waited for no longer than
// `within` in all, connections included; one cut short ends by itself.
Answer ask(std::chrono::milliseconds within = std::chrono::milliseconds(500));

// Keeps Qt's accessibility bridge off the desktop's bus for this run, so
// that widgets name themselves without waiting on a bus that is silent.
// Before the first accessibility call (the first window).
void keepQtOffTheBus();

} // namespace ScreenReader
