#pragma once

#include "gui/appcontext.h"

class EngineWebView;

// The one place where a forum view of the program gets what rides with its
// pages: the downloads, the journal of the member's drafts (kept before
// the page goes, put back when it comes again), the drafts' entry of the
// right-click menu and its key, the topics followed (the page read for its
// feed, "Segui questa discussione" and "Risposte…" in the menu), and the
// windows its pages open (each a popup window whose view is wired the same
// way). The engine's view itself
// knows none of them.
namespace PageWiring {

// The program's web views for context: the real engine, wired, for the
// forum; the light image preview for the picker. Tests on the real engine
// take the same ones.
AppContext::WebViewFactory webViewFactory(const AppContext &context);

// Wires view (a forum view, the main one or a popup's) for context.
void attach(EngineWebView *view, const AppContext &context);

} // namespace PageWiring

using PageWiring::webViewFactory;
