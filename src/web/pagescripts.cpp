#include "web/pagescripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineScript>

using namespace Qt::StringLiterals;

namespace PageScripts {

namespace {

// Shared by the scripts. Frames are reached from the page, not from scripts
// of their own: a frame a script writes may never run one of ours.
const auto library = uR"JS(
const V = {};
V.inner = frame => {
    let d = null;
    // Another site's frame gives no document here.
    try { d = frame.contentDocument; } catch (error) {}
    return d && d.documentElement ? d : null;
};
V.frames = doc => Array.from(doc.querySelectorAll('iframe, frame'));
V.frameKey = (frame, n) => (frame.getAttribute('name') || frame.id || ('frame' + n)) + '/';
// Each document of the forum's, from doc down, with its keys' prefix.
V.docs = (doc, prefix, visit) => {
    visit(doc, prefix);
    V.frames(doc).forEach((frame, n) => {
        const inner = V.inner(frame);
        if (inner) V.docs(inner, prefix + V.frameKey(frame, n), visit);
    });
};
V.fields = (doc, prefix, visit) => {
    if (doc.designMode === 'on') {
        if (doc.body) visit(doc.body, prefix + (doc.body.getAttribute('name') || doc.body.id || '#0'));
        return;
    }
    Array.from(doc.querySelectorAll('textarea, [contenteditable]'))
        .filter(e => e.tagName === 'TEXTAREA' || (e.isContentEditable && !(e.parentElement && e.parentElement.isContentEditable)))
        .forEach((e, i) => visit(e, prefix + (e.getAttribute('name') || e.id || ('#' + i))));
};
V.allFields = visit => V.docs(document, '', (doc, prefix) => V.fields(doc, prefix, visit));
// The fields the member's keys reached since the last look are marked
// (see the watcher), wherever the caret is now.
V.markKeyed = () => V.allFields(e => {
    if (!e.velmoraKeyed) return;
    if (V.seen(e)) e.velmoraDirty = e.velmoraKeyed === 'delete' || e.velmoraDirty === 'delete' ? 'delete' : 'typed';
    e.velmoraKeyed = false;
});
// The element with the caret, in whichever document of the forum's has it.
V.active = () => {
    let doc = document, prefix = '';
    for (;;) {
        const e = doc.activeElement;
        if (!e) return null;
        if (e.tagName !== 'IFRAME' && e.tagName !== 'FRAME') return {doc, prefix, element: e};
        const inner = V.inner(e);
        if (!inner) return null;
        prefix += V.frameKey(e, V.frames(doc).indexOf(e));
        doc = inner;
    }
};
V.root = (doc, e) => {
    if (e.tagName === 'TEXTAREA') return e;
    if (doc.designMode === 'on') return doc.body;
    if (!e.isContentEditable) return null;
    while (e.parentElement && e.parentElement.isContentEditable) e = e.parentElement;
    return e;
};
V.keyOf = (doc, prefix, root) => {
    let key = null;
    V.fields(doc, prefix, (e, k) => { if (e === root) key = k; });
    return key;
};
// Whether the member can see e: a box of some size, not hidden nor
// transparent, in frames that are seen too.
V.seen = e => {
    for (let el = e; el; ) {
        const doc = el.ownerDocument, win = doc.defaultView;
        if (el !== doc.body && el !== doc.documentElement) {
            const box = el.getBoundingClientRect();
            if (box.width < 8 || box.height < 8) return false;
            if (win.getComputedStyle(el).visibility !== 'visible') return false;
        }
        for (let up = el; up && up.nodeType === 1; up = up.parentElement)
            if (Number(win.getComputedStyle(up).opacity) === 0) return false;
        el = win.frameElement;
    }
    return true;
};
// A field's text; an editable area's pictures and links as the forum's tags.
V.text = e => {
    if (e.tagName === 'TEXTAREA') return e.value;
    const win = e.ownerDocument.defaultView;
    const pre = /^pre/.test(win.getComputedStyle(e).whiteSpace);
    let out = '';
    const newline = () => { if (out !== '' && !out.endsWith('\n')) out += '\n'; };
    const walk = node => {
        for (let n = node.firstChild; n; n = n.nextSibling) {
            if (n.nodeType === 3) {
                const t = n.data.replace(/\u00a0/g, ' ');
                out += pre ? t : t.replace(/[\t\n\r ]+/g, ' ');
                continue;
            }
            if (n.nodeType !== 1) continue;
            const tag = n.tagName;
            if (tag === 'BR') { out += '\n'; continue; }
            if (tag === 'IMG') { if (/^https?:/i.test(n.src)) out += '[img]' + n.src + '[/img]'; continue; }
            if (/^(SCRIPT|STYLE|TEMPLATE|NOSCRIPT)$/.test(tag)) continue;
            const block = /^(P|DIV|LI|UL|OL|H[1-6]|BLOCKQUOTE|PRE|TABLE|TR|SECTION|ARTICLE)$/.test(tag);
            if (block) newline();
            if (tag === 'A' && /^https?:/i.test(n.href)) {
                out += '[url=' + n.href + ']';
                walk(n);
                out += '[/url]';
            } else {
                walk(n);
            }
            if (block) newline();
        }
    };
    walk(e);
    return out.replace(/\n+$/, '');
};
V.page = () => ({page: document.velmoraLoadedAt || null, doc: document.velmoraDoc || null});
)JS"_s;

} // namespace

