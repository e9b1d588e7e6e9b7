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
// and, with real editors from VELMORA_EDITORS (richforum.cpp):
//   /forum/scrivi.php?editor=bb|html   a post form whose text area a rich
//                               editor replaces (bb: a BBCode editor writing
//                               its own frame; html: an HTML editor), focused
//                               on load; &cita=N quotes post N, &p=N edits it.
//                               Posted: "Anteprima" shows the post and the
//                               form again; ?errore answers 500 quoting it;
//                               loginExpired the login page; else the post
//                               is kept and the answer sends to
//   /forum/discussione          the posts, each edited in place and saved in
//                               the background, and a quick reply sent in
//                               the background that adds the post and empties
//                               its box, or goes to the full form to preview
//   /forum/finta?verso=P[&svuota]  claims address P with replaceState, sends
//                               its box's text to /forum/rubato (stolen), and
//                               may empty it by an editor command
//   /forum/falsa                types into 205 fields of its own by commands
//   /forum/accesso              mirrors a password into a box of its own
//   /forum/avviso.html?tipo=T   an alert (or a confirm) 0.3 s after its
//                               first load in the session
//   /forum/trappola?tipo=T      tries to save a file or to take the view
//                               without the member: by a meta refresh (meta,
//                               metaaltro to another host, catena through
//                               /forum/rinvia's redirect, fuori to another
//                               site's page), one a script adds later
//                               (tardi), a script during the load (subito),
//                               a form sent by script to another site
//                               (modulo), or on the member's click into its
//                               box: a hidden frame's download link
//                               (cornice, corniceestera from another host),
//                               a file and another site of its own (clic); or
//                               on a link to a window of the forum's (finestra)
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

    // The posts of the rich forum, as kept (the forum's tags), and what
    // hostile pages sent home.
    QStringList richPosts;
    QStringList stolen;
    // Where the editors' files are.
    static QString editorsFolder();

    static QHttpServerResponse page(const QString &title, const QString &body,
                                    QHttpServerResponse::StatusCode status = QHttpServerResponse::StatusCode::Ok,
                                    const QString &head = {});
    static QByteArray gif();
    // Two frames of side x side pixels, every pixel drawn, LZW-compressed
    // as any GIF: decoding it costs what a real one of that size does.
    static QByteArray animation(int side);

    // Adds a post to the rich forum's topic; its number.
    int addRichPost(const QString &text);

private:
    void addRichForum();
    QString richPost(int id) const;

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
