#include <QStandardPaths>

// Built into every test program, so that each starts in Qt's test mode:
// what goes through QStandardPaths and QSettings (the engine's profile, the
// settings, the spare copies of the personal set) lands in a folder of its
// own, never among the user's data, even when a test is run by hand.
static void enableTestMode()
{
    QStandardPaths::setTestModeEnabled(true);
}
Q_CONSTRUCTOR_FUNCTION(enableTestMode)
