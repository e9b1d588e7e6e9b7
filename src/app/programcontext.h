#pragma once

#include "gui/appcontext.h"

// The program as it really runs: the real addresses, the personal set where
// PersonalSetLocation puts it, Chromium views, real message boxes and the
// system beep.
AppContext programContext();
