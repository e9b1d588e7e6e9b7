#pragma once

#include <QString>

// Code the program runs in the forum's pages, always in a world of its own
// (never the page's), so the page's scripts can neither see nor change it.
namespace PageScripts {

// Types text at the caret of the focused text field (a text area, a text
// box or an editable area, inside frames of the same site too), replacing
// its selection, as if typed: the editor's undo, input events and counters
// see it. Does nothing on a page of another host than host, or in a frame
// of another site. Evaluates to whether it typed.
QString insertAtCaret(const QString &text, const QString &host);

} // namespace PageScripts