QString call(const QString &body, const QJsonArray &arguments)
{
    // The values travel as JSON, so no text can break out of its string.
    return u"(function (host, data) {\n"_s + library
        + u"if (!document.velmoraLoadedAt || new URL(document.velmoraLoadedAt).hostname !== host) return null;\n"_s
        + body + u"\n}).apply(null, "_s + QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact))
        + u")"_s;
}

QWebEngineScript watcher(const QString &secret, bool guardAltKeys)
{
    QWebEngineScript script;
    script.setName(u"velmora-watcher"_s);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    // The values travel as JSON, so no text can break out of its string.
    const QString settings = QString::fromUtf8(QJsonDocument(QJsonArray{secret, guardAltKeys}).toJson(QJsonDocument::Compact));
    script.setSourceCode(u"(([secret, guardAltKeys]) => {\n"_s + uR"JS(
const tell = what => console.debug('velmora:' + secret + ':' + JSON.stringify(what));
// The document keeps the address it was loaded from: document.open() writes
// a new root into the same document, and runs this again.
if (window === window.top && !document.velmoraLoadedAt) {
    document.velmoraLoadedAt = location.href;
    document.velmoraDoc = Array.from(crypto.getRandomValues(new Uint32Array(4)), n => n.toString(36)).join('');
    tell({made: true});
}
// What a click or key landed on, in the document it landed in.
const landedOn = (target, key) => {
    const el = target && target.nodeType === 1 ? target : target && target.parentElement;
    const win = el ? el.ownerDocument.defaultView : window;
    let forum = false;
    try { forum = !!win.top.document; } catch (error) {}
    const out = {target: 'none', top: win === win.top, forum};
    if (!el || win.innerWidth * win.innerHeight < 400) return out;
    const link = el.closest('a[href], area[href]');
    if (link && key !== ' ') {
        const here = link.href.split('#')[0] === el.ownerDocument.location.href.split('#')[0];
        if (/^(https?|mailto|tel|ftp):/i.test(link.href) && !here) { out.target = 'link'; out.href = link.href; }
        else out.target = 'button';
        return out;
    }
    if (el.closest('button, input[type=submit], input[type=button], input[type=image], input[type=reset], '
                   + '[role=button], [role=link], summary'))
        out.target = 'button';
    else if (key === 'Enter' && el.tagName === 'INPUT' && el.form)
        out.target = 'button';
    return out;
};
// The field the member's own key, paste or drop (trusted: no script makes
// one) landed in keeps the mark until the journal looks, however late.
const editingKey = e => (e.key.length === 1 && !e.ctrlKey && !e.metaKey && !e.altKey)
    || ['Backspace', 'Delete', 'Enter'].includes(e.key)
    || ((e.ctrlKey || e.metaKey) && /^[vxyz]$/i.test(e.key));
const keyed = (target, deleting) => {
    let el = target && target.nodeType === 1 ? target : target && target.parentElement;
    if (!el) return;
    if (el.ownerDocument.designMode === 'on') el = el.ownerDocument.body;
    else if (el.tagName !== 'TEXTAREA') {
        if (!el.isContentEditable) return;
        while (el.parentElement && el.parentElement.isContentEditable) el = el.parentElement;
    }
    el.velmoraKeyed = deleting || el.velmoraKeyed === 'delete' ? 'delete' : 'typed';
};
let pending = false;
const walkSoon = () => {
    if (pending) return;
    pending = true;
    setTimeout(() => { pending = false; walk(document); }, 0);
};
const guard = doc => {
    const win = doc.defaultView;
    if (!win) return;
    // A document just made has no root yet: its coming is seen here.
    if (!doc.velmoraObserved) {
        doc.velmoraObserved = true;
        new MutationObserver(walkSoon).observe(doc, {childList: true, subtree: true});
    }
    // document.open() drops the listeners, and the root with them.
    const root = doc.documentElement;
    if (!root || root.velmoraGuarded) return;
    root.velmoraGuarded = true;
    win.addEventListener('pointerdown', e => {
        if (e.isTrusted && e.button <= 1) tell({gesture: landedOn(e.target)});
    }, true);
    let alt = false;
    win.addEventListener('keydown', e => {
        if (e.isTrusted && (e.key === 'Enter' || e.key === ' ')) tell({gesture: landedOn(e.target, e.key)});
        alt = guardAltKeys && e.isTrusted && e.altKey && !e.ctrlKey && !e.metaKey;
        if (e.isTrusted && editingKey(e)) keyed(e.target, !(e.key.length === 1 && !e.ctrlKey && !e.metaKey));
    }, true);
    win.addEventListener('paste', e => { if (e.isTrusted) keyed(e.target, true); }, true);
    win.addEventListener('drop', e => { if (e.isTrusted) keyed(e.target, true); }, true);
    // The letter comes as text typed after the key went down.
    win.addEventListener('keyup', () => { alt = false; }, true);
    win.addEventListener('beforeinput', e => {
        if (alt && e.isTrusted && e.inputType === 'insertText') e.preventDefault();
    }, true);
    doc.addEventListener('load', e => {
        if (e.target.tagName === 'IFRAME' || e.target.tagName === 'FRAME') walkSoon();
    }, true);
};
const walk = doc => {
    guard(doc);
    for (const frame of doc.querySelectorAll('iframe, frame')) {
        let inner = null;
        try { inner = frame.contentDocument; } catch (error) {}
        if (inner) walk(inner);
    }
};
walk(document);
)JS"_s + u"})("_s + settings + u");"_s);
    return script;
}

