#include "forumserver.h"

#include <QBuffer>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QUrlQuery>

#include <vector>

namespace {

QHttpServerResponse html(const QString &title, const QString &body,
                         QHttpServerResponse::StatusCode status = QHttpServerResponse::StatusCode::Ok)
{
    return ForumServer::page(title, body, status);
}

// Links as large blocks, one under another, so a test can click each.
QString links(const QStringList &anchors)
{
    QString body = QStringLiteral("<style>a{display:block;height:40px;width:400px;margin:0;padding:0}"
                                  "body{margin:0}</style>");
    for (const QString &a : anchors)
        body += a;
    return body;
}

} // namespace

ForumServer::ForumServer(QObject *parent)
    : QObject(parent)
{
    // A forum's pages as a browser meets them.
    m_server.route(QStringLiteral("/forum/link.html"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/link.html"));
        const QString other = QStringLiteral("http://localhost:%1/forum/seconda.html").arg(request.url().port());
        return html(QStringLiteral("Collegamenti"),
                    links({QStringLiteral("<a id=\"nuova\" target=\"_blank\" href=\"chiudibile.html\">Nuova</a>"),
                           QStringLiteral("<a id=\"rispondinuova\" target=\"_blank\" href=\"post.php\">Rispondi</a>"),
                           QStringLiteral("<a id=\"fuori\" href=\"%1\">Fuori</a>").arg(other),
                           QStringLiteral("<a id=\"fuorinuova\" target=\"_blank\" href=\"%1\">Fuori</a>").arg(other),
                           QStringLiteral("<a id=\"posta\" href=\"mailto:admin@velmora.test\">Posta</a>"),
                           QStringLiteral("<a id=\"file\" href=\"file:///etc/hostname\">File</a>"),
                           QStringLiteral("<a id=\"interna\" href=\"seconda.html\">Interna</a>")}));
    });
    m_server.route(QStringLiteral("/forum/chiudibile.html"), [this] {
        requests.append(QStringLiteral("/forum/chiudibile.html"));
        return html(QStringLiteral("Finestra del forum"), QStringLiteral("<p>Si chiude da sola.</p>"));
    });
    m_server.route(QStringLiteral("/forum/finestra.html"), [this] {
        requests.append(QStringLiteral("/forum/finestra.html"));
        return html(QStringLiteral("Finestra"),
                    QStringLiteral("<script>document.title = window.open('seconda.html') ? 'aperta' : 'bloccata';"
                                   "</script>"));
    });
    m_server.route(QStringLiteral("/forum/allegato.zip"), [this] {
        requests.append(QStringLiteral("/forum/allegato.zip"));
        QHttpServerResponse response(QByteArrayLiteral("application/zip"), attachment());
        response.setHeader(QByteArrayLiteral("Content-Disposition"),
                           QByteArrayLiteral("attachment; filename=\"nome.zip\""));
        return response;
    });
    m_server.route(QStringLiteral("/forum/allegato-lungo.zip"), [this] {
        requests.append(QStringLiteral("/forum/allegato-lungo.zip"));
        QHttpServerResponse response(QByteArrayLiteral("application/zip"), attachment());
        response.setHeader(QByteArrayLiteral("Content-Disposition"),
                           "attachment; filename=\"" + QByteArray(296, 'n') + ".zip\"");
        return response;
    });
    // Pages that try to act without the member.
    m_server.route(QStringLiteral("/forum/rimanda.html"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/rimanda.html"));
        const QString other = QStringLiteral("http://localhost:%1/forum/seconda.html").arg(request.url().port());
        return html(QStringLiteral("Rimanda"),
                    links({QStringLiteral("<a id=\"vai\" href=\"#\" onclick=\"away(); return false\">Vai</a>")})
                        + QStringLiteral("<script>let runs = 0; function away() { for (let i = 0; i < 5; ++i)"
                                         " setTimeout(() => location.href = '%1?' + i, 100 * i);"
                                         " setTimeout(() => document.title = 'Rimandata ' + ++runs, 600); }"
                                         "away();</script>")
                              .arg(other));
    });
    m_server.route(QStringLiteral("/forum/allegati.html"), [this] {
        requests.append(QStringLiteral("/forum/allegati.html"));
        QString frames;
        for (int i = 1; i <= 4; ++i)
            frames += QStringLiteral("<iframe style=\"display:none\" src=\"allegato.zip?n=%1\"></iframe>").arg(i);
        return html(QStringLiteral("Allegati"),
                    links({QStringLiteral("<a id=\"scarica\" href=\"allegato.zip\">Scarica</a>"),
                           QStringLiteral("<a id=\"avanti\" href=\"scarica.html\">Avanti</a>")})
                        + frames);
    });
    m_server.route(QStringLiteral("/forum/scarica.html"), [this] {
        requests.append(QStringLiteral("/forum/scarica.html"));
        return html(QStringLiteral("Scarica"),
                    QStringLiteral("<script>onload = () => setTimeout(() => location.href = 'allegato.zip?n=5', 100);"
                                   "</script>"));
    });
    m_server.route(QStringLiteral("/forum/botta.html"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/botta.html"));
        // Each box here answers one of the frame's, for ever.
        return html(QStringLiteral("Botta"),
                    QStringLiteral("<iframe src=\"http://localhost:%1/estero/risposta.html\"></iframe>"
                                   "<script>let n = 0; addEventListener('message', () => { alert('botta ' + ++n);"
                                   " frames[0].postMessage('tocca a te', '*'); });</script>")
                        .arg(request.url().port()));
    });
    m_server.route(QStringLiteral("/estero/risposta.html"), [this] {
        requests.append(QStringLiteral("/estero/risposta.html"));
        return html(QStringLiteral("Risposta"),
                    QStringLiteral("<script>addEventListener('message', () => { alert('risposta');"
                                   " parent.postMessage('tocca a te', '*'); });"
                                   "parent.postMessage('comincia', '*');</script>"));
    });
    m_server.route(QStringLiteral("/forum/accedi"), [this] {
        requests.append(QStringLiteral("/forum/accedi"));
        // A session cookie: no expiry, so a browser forgets it when it ends.
        QHttpServerResponse response = html(QStringLiteral("Accesso"), QStringLiteral("<p>Benvenuto</p>"));
        response.setHeader(QByteArrayLiteral("Set-Cookie"), QByteArrayLiteral("sessione=utente1; Path=/"));
        return response;
    });
    m_server.route(QStringLiteral("/forum/chi.html"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/forum/chi.html"));
        const bool in = request.value(QByteArrayLiteral("Cookie")).contains("sessione=utente1");
        return html(in ? QStringLiteral("Utente") : QStringLiteral("Ospite"), QString());
    });
    m_server.route(QStringLiteral("/forum/bozza.html"), [this] {
        requests.append(QStringLiteral("/forum/bozza.html"));
        return html(QStringLiteral("Bozza"),
                    QStringLiteral("<textarea id=\"testo\" style=\"width:400px;height:200px\"></textarea>"
                                   "<script>addEventListener('beforeunload', e => { e.preventDefault();"
                                   " e.returnValue = ''; });</script>"));
    });
    m_server.route(QStringLiteral("/forum/permessi.html"), [this] {
        requests.append(QStringLiteral("/forum/permessi.html"));
        return html(QStringLiteral("Permessi"),
                    QStringLiteral("<script>const answers = [];"
                                   "const done = a => { answers.push(a); if (answers.length === 2)"
                                   " document.title = answers.sort().join(' '); };"
                                   "navigator.geolocation.getCurrentPosition(() => done('posizione-data'),"
                                   " () => done('posizione-negata'));"
                                   "Notification.requestPermission().then(p => done('notifiche-' + p));"
                                   "</script>"));
    });
    m_server.route(QStringLiteral("/forum/scrivi.html"), [this] {
        requests.append(QStringLiteral("/forum/scrivi.html"));
        return html(QStringLiteral("Scrivi"),
                    QStringLiteral("<form method=\"post\" action=\"invia\"><input name=\"testo\" value=\"ciao\">"
                                   "</form>"));
    });
    m_server.route(QStringLiteral("/forum/invia"), QHttpServerRequest::Method::Post, [this] {
        requests.append(QStringLiteral("POST /forum/invia"));
        return html(QStringLiteral("Inviato"), QStringLiteral("<p>Messaggio inviato</p>"));
    });

    m_server.route(
        QStringLiteral("/forum/post.php"), QHttpServerRequest::Method::Get, [this](const QHttpServerRequest &request) {
            requests.append(QStringLiteral("/forum/post.php"));
            // Replying with a quote, the forum fills the message with it.
            const bool noisy = request.query().hasQueryItem(QStringLiteral("rumore"));
            const QString quote = request.query().hasQueryItem(QStringLiteral("cita"))
                ? QStringLiteral("[quote]Testo citato[/quote]\n")
                : QString();
            return html(QStringLiteral("Rispondi alla discussione"),
                        QStringLiteral("<form method=\"post\" action=\"post.php\"><input name=\"req_subject\">"
                                       "<input type=\"password\" name=\"req_password\">"
                                       "<textarea name=\"req_message\" rows=\"8\">%2</textarea>"
                                       "<input type=\"submit\" value=\"Invia\"></form>"
                                       "<iframe id=\"f\" src=\"http://localhost:%1/estero/area.html%3\"></iframe>"
                                       "<script>document.forms[0].req_message.focus();%4</script>")
                            .arg(m_port)
                            .arg(quote, noisy ? QStringLiteral("?rumore") : QString(),
                                 // The words a journal might listen for, for ever.
                                 noisy ? QStringLiteral("setInterval(() => console.debug('velmora:input'), 100);")
                                       : QString()));
        });
    m_server.route(
        QStringLiteral("/forum/post.php"), QHttpServerRequest::Method::Post, [this](const QHttpServerRequest &request) {
            requests.append(QStringLiteral("POST /forum/post.php"));
            if (QUrlQuery(request.url()).hasQueryItem(QStringLiteral("errore")))
                return html(QStringLiteral("Errore"),
                            QStringLiteral("<h1>Errore del database</h1><p>INSERT INTO posts VALUES ('%1')</p>")
                                .arg(QUrlQuery(QString::fromUtf8(request.body()).replace(QLatin1Char('+'), QLatin1Char(' ')))
                                         .queryItemValue(QStringLiteral("req_message"), QUrl::FullyDecoded)
                                         .toHtmlEscaped()),
                            QHttpServerResponse::StatusCode::InternalServerError);
            if (loginExpired)
                return html(
                    QStringLiteral("Accesso"),
                    QStringLiteral("<p>Devi accedere per scrivere.</p><form method=\"post\" action=\"login.php\">"
                                   "<input name=\"req_username\"><input type=\"password\" name=\"req_password\">"
                                   "</form>"));
            const QUrlQuery form(QString::fromUtf8(request.body()).replace(QLatin1Char('+'), QLatin1Char(' ')));
            posted.append(form.queryItemValue(QStringLiteral("req_message"), QUrl::FullyDecoded));
            QHttpServerResponse redirect(QHttpServerResponse::StatusCode::SeeOther);
            redirect.setHeader(QByteArrayLiteral("Location"), QByteArrayLiteral("viewtopic.php"));
            return redirect;
        });
    m_server.route(QStringLiteral("/forum/viewtopic.php"), [this] {
        requests.append(QStringLiteral("/forum/viewtopic.php"));
        QString posts;
        for (const QString &message : std::as_const(posted))
            posts += QStringLiteral("<div class=\"post\">%1</div>")
                         .arg(message.toHtmlEscaped()
                                  .replace(QStringLiteral("[b]"), QStringLiteral("<b>"))
                                  .replace(QStringLiteral("[/b]"), QStringLiteral("</b>")));
        // Its messages with their tags drawn, and a quick reply under them,
        // empty, as forums have.
        return html(QStringLiteral("Discussione"),
                    posts
                        + QStringLiteral("<form method=\"post\" action=\"post.php\">"
                                         "<textarea name=\"req_message\"></textarea></form>"));
    });
    m_server.route(QStringLiteral("/estero/area.html"), [this](const QHttpServerRequest &request) {
        requests.append(QStringLiteral("/estero/area.html"));
        const bool noisy = request.query().hasQueryItem(QStringLiteral("rumore"));
        return html(QStringLiteral("Altro sito"),
                    QStringLiteral("<textarea id=\"a\"></textarea><script>%1const a = document.getElementById('a');"
                                   "addEventListener('focus', () => a.focus());"
                                   "a.addEventListener('input', () => parent.postMessage(a.value, '*'));</script>")
                        .arg(noisy ? QStringLiteral("setInterval(() => console.debug('velmora:input'), 100);")
                                   : QString()));
    });

    m_server.route(QStringLiteral("/forum/"), [this] {
        requests.append(QStringLiteral("/forum/"));
        return html(homeTitle(), QStringLiteral("<h1>Velmora</h1><a id=\"next\" href=\"seconda.html\">Seconda</a>"));
    });
    m_server.route(QStringLiteral("/forum/seconda.html"), [this] {
        requests.append(QStringLiteral("/forum/seconda.html"));
        return html(QStringLiteral("Seconda Pagina"), QStringLiteral("<p>Seconda</p>"));
    });
    m_server.route(QStringLiteral("/forum/script.html"), [this] {
        requests.append(QStringLiteral("/forum/script.html"));
        return html(QStringLiteral("Senza script"), QStringLiteral("<script>document.title = 'Con script';</script>"));
    });
    m_server.route(QStringLiteral("/forum/dopo.html"), [this] {
        requests.append(QStringLiteral("/forum/dopo.html"));
        // As a forum's scripts do once the page is shown: the page moves to
        // an anchor of its own, and later counts what is new in its title.
        return html(QStringLiteral("Prima"),
                    QStringLiteral("<p id=\"sotto\">Sotto</p><script>addEventListener('load', () => {"
                                   " setTimeout(() => location.hash = 'sotto', 300);"
                                   " setTimeout(() => document.title = '(1) Dopo', 900); });</script>"));
    });
    m_server.route(QStringLiteral("/forum/rispondi.html"), [this] {
        requests.append(QStringLiteral("/forum/rispondi.html"));
        // A reply page as forum software makes it: the text area takes the
        // focus on load, and the page counts its input events.
        return html(QStringLiteral("Rispondi"),
                    QStringLiteral("<img id=\"g\" src=\"/iconario/Yahoo/1.gif\" width=\"40\" height=\"40\">"
                                   "<p>emoticon uno, emoticon due, emoticon tre</p>"
                                   "<textarea id=\"t\">Ciao X mondo</textarea>"
                                   "<input id=\"i\" value=\"Titolo\">"
                                   "<div id=\"d\" contenteditable=\"true\">Testo</div>"
                                   "<iframe id=\"f\" src=\"http://localhost:%1/estero/campo.html\"></iframe>"
                                   "<script>window.inputs = 0;"
                                   "document.addEventListener('input', () => ++window.inputs);"
                                   "document.getElementById('t').focus();</script>")
                        .arg(m_port));
    });
    m_server.route(QStringLiteral("/forum/nuova.html"), [this] {
        requests.append(QStringLiteral("/forum/nuova.html"));
        // A new topic as FluxBB makes it: the subject takes the focus on
        // load and comes first in tab order; its editor toolbar, put before
        // the message, has focusable buttons that rewrite the message's
        // value whole, and its key and click handlers read the caret.
        return html(QStringLiteral("Nuova discussione"), QStringLiteral(R"(
<style>body{margin:0} input,textarea{display:block;width:500px} #vuoto{height:150px}</style>
<form id="post" method="post" action="invia">
<input type="text" id="s" name="req_subject" maxlength="70" tabindex="1">
<textarea id="m" name="req_message" rows="6" tabindex="2"></textarea>
</form>
<div id="vuoto"></div>
<script>
(function () {
    const message = document.getElementById('m');
    const bar = document.createElement('div');
    for (const [open, close] of [['[b]', '[/b]'], ['[i]', '[/i]'], ['[img]', '[/img]']]) {
        const button = document.createElement('img');
        button.alt = open;
        button.width = button.height = 16;
        button.tabIndex = 3;
        button.onclick = () => {
            message.focus();
            const start = message.selectionStart, end = message.selectionEnd, text = message.value;
            message.value = text.substring(0, start) + open + text.substring(start, end) + close
                + text.substring(end);
            message.selectionStart = message.selectionEnd = start + open.length;
            return false;
        };
        bar.appendChild(button);
    }
    message.parentNode.insertBefore(bar, message);
    const readCaret = event => { window.caret = event.target.selectionStart; };
    for (const field of [message, document.getElementById('s')])
        for (const type of ['click', 'keydown', 'keypress', 'keyup', 'blur'])
            field.addEventListener(type, readCaret);
    addEventListener('load', () => document.getElementById('s').focus());
})();
</script>)"));
    });
    m_server.route(QStringLiteral("/estero/campo.html"), [this] {
        requests.append(QStringLiteral("/estero/campo.html"));
        return html(QStringLiteral("Campo estero"),
                    QStringLiteral("<input id=\"x\"><script>window.addEventListener('focus', "
                                   "() => document.getElementById('x').focus());</script>"));
    });
    m_server.route(QStringLiteral("/forum/images/logo_velmora.gif"), [this] {
        requests.append(QStringLiteral("/forum/images/logo_velmora.gif"));
        return QHttpServerResponse(QByteArrayLiteral("image/gif"), gif());
    });
    m_server.route(QStringLiteral("/iconario/<arg>/<arg>"), [this](const QString &set, const QString &file) {
        requests.append(QStringLiteral("/iconario/%1/%2").arg(set, file));
        return QHttpServerResponse(QByteArrayLiteral("image/gif"), gif());
    });
    m_server.route(QStringLiteral("/immagini/rosso.png"), [this] {
        requests.append(QStringLiteral("/immagini/rosso.png"));
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        red.save(&buffer, "PNG");
        return QHttpServerResponse(QByteArrayLiteral("image/png"), png);
    });
    m_server.route(QStringLiteral("/immagini/animata.gif"), [this] {
        requests.append(QStringLiteral("/immagini/animata.gif"));
        QFile animated(QStringLiteral(":/ok.gif"));
        animated.open(QIODevice::ReadOnly);
        return QHttpServerResponse(QByteArrayLiteral("image/gif"), animated.readAll());
    });
    m_server.route(QStringLiteral("/immagini/manca.gif"), [this] {
        requests.append(QStringLiteral("/immagini/manca.gif"));
        return html(QStringLiteral("Non trovato"), QStringLiteral("<h1>404</h1>"),
                    QHttpServerResponse::StatusCode::NotFound);
    });
    m_server.route(QStringLiteral("/immagini/grande/<arg>.gif"), [this](int side) {
        requests.append(QStringLiteral("/immagini/grande/%1.gif").arg(side));
        return QHttpServerResponse(QByteArrayLiteral("image/gif"), animation(side));
    });
    addRichForum();
}

QHttpServerResponse ForumServer::page(const QString &title, const QString &body, QHttpServerResponse::StatusCode status,
                                      const QString &head)
{
    const QString page = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>%3"
                                        "</head><body>%2</body></html>")
                             .arg(title, body, head);
    return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), page.toUtf8(), status);
}

