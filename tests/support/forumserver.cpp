#include "forumserver.h"

#include <QBuffer>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QtConcurrent>

namespace {

QHttpServerResponse html(const QString &title, const QString &body,
                         QHttpServerResponse::StatusCode status = QHttpServerResponse::StatusCode::Ok)
{
    const QString page = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                                        "</head><body>%2</body></html>")
                             .arg(title, body);
    return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), page.toUtf8(), status);
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
        response.setHeader(QByteArrayLiteral("Content-Disposition"), QByteArrayLiteral("attachment; filename=\"nome.zip\""));
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

    m_server.route(QStringLiteral("/forum/"), [this] {
        requests.append(QStringLiteral("/forum/"));
        return html(QStringLiteral("Velmora Home"),
                    QStringLiteral("<h1>Velmora</h1><a id=\"next\" href=\"seconda.html\">Seconda</a>"));
    });
    m_server.route(QStringLiteral("/forum/seconda.html"), [this] {
        requests.append(QStringLiteral("/forum/seconda.html"));
        return html(QStringLiteral("Seconda Pagina"), QStringLiteral("<p>Seconda</p>"));
    });
    m_server.route(QStringLiteral("/forum/lenta.html"), [this] {
        requests.append(QStringLiteral("/forum/lenta.html"));
        return hold(QByteArrayLiteral("text/html; charset=utf-8"),
                    QByteArrayLiteral("<!DOCTYPE html><html><head><title>Pagina Lenta</title></head>"
                                      "<body><p>Lenta</p></body></html>"));
    });
    m_server.route(QStringLiteral("/forum/script.html"), [this] {
        requests.append(QStringLiteral("/forum/script.html"));
        return html(QStringLiteral("Senza script"),
                    QStringLiteral("<script>document.title = 'Con script';</script>"));
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
    m_server.route(QStringLiteral("/lenta/<arg>"), [this](const QString &file) {
        requests.append(QStringLiteral("/lenta/%1").arg(file));
        return hold(QByteArrayLiteral("image/gif"), gif());
    });
}

bool ForumServer::start()
{
    m_port = m_server.listen(QHostAddress::LocalHost, 0);
    // A download that starts and never ends: headers and a first part, then
    // silence until the connection is dropped.
    connect(&m_slow, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_slow.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\n"
                              "Content-Disposition: attachment; filename=\"lento.zip\"\r\n"
                              "Content-Length: 1000000\r\n\r\n");
                socket->write(QByteArray(1000, 'x'));
            });
        }
    });
    return m_port != 0 && m_slow.listen(QHostAddress::LocalHost, 0);
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
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
}

QFuture<QHttpServerResponse> ForumServer::hold(const QByteArray &mimeType, const QByteArray &body)
{
    ++m_heldCount;
    return QtConcurrent::run([gate = m_gate, mimeType, body] {
        gate->acquire();
        return QHttpServerResponse(mimeType, body);
    });
}

void ForumServer::releaseHeld()
{
    m_gate->release(std::exchange(m_heldCount, 0));
}

QByteArray ForumServer::gif()
{
    // A 1 x 1 transparent GIF.
    static const unsigned char bytes[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xff, 0xff,
        0xff, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}