QString note(const QString &host)
{
    return call(uR"JS(
const a = V.active();
document.velmoraNoted = a ? a.element : null;
return true;
)JS"_s,
                {host});
}

QString insertAtCaret(const QString &text, const QString &host, bool anywhere)
{
    return call(uR"JS(
const [text, anywhere] = data;
const a = V.active();
// The field is taken only where the member left it: a page that moved the
// caret meanwhile, or a field now gone, gets nothing.
if (!a || (!anywhere && document.velmoraNoted !== a.element)) return '';
const field = a.element;
const textBox = field.tagName === 'INPUT' && ['text', 'search', 'url', 'email', ''].includes(field.type);
const root = textBox ? field : V.root(a.doc, field);
if (!root || field.readOnly || field.disabled) return '';
const hasValue = field.tagName === 'TEXTAREA' || textBox;
// A field that would cut the text short gets none of it.
if (hasValue && field.maxLength >= 0
    && field.value.length - (field.selectionEnd - field.selectionStart) + text.length > field.maxLength)
    return 'toolong';
// Chromium adds text inserted by a command to the typing still open in the
// field, so one undo would take the tag with everything typed before it.
// Setting the selection again, unchanged, closes that typing.
const closeTyping = () => {
    if (hasValue && field.selectionStart !== null) {
        field.setSelectionRange(field.selectionStart, field.selectionEnd, field.selectionDirection);
        return;
    }
    const selection = a.doc.getSelection();
    if (selection.rangeCount)
        selection.setBaseAndExtent(selection.anchorNode, selection.anchorOffset,
                                   selection.focusNode, selection.focusOffset);
};
field.focus();
closeTyping();
const typed = a.doc.execCommand('insertText', false, text);
closeTyping();
if (typed) root.velmoraDirty = true;
return typed ? 'typed' : '';
)JS"_s,
                {host, QJsonArray{text, anywhere}});
}