bool ForumServer::start()
{
    m_port = m_server.listen(QHostAddress::LocalHost, 0);
    // Answers given by hand, on a port of their own, where a connection may
    // be left waiting: QHttpServer 6.4 writes a late answer to a connection
    // the client has already dropped, and crashes.
    connect(&m_slow, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_slow.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->readAll();
                if (!request.contains("\r\n\r\n"))
                    return;
                const QByteArray path = request.split(' ').value(1);
                if (path == "/forum/lenta.html" || path.startsWith("/lenta/")) {
                    requests.append(QString::fromLatin1(path));
                    const bool page = path == "/forum/lenta.html";
                    const QByteArray body = page
                        ? QByteArrayLiteral("<!DOCTYPE html><html><head><title>Pagina "
                                            "Lenta</title></head><body><p>Lenta</p></body></html>")
                        : gif();
                    m_held.append(
                        {socket,
                         "HTTP/1.1 200 OK\r\nContent-Type: "
                             + (page ? QByteArrayLiteral("text/html; charset=utf-8") : QByteArrayLiteral("image/gif"))
                             + "\r\nContent-Length: " + QByteArray::number(body.size())
                             + "\r\nConnection: close\r\n\r\n" + body});
                    return;
                }
                // A page that starts and never ends, where a picture was due.
                if (request.startsWith("GET /immagini/muta")) {
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n"
                                  "<html><body><p>Un momento");
                    return;
                }
                // A download that starts and never ends: headers and a first
                // part, then silence until the connection is dropped.
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\n"
                              "Content-Disposition: attachment; filename=\"lento.zip\"\r\n"
                              "Content-Length: 1000000\r\n\r\n");
                socket->write(QByteArray(1000, 'x'));
            });
        }
    });
    return m_port != 0 && m_slow.listen(QHostAddress::LocalHost, 0);
}

