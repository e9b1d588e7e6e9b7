#include "forumserver.h"

#include <QBuffer>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QHttpServerRequest>
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

} // namespace

ForumServer::ForumServer(QObject *parent)
    : QObject(parent)
{
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
    return m_port != 0;
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