QString readable(const QString &host)
{
    return call(uR"JS(
const out = {title: document.title, blocks: []};
// A page of millions of words is read up to here.
let budget = 2000000;
const SKIP = /^(SCRIPT|STYLE|NOSCRIPT|TEMPLATE|HEAD|TITLE|META|LINK|SVG|CANVAS|VIDEO|AUDIO|OBJECT|EMBED|SELECT|TEXTAREA)$/;
const BLOCK = /^(P|DIV|SECTION|ARTICLE|MAIN|HEADER|FOOTER|NAV|ASIDE|BLOCKQUOTE|FORM|FIELDSET|PRE|ADDRESS|FIGURE|FIGCAPTION|DL|DT|DD|CENTER|HR|LI|TR|TD|TH|CAPTION|LEGEND)$/;
const hidden = el => el.hidden || el.getAttribute('aria-hidden') === 'true' || el.getClientRects().length === 0;
const text = (runs, s) => {
    if (budget <= 0) return;
    s = s.slice(0, budget);
    budget -= s.length;
    runs.push({t: 'text', s});
};
// The inline content of node's children, into runs.
const inline = (node, runs) => {
    for (let n = node.firstChild; n; n = n.nextSibling) one(n, runs);
};
const one = (n, runs) => {
    if (n.nodeType === 3) { text(runs, n.data.replace(/\s+/g, ' ')); return; }
    if (n.nodeType !== 1 || SKIP.test(n.tagName) || hidden(n)) return;
    const tag = n.tagName;
    if (tag === 'BR') { text(runs, '\n'); return; }
    if (tag === 'IMG') {
        // An empty alternative text marks a picture as decoration.
        const alt = n.getAttribute('alt');
        if (alt !== '') runs.push({t: 'img', s: (alt || n.title || n.src).slice(0, 500)});
        return;
    }
    if (tag === 'INPUT') {
        if (['submit', 'button', 'reset'].includes(n.type) && n.value) text(runs, ' ' + n.value + ' ');
        return;
    }
    if (tag === 'A' && /^https?:/i.test(n.href)) {
        const inner = [];
        inline(n, inner);
        const words = inner.map(r => r.s).join('').replace(/\s+/g, ' ').trim();
        runs.push({t: 'link', s: words || n.title || n.href, href: n.href});
        return;
    }
    if (tag === 'IFRAME' || tag === 'FRAME') {
        const d = V.inner(n);
        if (d && d.body) inline(d.body, runs);
        return;
    }
    const spaced = BLOCK.test(tag) || /^(H[1-6]|UL|OL|TABLE)$/.test(tag);
    if (spaced) text(runs, ' ');
    inline(n, runs);
    if (spaced) text(runs, ' ');
};
let para = null;
const flush = () => {
    if (para && para.some(r => r.t !== 'text' || r.s.trim())) out.blocks.push({type: 'p', runs: para});
    para = null;
};
const runsOf = node => { const runs = []; inline(node, runs); return runs; };
const flow = node => {
    for (let n = node.firstChild; n && budget > 0; n = n.nextSibling) {
        if (n.nodeType === 1 && (SKIP.test(n.tagName) || hidden(n))) continue;
        const tag = n.nodeType === 1 ? n.tagName : '';
        const heading = /^H([1-6])$/.exec(tag);
        if (heading || (n.nodeType === 1 && n.getAttribute('role') === 'heading')) {
            flush();
            out.blocks.push({type: 'h', level: heading ? Number(heading[1]) : Number(n.getAttribute('aria-level') || 2),
                             runs: runsOf(n)});
        } else if (tag === 'UL' || tag === 'OL') {
            flush();
            const items = Array.from(n.children).filter(li => li.tagName === 'LI' && !hidden(li)).map(runsOf);
            out.blocks.push({type: 'list', ordered: tag === 'OL', items});
        } else if (tag === 'TABLE') {
            flush();
            const rows = Array.from(n.rows).filter(tr => !hidden(tr)).map(tr => Array.from(tr.cells).map(c => (
                {header: c.tagName === 'TH' || tr.parentElement.tagName === 'THEAD', runs: runsOf(c)})));
            out.blocks.push({type: 'table', rows});
        } else if (tag === 'IFRAME' || tag === 'FRAME') {
            const d = V.inner(n);
            if (d && d.body) { flush(); flow(d.body); flush(); }
        } else if (BLOCK.test(tag)) {
            flush();
            flow(n);
            flush();
        } else {
            para = para || [];
            one(n, para);
        }
    }
};
if (document.body) flow(document.body);
flush();
return out;
)JS"_s,
                {host});
}

} // namespace PageScripts
