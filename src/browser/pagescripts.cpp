#include "browser/pagescripts.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace PageScripts {

QString fieldWatch()
{
    // The note is a property of this world's view of the document: the
    // page's own scripts see another object and cannot read or forge it.
    return QStringLiteral(R"JS(
addEventListener('blur', event => {
    if (event.target === window)
        document.velmoraField = document.activeElement;
}, true);
)JS");
}

QString insertAtCaret(const QString &text, const QString &host)
{
    // The values travel as JSON, so no text can break out of its string.
    const QByteArray arguments = QJsonDocument(QJsonArray{text, host}).toJson(QJsonDocument::Compact);
    return QStringLiteral(R"JS(
(function (text, host) {
    if (location.hostname !== host)
        return false;
    let field = document.velmoraField;
    // The field is taken only where the page left it: a page that moved the
    // focus meanwhile, or a field now gone, gets nothing.
    if (!field || document.activeElement !== field)
        return false;
    // Into frames of the same site only: another site's document is null here.
    while (field.tagName === 'IFRAME' || field.tagName === 'FRAME') {
        const inner = field.contentDocument;
        if (!inner || inner.location.hostname !== host)
            return false;
        field = inner.velmoraField;
        if (!field || inner.activeElement !== field)
            return false;
    }
    const textBox = field.tagName === 'INPUT'
        && ['text', 'search', 'url', 'email', ''].includes(field.type);
    const editable = field.tagName === 'TEXTAREA' || textBox || field.isContentEditable;
    if (!editable || field.readOnly || field.disabled)
        return false;
    // Chromium adds text inserted by a command to the typing still open in
    // the field, so one undo would take the tag with everything typed
    // before it. Setting the selection again, unchanged, closes that typing.
    const closeTyping = () => {
        if (field.tagName === 'TEXTAREA' || (textBox && field.selectionStart !== null)) {
            field.setSelectionRange(field.selectionStart, field.selectionEnd, field.selectionDirection);
            return;
        }
        const selection = field.ownerDocument.getSelection();
        if (field.isContentEditable && selection.rangeCount)
            selection.setBaseAndExtent(selection.anchorNode, selection.anchorOffset,
                                       selection.focusNode, selection.focusOffset);
    };
    field.focus();
    closeTyping();
    const typed = field.ownerDocument.execCommand('insertText', false, text);
    closeTyping();
    return typed;
}).apply(null, %1)
)JS")
        .arg(QString::fromUtf8(arguments));
}

} // namespace PageScripts
