#include "feedforum.h"

#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace {

QString memberOf(const QHttpServerRequest &request)
{
    for (const QByteArray &part : request.value("Cookie").split(';')) {
        const QByteArray cookie = part.trimmed();
        if (cookie.startsWith("forum_cookie="))
            return QUrl::fromPercentEncoding(cookie.mid(13));
    }
    return {};
}

QHttpServerResponse html(const QString &title, const QString &body, const QString &head = {})
{
    return QHttpServerResponse(
        "text/html; charset=utf-8"_ba,
        u"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>%3</head><body>%2</body></html>"_s
            .arg(title, body, head)
            .toUtf8());
}

QString welcome(const QString &member)
{
    return member.isEmpty()
        ? u"<div id=\"brdwelcome\"><p class=\"conl\">Non sei connesso.</p></div>"_s
        : u"<div id=\"brdwelcome\"><ul class=\"conl\"><li><span>Connesso come <strong>%1</strong></span></li></ul></div>"_s
              .arg(member.toHtmlEscaped());
}

} // namespace

FeedForum::FeedForum(QObject *parent)
    : QObject(parent)
{
    addPost(u"Anna"_s, u"Da ieri il modem non si connette più, la spia resta rossa."_s);
    m_server.route(u"/forum/"_s, [](const QHttpServerRequest &request) {
        return html(u"Velmora Home"_s, welcome(memberOf(request))
                                           + u"<p><a id=\"discussione\" href=\"viewtopic.php?id=1\">%1</a></p>"_s.arg(subject()));
    });
    m_server.route(u"/forum/login.php"_s, QHttpServerRequest::Method::Get, [] {
        return html(u"Accedi"_s, u"<form method=\"post\" action=\"login.php\"><input name=\"req_username\" autofocus>"
                                 u"<input type=\"password\" name=\"req_password\">"
                                 u"<label><input type=\"checkbox\" name=\"save_pass\" value=\"1\">Ricordami</label>"
                                 u"<input type=\"submit\" id=\"entra\" value=\"Accedi\"></form>"_s);
    });
    m_server.route(u"/forum/login.php"_s, QHttpServerRequest::Method::Post, [](const QHttpServerRequest &request) {
        const QUrlQuery form(QString::fromUtf8(request.body()));
        const QString name = form.queryItemValue(u"req_username"_s, QUrl::FullyDecoded);
        QHttpServerResponse redirect(QHttpServerResponse::StatusCode::Found);
        redirect.setHeader("Location"_ba, "/forum/"_ba);
        QByteArray cookie = "forum_cookie=" + QUrl::toPercentEncoding(name) + "; Path=/";
        // "Ricordami": the login outlives the browser, for two weeks.
        if (form.hasQueryItem(u"save_pass"_s))
            cookie += "; Expires="
                + QDateTime::currentDateTimeUtc().addDays(14).toString(u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s).toLatin1();
        redirect.addHeader("Set-Cookie"_ba, cookie);
        return redirect;
    });
    m_server.route(u"/forum/viewtopic.php"_s, [this](const QHttpServerRequest &request) {
        return topicPage(memberOf(request));
    });
    m_server.route(u"/forum/post.php"_s, QHttpServerRequest::Method::Post, [this](const QHttpServerRequest &request) {
        const QString member = memberOf(request);
        if (member.isEmpty())
            return html(u"Accedi"_s, u"<p>Devi accedere per scrivere.</p>"_s);
        const QUrlQuery form(QString::fromUtf8(request.body()).replace(u'+', u' '));
        const int id = addPost(member, form.queryItemValue(u"req_message"_s, QUrl::FullyDecoded));
        // FluxBB's answer: a page that says the post is in, and moves on.
        const QString target = u"viewtopic.php?pid=%1#p%1"_s.arg(id);
        return html(u"Reindirizzamento"_s, u"<p>Messaggio inviato. <a href=\"%1\">Continua</a></p>"_s.arg(target),
                    u"<meta http-equiv=\"refresh\" content=\"0;URL=%1\">"_s.arg(target));
    });
    m_server.route(u"/forum/extern.php"_s, [this](const QHttpServerRequest &request) { return feed(request); });
}

bool FeedForum::start()
{
    m_port = m_server.listen(QHostAddress::LocalHost, 0);
    return m_port != 0;
}

QString FeedForum::url(const QString &path) const
{
    return u"http://127.0.0.1:%1/%2"_s.arg(m_port).arg(path);
}

