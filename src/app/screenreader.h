#pragma once

// Whether a screen reader (Orca) is running on this desktop, as the
// accessibility bus tells it: its ScreenReaderEnabled flag, or its IsEnabled
// flag with something listening to the bus's events. False at once where
// there is no session bus or no accessibility bus.
namespace ScreenReader {

bool running();

} // namespace ScreenReader
