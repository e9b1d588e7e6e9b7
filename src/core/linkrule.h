#pragma once

#include <QUrl>

// Where an address may open: the rules behind the forum view's links and
// new windows. Qt Core only.
namespace LinkRule {

enum class Scheme {
    Web,          // http, https: shown by a view, or by the system's browser
    Local,        // file: never opened from a web page
    Engine,       // about:, data:, blob:, javascript: the engine's own business
    OtherProgram, // mailto:, tel:, a custom handler: only after asking
};

Scheme schemeOf(const QUrl &url);

// True when url is a page of the forum: the same host as the forum home,
// whatever its scheme or port.
bool isForumPage(const QUrl &url, const QUrl &forumHome);

// True when a preview may load url: http or https with a host, nothing else.
// The engine's own addresses (chrome://crash and its kin) end a renderer or
// the whole program before any page policy is asked.
bool isPreviewable(const QUrl &url);

} // namespace LinkRule
