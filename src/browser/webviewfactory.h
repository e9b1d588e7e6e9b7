#pragma once

#include "browser/forumsite.h"
#include "gui/appcontext.h"

// The program's web views for a forum site: the real engine for the forum,
// the light image preview for the picker. Tests on the real engine take the
// same ones.
AppContext::WebViewFactory webViewFactory(const ForumSite &site);