int FeedForum::addPost(const QString &author, const QString &text, const QString &quoting)
{
    const int id = m_posts.isEmpty() ? 1 : m_posts.constLast().id + 1;
    // A second apart, in order, as a forum dates them.
    m_posts.append({id, author, text, quoting, m_base.addSecs(id)});
    return id;
}

QStringList FeedForum::authors() const
{
    QStringList authors;
    for (const Post &post : m_posts)
        authors.append(post.author);
    return authors;
}

QString FeedForum::postHtml(const Post &post) const
{
    QString body;
    if (!post.quoting.isEmpty())
        body += u"<div class=\"quotebox\"><cite>%1 ha scritto:</cite><blockquote><div><p>…</p></div></blockquote></div>"_s
                    .arg(post.quoting.toHtmlEscaped());
    return body + u"<p>"_s + post.text.toHtmlEscaped() + u"</p>"_s;
}

QHttpServerResponse FeedForum::topicPage(const QString &member) const
{
    QString posts;
    for (const Post &post : m_posts)
        posts += u"<div class=\"blockpost\" id=\"p%1\"><h2>%2</h2><div class=\"postmsg\">%3</div></div>"_s.arg(
            QString::number(post.id), post.author.toHtmlEscaped(), postHtml(post));
    const QString reply = member.isEmpty()
        ? QString()
        : u"<form id=\"quickpostform\" method=\"post\" action=\"post.php?tid=1\">"
          u"<textarea name=\"req_message\" rows=\"7\" cols=\"75\" autofocus></textarea>"
          u"<input type=\"submit\" id=\"invia\" name=\"submit\" value=\"Invia\"></form>"_s;
    return html(subject(), welcome(member) + posts + reply,
                u"<link rel=\"alternate\" type=\"application/atom+xml\" href=\"extern.php?action=feed&amp;tid=1&amp;type=atom\" "
                u"title=\"Feed Atom della discussione\">"_s);
}

QHttpServerResponse FeedForum::feed(const QHttpServerRequest &request)
{
    feedRequests.append({request.value("If-None-Match"), request.value("If-Modified-Since"), request.value("Cookie"),
                         QDateTime::currentMSecsSinceEpoch()});
    if (unavailable > 0) {
        --unavailable;
        QHttpServerResponse busy(QHttpServerResponse::StatusCode::ServiceUnavailable);
        busy.setHeader("Retry-After"_ba, QByteArray::number(retryAfterSeconds));
        return busy;
    }
    if (loginExpired || (loginRequired && memberOf(request).isEmpty())) {
        QHttpServerResponse login(QHttpServerResponse::StatusCode::Found);
        login.setHeader("Location"_ba, "login.php"_ba);
        return login;
    }
    const QByteArray etag = '"' + QByteArray::number(m_posts.constLast().id) + '"';
    const QByteArray modified = m_posts.constLast().at.toString(u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s).toLatin1();
    if (validators && request.value("If-None-Match") == etag)
        return QHttpServerResponse(QHttpServerResponse::StatusCode::NotModified);
    const QString topic = url(u"forum/viewtopic.php?id=1"_s);
    QString entries;
    for (const Post &post : m_posts) {
        const QString link = url(u"forum/viewtopic.php?pid=%1#p%1"_s.arg(post.id));
        entries += u"<entry><title type=\"html\"><![CDATA[Re: %1]]></title><link rel=\"alternate\" href=\"%2\"/>"
                   u"<content type=\"html\"><![CDATA[%3]]></content><author><name><![CDATA[%4]]></name></author>"
                   u"<updated>%5</updated><id>%2</id></entry>"_s.arg(subject(), link.toHtmlEscaped(), postHtml(post),
                                                                  post.author, post.at.toString(Qt::ISODate));
    }
    const QString xml = u"<?xml version=\"1.0\" encoding=\"utf-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
                        u"<title type=\"html\"><![CDATA[%1]]></title><link rel=\"self\" href=\"%2\"/>"
                        u"<link href=\"%3\"/><updated>%4</updated><generator>FluxBB</generator><id>%3</id>%5</feed>"_s
                            .arg(subject(), feedUrl().toHtmlEscaped(), topic.toHtmlEscaped(),
                                 m_posts.constLast().at.toString(Qt::ISODate), entries);
    QHttpServerResponse answer("application/atom+xml; charset=utf-8"_ba, xml.toUtf8());
    if (validators) {
        answer.setHeader("ETag"_ba, etag);
        answer.setHeader("Last-Modified"_ba, modified);
    }
    return answer;
}
