#pragma once

#include <QString>
#include <QVariantMap>

class QJsonArray;
class QWebEngineScript;

// Code the program runs in the forum's pages, always in a world of its own
// (never the page's), so the page's scripts can neither see nor change it.
// Each script reaches every document of the page that belongs to the forum:
// the page itself and its frames of the same site, those with an address of
// their own and those a script wrote (an editor's frame, empty or written
// with document.write, in design mode or with an editable body); another
// site's frame is never read. The page's text fields are its text areas and
// editable areas, keyed by their name, else their id, else their position
// in their document, behind the keys of the frames that hold them
// ("frame0/#0").
namespace PageScripts {

// A script of the program's for the page on host (nothing runs on another):
// body runs with the shared helpers (V.*), host and data (the arguments,
// carried as JSON so no text can break out of its string) in reach.
QString call(const QString &body, const QJsonArray &arguments);

// Put into every document as it is made. Notes, once per document and before
// any script of the page runs, the address the page was loaded from and a
// key of its own, so that nothing a page does later (replaceState,
// pushState, document.open) changes which page a draft belongs to. Tells the
// page's policy, on the console with secret (which only this script knows),
// that a new document of the page itself was made ({made: true}), and what
// each of the member's clicks and Enter or Space keys landed on
// ({gesture: {target: link|button|none, href, top, forum}}), in every frame
// of the forum's, frames written by script too: a link and where it leads,
// a button or a link a script answers, Enter sending a form, or nothing (a
// text field, plain text, a frame too small to be seen). With guardAltKeys,
// a key pressed with Alt never types a letter into a field (an access key
// the page lacks, Alt+S in an editor's frame, types nothing, as in a browser
// on this system).
QWebEngineScript watcher(const QString &secret, bool guardAltKeys);

// The view is losing the keyboard: notes the element with the caret, for
// insertAtCaret.
QString note(const QString &host);

// Types text at the caret of the text field (a text area, a text box or an
// editable area) the member was writing in when the view last lost the
// keyboard, replacing its selection, as if typed: the editor's undo, input
// events and counters see it. The typing is one undo step of its own, apart
// from what was typed before and after. With anywhere, the field with the
// caret now is taken, the member having just pressed a key there.
// Evaluates to "typed"; "toolong" where the field's maxlength would cut the
// text; "" where nothing was typed: no field, a field that no longer holds
// the caret, a page of another host than host, a frame of another site.
QString insertAtCaret(const QString &text, const QString &host, bool anywhere = false);

// Evaluates to {title, blocks}: the page's content as a reader meets it, in
// order, for the reading view: headings {type: "h", level, runs},
// paragraphs {type: "p", runs}, lists {type: "list", ordered, items: [runs]}
// and tables {type: "table", rows: [[{header, runs}]]}, where runs are
// {t: "text"|"link"|"img", s, href}: text, a link's words and address, a
// picture's alternative text (or address). Hidden elements are left out;
// same-site frames are read in place. Text only: nothing of the page runs
// where it is shown.
QString readable(const QString &host);

} // namespace PageScripts
