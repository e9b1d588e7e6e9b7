#include "drafts/draftscripts.h"

#include "web/pagescripts.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace DraftScripts {

using PageScripts::call;

QString mark(const QString &host, bool deleting)
{
    return call(uR"JS(
V.markKeyed();
const a = V.active();
const root = a && V.root(a.doc, a.element);
if (!root || !V.seen(root)) return false;
root.velmoraDirty = data || root.velmoraDirty === 'delete' ? 'delete' : 'typed';
return true;
)JS"_s,
                {host, deleting});
}

QString identify(const QString &host)
{
    return call(u"return V.page();"_s, {host});
}

QString collect(const QString &host)
{
    return call(uR"JS(
const secrets = document.velmoraSecrets || (document.velmoraSecrets = []);
V.docs(document, '', doc => {
    for (const p of doc.querySelectorAll('input[type=password]'))
        if (p.value.trim() && !secrets.includes(p.value.trim())) secrets.push(p.value.trim());
});
V.markKeyed();
const fields = [];
let pending = false;
// A field stays marked until two looks find the same text: the member's
// keys may reach it after the first look.
V.allFields((e, key) => {
    if (!e.velmoraDirty) return;
    const text = V.text(e);
    if (text === e.velmoraLast) { e.velmoraDirty = false; return; }
    e.velmoraLast = text;
    pending = true;
    if (text.trim() === '' && e.velmoraDirty !== 'delete') return;
    if (secrets.includes(text.trim())) fields.push({field: key, secret: true});
    else fields.push({field: key, text});
});
return Object.assign(V.page(), {fields, pending});
)JS"_s,
                {host});
}

QString restore(const QString &host, const QString &page, const QVariantMap &drafts, bool offerOnly)
{
    return call(uR"JS(
const [page, drafts, offerOnly] = data;
const result = Object.assign(V.page(), {restored: [], offered: [], waiting: []});
if (document.velmoraLoadedAt.replace(/#.*/, '') !== page) return result;
const found = new Set();
V.allFields((e, key) => {
    if (!(key in drafts)) return;
    found.add(key);
    const text = V.text(e);
    if (text === drafts[key]) return;
    if (text.trim() !== '' || window.opener || offerOnly) { result.offered.push(key); return; }
    if (!V.seen(e)) { result.waiting.push(key); return; }
    const doc = e.ownerDocument;
    if (doc.defaultView !== window) doc.defaultView.focus();
    e.focus();
    if (e.tagName === 'TEXTAREA') e.select(); else doc.getSelection().selectAllChildren(e);
    if (doc.execCommand('insertText', false, drafts[key])) result.restored.push(key);
});
for (const key in drafts)
    if (!found.has(key)) result.waiting.push(key);
return result;
)JS"_s,
                {host, QJsonArray{page, QJsonObject::fromVariantMap(drafts), offerOnly}});
}

QString answer(const QString &host)
{
    return call(uR"JS(
const fields = {}, images = [];
let password = false, text = document.body ? document.body.innerText : '';
V.allFields((e, key) => { fields[key] = V.text(e); });
V.docs(document, '', doc => {
    password = password || doc.querySelector('input[type=password]') !== null;
    if (doc.designMode === 'on') return;
    for (const img of doc.images)
        if (!img.isContentEditable) images.push(img.src);
});
// The words in the page's own editable areas are not the page's.
V.fields(document, '', e => {
    if (e.tagName === 'TEXTAREA') return;
    const inside = e.innerText;
    if (inside.trim()) text = text.replace(inside, '');
});
return Object.assign(V.page(), {text, fields, images, password});
)JS"_s,
                {host});
}

} // namespace DraftScripts
