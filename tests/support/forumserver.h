#pragma once

#include <QHttpServer>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A small forum on loopback for tests that run the real engine:
//   /forum/                     home page, titled "Velmora Home", with a link
//   /forum/seconda.html         a second page, titled "Seconda Pagina"
//   /forum/lenta.html           a page held back until releaseHeld()
//   /forum/script.html          a page whose script retitles it "Con script"
//   /forum/dopo.html            "Prima", which once loaded goes to its anchor
//                               #sotto and later retitles itself "(1) Dopo"
//   /forum/rispondi.html        a reply page: text area (focused), text box,
//                               editable area, a frame from another host
//   /estero/campo.html          that frame: a text box, served as localhost
//   /forum/nuova.html           a new topic, titled "Nuova discussione": a
//                               subject (focused on load, first in tab
//                               order), an editor toolbar like FluxBB's, the
//                               message, an empty block below
//   /forum/images/logo_velmora.gif, /iconario/<set>/<n>.gif   small GIFs
//   /lenta/<name>.gif           a GIF held back until releaseHeld()
//   /immagini/rosso.png         an 8 x 8 red square
//   /forum/link.html            links: a new window, another host (twice),
//                               mailto:, file:, an ordinary one
//   /forum/chiudibile.html      "Finestra del forum", for a new window
//   /forum/finestra.html        opens a window as it loads, without a click
//   /forum/allegato.zip         an attachment, saved as "nome.zip"
//   /forum/allegato-lungo.zip   the same, named with 296 letters and ".zip"
//   /forum/rimanda.html         sends itself to another host five times as it
//                               loads, and again when "vai" is clicked
//   /forum/allegati.html        four hidden frames answering with attachments;
//                               a link "scarica" to one, a link "avanti" to
//   /forum/scarica.html         a page whose script fetches one once loaded
//   /forum/botta.html           alert()s taking turns with its frame from
//                               another host (/estero/risposta.html)
//   /forum/accedi, chi.html     a login by session cookie; chi.html is titled
//                               "Utente" when logged in, "Ospite" when not
//   /forum/bozza.html           an editor whose page asks before it is left
//   /forum/permessi.html        asks for the position and for notifications
//   /forum/scrivi.html, invia   a form posted to "invia"
//   /immagini/animata.gif       the OK button's 66 x 66 animated GIF
//   /immagini/manca.gif         missing: a 404 page, titled "Non trovato"
//   /immagini/grande/<n>.gif    an animated GIF n x n pixels, two frames
//   /forum/post.php             a reply form as forum software makes it
//                               (subject, password, message, another site's
//                               frame); posted, it redirects to the topic,
//                               which shows every message, or answers with
//                               the login page while loginExpired; with
//                               ?cita, the message starts with a quote
//   /forum/viewtopic.php        the topic, titled "Discussione"
//   /estero/area.html           that form's frame, from localhost: a text
//                               area that posts its text to the page
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
    static QString homeTitle() { return QStringLiteral("Velmora Home"); }
    // A download that never finishes, from another port, until dropped.
    QString slowDownloadUrl() const;
    // A page, where a picture was asked for, that starts and never ends.
    QString stalledPageUrl() const;
    void dropSlowDownloads();
    static QByteArray attachment();

    // Answers every request held back so far.
    void releaseHeld();
    int heldCount() const { return int(m_held.size()); }
    // Paths of every request served or held, in order.
    QStringList requests;
    // Messages posted to the reply form, and whether posting asks to log in.
    QStringList posted;
    bool loginExpired = false;

    static QByteArray gif();
    // Two frames of side x side pixels, every pixel drawn, LZW-compressed
    // as any GIF: decoding it costs what a real one of that size does.
    static QByteArray animation(int side);

private:
    struct Held
    {
        QPointer<QTcpSocket> socket;
        QByteArray answer;
    };

    QHttpServer m_server;
    QTcpServer m_slow;
    quint16 m_port = 0;
    QList<Held> m_held;
};
