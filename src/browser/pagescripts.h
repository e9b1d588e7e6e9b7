#pragma once

#include <QString>

// Code the program runs in the forum's pages, always in a world of its own
// (never the page's), so the page's scripts can neither see nor change it.
namespace PageScripts {

// Run in every frame from its start: notes, each time the frame loses the
// focus, the element the member had focused in it (a frame that holds the
// focus counts as the element of its parent). Only the program's world sees
// the note.
QString fieldWatch();

// Types text at the caret of the text field (a text area, a text box or an
// editable area, inside frames of the same site too) the member was writing
// in when the page last lost the focus, replacing its selection, as if
// typed: the editor's undo, input events and counters see it. The typing
// is one undo step of its own, apart from what was typed before and after.
// Does nothing when the member left from no field, when that field no longer
// holds the focus in its page, on a page of another host than host, or in a
// frame of another site. Evaluates to whether it typed.
QString insertAtCaret(const QString &text, const QString &host);

} // namespace PageScripts
