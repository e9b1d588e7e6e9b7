#include "browser/draftscripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineScript>

using namespace Qt::StringLiterals;

namespace DraftScripts {

namespace {

// Shared by the scripts: which elements are text fields, and their keys.
const auto fields = uR"JS(
const velmoraFields = (doc, host, prefix, visit) => {
    const areas = Array.from(doc.querySelectorAll('textarea, [contenteditable]')).filter(e =>
        e.tagName === 'TEXTAREA' || (e.isContentEditable && !(e.parentElement && e.parentElement.isContentEditable)));
    areas.forEach((e, i) => visit(e, prefix + (e.getAttribute('name') || e.id || ('#' + i))));
    let n = 0;
    for (const frame of doc.querySelectorAll('iframe, frame')) {
        let inner = null;
        try { inner = frame.contentDocument; } catch (error) {}
        // Another site's frame gives no document; it is never read.
        if (inner && inner.location.hostname === host)
            velmoraFields(inner, host, prefix + (frame.getAttribute('name') || frame.id || ('frame' + n)) + '/', visit);
        ++n;
    }
};
const velmoraText = e => e.tagName === 'TEXTAREA' ? e.value : e.innerText;
)JS"_s;

QString call(const QString &body, const QJsonArray &arguments)
{
    // The values travel as JSON, so no text can break out of its string.
    return u"(function (host, data) {\n"_s + fields + u"if (location.hostname !== host) return null;\n"_s + body
        + u"\n}).apply(null, "_s + QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)) + u")"_s;
}

} // namespace

QString inputMarker()
{
    return u"velmora:input"_s;
}

QWebEngineScript watcher()
{
    QWebEngineScript script;
    script.setName(u"velmora-journal"_s);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    // Only input the engine itself reports (typing, pasting, dropping, the
    // editor's commands) counts; a page's script cannot fake it. Text boxes
    // (<input>) are never marked: no password or search reaches the disk.
    script.setSourceCode(u"const velmoraInput = "_s
                         + QString::fromUtf8(QJsonDocument(QJsonArray{inputMarker()}).toJson(QJsonDocument::Compact))
                         + u"[0];"_s + uR"JS(
document.addEventListener('input', e => {
    if (!e.isTrusted) return;
    let field = e.target;
    if (field.tagName !== 'TEXTAREA') {
        while (field && field.parentElement && field.parentElement.isContentEditable) field = field.parentElement;
        if (!field || !field.isContentEditable) return;
    }
    field.velmoraWritten = true;
    // Tells the program once the engine has the text, a tenth of a second
    // after the first change; the text itself is fetched by the program.
    if (!window.velmoraTelling) {
        window.velmoraTelling = true;
        setTimeout(() => { window.velmoraTelling = false; console.debug(velmoraInput); }, 100);
    }
}, true);
)JS"_s);
    return script;
}

QString collect(const QString &host)
{
    return call(uR"JS(
const out = [];
velmoraFields(document, host, '', (e, key) => {
    if (e.velmoraWritten) out.push({field: key, text: velmoraText(e)});
});
return {page: location.href, fields: out};
)JS"_s,
                {host});
}

QString restore(const QString &host, const QVariantMap &drafts)
{
    return call(uR"JS(
const result = {restored: [], offered: []};
velmoraFields(document, host, '', (e, key) => {
    if (!(key in data)) return;
    const text = velmoraText(e);
    if (text === data[key]) return;
    if (text.trim() !== '') { result.offered.push(key); return; }
    e.focus();
    const selection = e.ownerDocument.getSelection();
    if (e.tagName === 'TEXTAREA') e.select(); else selection.selectAllChildren(e);
    if (e.ownerDocument.execCommand('insertText', false, data[key])) result.restored.push(key);
});
return result;
)JS"_s,
                {host, QJsonObject::fromVariantMap(drafts)});
}

QString insertHere(const QString &host, const QString &text)
{
    return call(uR"JS(
let field = document.activeElement;
while (field && (field.tagName === 'IFRAME' || field.tagName === 'FRAME')) {
    let inner = null;
    try { inner = field.contentDocument; } catch (error) {}
    if (!inner || inner.location.hostname !== host) return false;
    field = inner.activeElement;
}
if (!field || !(field.tagName === 'TEXTAREA' || field.isContentEditable) || field.readOnly || field.disabled)
    return false;
return field.ownerDocument.execCommand('insertText', false, data);
)JS"_s,
                {host, text});
}

QString answer(const QString &host)
{
    return call(uR"JS(
const fields = {};
velmoraFields(document, host, '', (e, key) => { fields[key] = velmoraText(e); });
return {text: document.body ? document.body.innerText : '', fields: fields};
)JS"_s,
                {host});
}

} // namespace DraftScripts
