#pragma once

#include <QList>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QAction;
class QMenu;
class QWebEngineView;

// The forum view's right-click menu: the engine's own (with the suggestions
// for a misspelt word), in Italian, with the switch for the spelling check
// and, on an image, its forum tag and a way into the personal set.
namespace ForumMenu {

// Gives the page's actions, which the engine's menu shows, Italian names.
void translate(QWebEnginePage *page);

// The menu for the last right-click on view; addImage (where given) asks for
// the image to be added to the personal set; go takes the page's Back,
// Forward and Reload (so the page is left as the program leaves it); the
// program's commands come last. The caller shows and frees the menu.
QMenu *build(QWebEngineView *view, const std::function<void(const QUrl &)> &addImage,
             const std::function<void(QWebEnginePage::WebAction)> &go, const QList<QAction *> &commands = {});

// Whether the spelling check is on, remembered between runs.
bool spellingWanted();

} // namespace ForumMenu
