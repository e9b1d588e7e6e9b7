#pragma once

#include <optional>

// What happens before the application object and the engine exist: the
// command line is answered, running as root with Chromium's sandbox on is
// refused with a reason, --no-sandbox is handed to Chromium, and the
// engine's start-up log is kept quiet.
namespace Startup {

// The exit status when the program must end here; nothing when it goes on to
// make its QApplication and main window.
std::optional<int> beforeApplication(int &argc, char **argv);

// Once the application object exists, before any window or engine: the
// accessibility bus asked, for half a second at most, Qt's own texts and the
// engine's in Italian, and the spelling dictionary of an installed program
// found.
void afterApplication();

} // namespace Startup
