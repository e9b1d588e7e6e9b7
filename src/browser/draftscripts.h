#pragma once

#include <QString>
#include <QStringList>

class QWebEngineScript;

// The scripts behind the journal of what the member writes. All run in the
// program's own world, where the page's scripts can neither see nor call
// them, and only on the forum's host and frames of it.
namespace DraftScripts {

// Installed in every forum page: marks the text areas and editable areas
// the member (not a script) has written in, and soon after a change writes
// inputMarker() to the console. A page could write the same words: that
// only makes the program read the fields the member wrote in once more.
QWebEngineScript watcher();
QString inputMarker();

// Evaluates to {page, fields}: the document's own address, and a list of
// {field, text} for every marked field, with its
// key: the field's name, else its id, else its position among the page's
// text areas (a same-site frame's fields carry the frame's key before a
// "/"). Null on another host.
QString collect(const QString &host);

// Puts each draft ({field: text}) back into its field where the field is
// empty, as if typed, so that Ctrl+Z takes it out again. Evaluates to
// {restored: [fields], offered: [fields]}: offered where the field already
// holds other text.
QString restore(const QString &host, const QVariantMap &drafts);

// Types text at the caret of the text area or editable area the page has
// focused (in frames of the same site too), as if typed. Evaluates to
// whether it typed.
QString insertHere(const QString &host, const QString &text);

// Evaluates to {text, fields}: the page's visible text and its text fields'
// texts by key, to tell whether a post was taken.
QString answer(const QString &host);

} // namespace DraftScripts
