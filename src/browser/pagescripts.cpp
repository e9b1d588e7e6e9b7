#include "browser/pagescripts.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace PageScripts {

QString insertAtCaret(const QString &text, const QString &host)
{
    // The values travel as JSON, so no text can break out of its string.
    const QByteArray arguments = QJsonDocument(QJsonArray{text, host}).toJson(QJsonDocument::Compact);
    return QStringLiteral(R"JS(
(function (text, host) {
    if (location.hostname !== host)
        return false;
    let field = document.activeElement;
    // Into frames of the same site only: another site's document is null here.
    while (field && (field.tagName === 'IFRAME' || field.tagName === 'FRAME')) {
        const inner = field.contentDocument;
        if (!inner || inner.location.hostname !== host)
            return false;
        field = inner.activeElement;
    }
    if (!field)
        return false;
    const textBox = field.tagName === 'INPUT'
        && ['text', 'search', 'url', 'email', ''].includes(field.type);
    const editable = field.tagName === 'TEXTAREA' || textBox || field.isContentEditable;
    if (!editable || field.readOnly || field.disabled)
        return false;
    field.focus();
    return field.ownerDocument.execCommand('insertText', false, text);
}).apply(null, %1)
)JS")
        .arg(QString::fromUtf8(arguments));
}

} // namespace PageScripts
