#pragma once

#include <QUrl>

#include <functional>

class QMenu;
class QWebEnginePage;
class QWebEngineView;

// The forum view's right-click menu: the engine's own (with the suggestions
// for a misspelt word), in Italian, with the switch for the spelling check
// and, on an image, its forum tag and a way into the personal set.
namespace ForumMenu {

// Gives the page's actions, which the engine's menu shows, Italian names.
void translate(QWebEnginePage *page);

// The menu for the last right-click on view; addImage (where given) asks for
// the image to be added to the personal set, showDrafts (where given) for the
// drafts' window. The caller shows and frees the menu.
QMenu *build(QWebEngineView *view, const std::function<void(const QUrl &)> &addImage,
             const std::function<void()> &showDrafts = {});

// Whether the spelling check is on, remembered between runs.
bool spellingWanted();

} // namespace ForumMenu
