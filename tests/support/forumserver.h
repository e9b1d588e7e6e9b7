#pragma once

#include <QHttpServer>
#include <QObject>
#include <QSemaphore>

#include <memory>

// A small forum on loopback for tests that run the real engine:
//   /forum/                     home page, titled "Velmora Home", with a link
//   /forum/seconda.html         a second page, titled "Seconda Pagina"
//   /forum/lenta.html           a page held back until releaseHeld()
//   /forum/script.html          a page whose script retitles it "Con script"
//   /forum/images/logo_velmora.gif, /iconario/<set>/<n>.gif   small GIFs
//   /lenta/<name>.gif           a GIF held back until releaseHeld()
//   /immagini/rosso.png         an 8 x 8 red square
//   /immagini/animata.gif       the OK button's 66 x 66 animated GIF
//   /immagini/manca.gif         missing: a 404 page, titled "Non trovato"
class ForumServer final : public QObject
{
    Q_OBJECT

public:
    explicit ForumServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 at a free port.
    bool start();
    QString url(const QString &path) const;
    QString homeUrl() const { return url(QStringLiteral("forum/")); }
    QString emoticonBase() const { return url(QStringLiteral("iconario/")); }

    // Answers every request held back so far.
    void releaseHeld();
    int heldCount() const { return m_heldCount; }
    // Paths of every request served or held, in order.
    QStringList requests;

    static QByteArray gif();

private:
    QFuture<QHttpServerResponse> hold(const QByteArray &mimeType, const QByteArray &body);

    QHttpServer m_server;
    quint16 m_port = 0;
    // Held responses wait in the server's worker threads for this gate.
    std::shared_ptr<QSemaphore> m_gate = std::make_shared<QSemaphore>();
    int m_heldCount = 0;
};