QString ForumServer::stalledPageUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/immagini/muta.gif").arg(m_slow.serverPort());
}

QString ForumServer::slowDownloadUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/forum/lento.zip").arg(m_slow.serverPort());
}

void ForumServer::dropSlowDownloads()
{
    const QList<QTcpSocket *> sockets = m_slow.findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets)
        socket->abort();
}

QByteArray ForumServer::attachment()
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i % 251));
    return bytes;
}

QString ForumServer::url(const QString &path) const
{
    const bool held = path == u"forum/lenta.html" || path.startsWith(u"lenta/");
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(held ? m_slow.serverPort() : m_port).arg(path);
}

void ForumServer::releaseHeld()
{
    for (const Held &held : std::exchange(m_held, {})) {
        if (held.socket && held.socket->state() == QAbstractSocket::ConnectedState) {
            held.socket->write(held.answer);
            held.socket->disconnectFromHost();
        }
    }
}

QByteArray ForumServer::gif()
{
    // A 1 x 1 transparent GIF.
    static const unsigned char bytes[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                                          0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04,
                                          0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01,
                                          0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

namespace {

// GIF's LZW with 8-bit codes, as giflib writes it; codes go out least
// significant bit first in blocks of up to 255 bytes.
class LzwWriter
{
public:
    explicit LzwWriter(QByteArray &out)
        : m_out(out)
    {
    }

    void compress(const QByteArray &pixels)
    {
        m_out.append(char(8));
        reset();
        write(clearCode);
        int current = -1;
        for (const char c : pixels) {
            const auto pixel = quint8(c);
            if (current < 0) {
                current = pixel;
            } else if (const int known = m_next[size_t(current) * 256 + pixel]) {
                current = known;
            } else {
                write(current);
                m_next[size_t(current) * 256 + pixel] = ++m_last;
                if (m_last >= (1 << m_width))
                    ++m_width;
                if (m_last == 4095) {
                    write(clearCode);
                    reset();
                }
                current = pixel;
            }
        }
        write(current);
        write(clearCode + 1);
        if (m_bits > 0)
            m_block.append(char(m_bitBuffer & 0xff));
        flushBlock();
        m_out.append(char(0));
    }

private:
    static constexpr int clearCode = 256;

    void reset()
    {
        m_next.assign(4096 * 256, 0);
        m_width = 9;
        m_last = clearCode + 1;
    }
    void write(int code)
    {
        m_bitBuffer |= quint32(code) << m_bits;
        m_bits += m_width;
        while (m_bits >= 8) {
            m_block.append(char(m_bitBuffer & 0xff));
            m_bitBuffer >>= 8;
            m_bits -= 8;
            if (m_block.size() == 255)
                flushBlock();
        }
    }
    void flushBlock()
    {
        if (m_block.isEmpty())
            return;
        m_out.append(char(m_block.size()));
        m_out.append(m_block);
        m_block.clear();
    }

    QByteArray &m_out;
    QByteArray m_block;
    std::vector<int> m_next;
    quint32 m_bitBuffer = 0;
    int m_bits = 0;
    int m_width = 9;
    int m_last = 0;
};

void appendWord(QByteArray &out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

} // namespace

QByteArray ForumServer::animation(int side)
{
    QByteArray out("GIF89a");
    appendWord(out, side);
    appendWord(out, side);
    out.append(char(0xf7)); // a global table of 256 colours
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 256; ++i) {
        out.append(char(i));
        out.append(char(255 - i));
        out.append(char((i * 7) & 0xff));
    }
    // Loops for ever.
    out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    QByteArray pixels(qsizetype(side) * side, Qt::Uninitialized);
    for (int frame = 0; frame < 2; ++frame) {
        out.append("\x21\xf9\x04\x04", 4); // each frame 1/10 s, drawn over the last
        appendWord(out, 10);
        out.append("\x00\x00", 2);
        out.append(char(0x2c));
        appendWord(out, 0);
        appendWord(out, 0);
        appendWord(out, side);
        appendWord(out, side);
        out.append(char(0));
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                pixels[qsizetype(y) * side + x] = char((x / 3 + y / 5 + frame * 64) & 0xff);
        LzwWriter(out).compress(pixels);
    }
    out.append(char(0x3b));
    return out;
}
