#pragma once

#include <QString>
#include <QVariantMap>

// The drafts' scripts, run in the program's own world of the forum's pages
// with the page scripts' helpers (see PageScripts): they find the member's
// fields in every document of the forum's, frames written by script too,
// keyed as PageScripts says.
namespace DraftScripts {

// The member pressed an editing key (or pasted, dropped, or took an entry of
// the page's menu): marks the field with the caret as written by the member
// since the last collect. A field too small or transparent to be seen is
// not marked. Evaluates to whether one was.
QString mark(const QString &host, bool deleting);

// Evaluates to {page, doc}: the address the page was loaded from, and its
// document's key. Null on another host.
QString identify(const QString &host);

// Evaluates to {page, doc, fields, pending}: fields lists {field, text} for
// every marked field whose text changed since the last collect; a mark is
// forgotten once a collect finds its text unchanged, and pending says some
// are still held (the member's keys may reach a field after a look). A text that
// equals what was typed in a password field of the page comes as
// {field, secret: true}, without its text. Pictures and links of an
// editable area come as the forum's [img] and [url=] tags. A field found
// empty comes only if the member's keys there may have deleted text: a
// page emptying a field deletes no draft.
QString collect(const QString &host);

// Puts each draft ({field: text}) back into its field, where the field is
// empty and seen, as if typed, so that Ctrl+Z takes it out again; only in
// the document loaded from page, and not in a window another page opened
// (that page could read it there). Evaluates to {page, doc, restored,
// offered, waiting}: offered where the field holds other text, or the page
// was opened by another; waiting where the field is not there or not seen
// yet (an editor still being made). With offerOnly every draft is offered.
QString restore(const QString &host, const QString &page, const QVariantMap &drafts, bool offerOnly);

// Evaluates to {page, doc, text, fields, images, password}: the page's
// visible text outside its editable areas, every field's text, the
// addresses of the pictures shown outside them, and whether a password
// field is there: to tell whether a post was taken.
QString answer(const QString &host);

} // namespace DraftScripts
