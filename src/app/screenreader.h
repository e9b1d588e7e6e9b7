#pragma once

// Whether a screen reader (Orca) is running on this desktop, as the
// accessibility bus tells it: its ScreenReaderEnabled flag, or the IsEnabled
// flag that assistive technologies set when they start. False at once where
// there is no session bus or no accessibility bus.
namespace ScreenReader {

bool running();

} // namespace ScreenReader
