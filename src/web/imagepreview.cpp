#include "web/imagepreview.h"

#include "web/enginewebview.h"
#include "core/linkrule.h"

#include <QBuffer>
#include <QCache>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStackedLayout>
#include <QTimer>

namespace {

// Every preview of the program fetches through one manager, which follows
// the system's proxy like the web views do.
QNetworkAccessManager &network()
{
    static auto *manager = new QNetworkAccessManager(QCoreApplication::instance());
    return *manager;
}

// Pictures fetched lately, by address: the logo shown at every opening of
// the picker and the emoticons gone back to come from memory. Kept small:
// emoticons are a few kilobytes each.
QCache<QString, QByteArray> &recentPictures()
{
    static QCache<QString, QByteArray> cache(2 * 1024 * 1024);
    return cache;
}

constexpr qsizetype largestCached = 256 * 1024;
constexpr qint64 largestRead = 16 * 1024 * 1024;
// Qt decodes every frame of an animation whole, on the GUI thread, however
// small the preview shows it; a bigger one goes to the web view, whose
// renderer decodes it in a process of its own.
constexpr qint64 largestAnimatedArea = 640 * 480;

bool mayKeep(const QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray control = reply->rawHeader(QByteArrayLiteral("Cache-Control")).toLower();
    return status == 200 && !control.contains("no-store") && !control.contains("no-cache");
}

// What the server says it sends; with no word, the bytes tell.
bool saysPicture(const QNetworkReply *reply)
{
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    return type.isEmpty() || type.startsWith(QStringLiteral("image/"), Qt::CaseInsensitive);
}

} // namespace

ImagePreview::ImagePreview(QWidget *parent)
    : WebView(parent)
{
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture->setWordWrap(true); // for the words shown when a fetch fails
    // Opaque, so a frame repaints this label and nothing under it.
    m_picture->setAutoFillBackground(true);
    m_picture->setPalette(white);
    auto *layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picture);

    m_stall = new QTimer(this);
    m_stall->setSingleShot(true);
    connect(m_stall, &QTimer::timeout, this, &ImagePreview::giveUp);
}

ImagePreview::~ImagePreview()
{
    abandonReply();
}

void ImagePreview::abandonReply()
{
    m_stall->stop();
    // Forgotten first: the abort's own finished signal then finds nothing to do.
    if (QNetworkReply *old = m_reply) {
        m_reply = nullptr;
        old->abort();
    }
}

void ImagePreview::Navigate(const QString &address)
{
    abandonReply();
    m_unloaded = false;
    const QUrl url(address);
    // Text that is no absolute address ("ciao") leaves what was shown, for
    // an empty view; so does a local file or an engine's address: previews
    // show only the web's.
    if (!LinkRule::isPreviewable(url)) {
        m_address = QStringLiteral("about:blank");
        clear();
        showOnly(m_picture);
        tellChanges();
        return;
    }
    m_address = address;
    if (const QByteArray *known = recentPictures().object(address); known && showPicture(*known)) {
        tellChanges();
        return;
    }

    // What was shown stays until the answer comes, as in a browser; "Attesa..."
    // tells the user meanwhile.
    m_reply = network().get(QNetworkRequest(url));
    QNetworkReply *reply = m_reply;
    m_stall->start(m_stallLimit);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        // A page or an error page is the web view's: it need not be read here.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply != m_reply)
            return;
        m_stall->start(m_stallLimit);
        if ((status >= 300 && status < 400) || saysPicture(reply))
            return;
        abandonReply();
        showInWebView(m_address);
        tellChanges();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received) {
        // No emoticon is this big: the web view shows it without holding it all.
        if (reply != m_reply)
            return;
        m_stall->start(m_stallLimit);
        if (received <= largestRead)
            return;
        abandonReply();
        showInWebView(m_address);
        tellChanges();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        onReplyFinished(reply);
        tellChanges();
    });
    tellChanges();
}

void ImagePreview::onReplyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    m_stall->stop();
    const QByteArray bytes = reply->readAll();
    if (!saysPicture(reply) || !showPicture(bytes)) {
        showInWebView(m_address);
        return;
    }
    if (bytes.size() <= largestCached && mayKeep(reply))
        recentPictures().insert(m_address, new QByteArray(bytes), int(bytes.size()));
}

bool ImagePreview::showPicture(const QByteArray &bytes)
{
    auto *data = new QBuffer(this);
    data->setData(bytes);
    data->open(QIODevice::ReadOnly);
    QImageReader reader(data);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) {
        delete data;
        return false;
    }
    const QSize size = reader.size();
    const bool animated = reader.supportsAnimation() && reader.imageCount() != 1;
    if (animated && qint64(size.width()) * size.height() > largestAnimatedArea) {
        delete data;
        return false;
    }
    QImage still;
    if (!animated) {
        still = reader.read();
        if (still.isNull()) {
            delete data;
            return false;
        }
    }

    clear();
    m_shownName = QStringLiteral("%1 (%2×%3)")
                      .arg(QFileInfo(QUrl(m_address).path()).fileName())
                      .arg(size.width())
                      .arg(size.height());
    if (animated) {
        data->seek(0);
        m_bytes = data;
        m_movie = new QMovie(m_bytes, QByteArray(), this);
        m_picture->setMovie(m_movie);
        m_movie->start(); // shows the first frame at once
        if (!isVisible())
            m_movie->setPaused(true);
    } else {
        delete data;
        m_picture->setPixmap(QPixmap::fromImage(still));
    }
    showOnly(m_picture);
    return true;
}

void ImagePreview::showInWebView(const QString &address)
{
    clear();
    if (!m_web) {
        m_web = new EngineWebView(Role::Preview, this);
        m_web->setObjectName(QStringLiteral("web"));
        connect(m_web, &WebView::StatusTextChange, this, [this](const QString &text) {
            m_handingOver = false; // the page has started loading: the view's busy state holds
            // Each step of the load is news from the server, as a byte is
            // to a fetch of our own.
            if (m_inWeb && m_web->Busy())
                m_stall->start(m_stallLimit);
            emit StatusTextChange(text);
            tellChanges();
        });
        connect(m_web, &WebView::loadingChanged, this, [this](bool busy) {
            if (!busy)
                m_stall->stop();
            tellChanges();
        });
        connect(m_web, &WebView::titleChanged, this, &ImagePreview::tellChanges);
        connect(m_web, &WebView::addressChanged, this, &ImagePreview::tellChanges);
        layout()->addWidget(m_web);
    }
    showOnly(m_web);
    m_handingOver = true;
    m_web->Navigate(address);
    m_stall->start(m_stallLimit);
}

void ImagePreview::giveUp()
{
    if (m_inWeb)
        m_web->Stop();
    abandonReply();
    clear();
    m_picture->setText(unavailableText());
    showOnly(m_picture);
    tellChanges();
}

void ImagePreview::tellChanges()
{
    if (const bool busy = Busy(); busy != m_toldBusy) {
        m_toldBusy = busy;
        emit loadingChanged(busy);
    }
    if (const QString name = LocationName(); name != m_toldName) {
        m_toldName = name;
        emit titleChanged(name);
    }
    if (const QString url = LocationURL(); url != m_toldUrl) {
        m_toldUrl = url;
        emit addressChanged(url);
    }
}

void ImagePreview::showOnly(QWidget *shown)
{
    m_inWeb = shown == m_web;
    static_cast<QStackedLayout *>(layout())->setCurrentWidget(shown);
    if (m_web && !m_inWeb)
        m_web->Unload(); // a page no longer shown keeps no renderer
}

void ImagePreview::clear()
{
    m_picture->clear();
    delete m_movie;
    m_movie = nullptr;
    delete m_bytes;
    m_bytes = nullptr;
    m_shownName.clear();
    m_handingOver = false;
}

void ImagePreview::Unload()
{
    if (isVisible())
        return;
    Stop();
    clear();
    m_unloaded = true;
    if (m_web)
        m_web->Unload();
    tellChanges();
}

void ImagePreview::showEvent(QShowEvent *event)
{
    WebView::showEvent(event);
    if (m_unloaded && !m_inWeb && m_address.startsWith(QStringLiteral("http")))
        Navigate(m_address);
    else if (m_movie && m_movie->state() == QMovie::Paused)
        m_movie->setPaused(false);
}

void ImagePreview::hideEvent(QHideEvent *event)
{
    WebView::hideEvent(event);
    // A picture nobody sees does not move.
    if (m_movie && m_movie->state() == QMovie::Running)
        m_movie->setPaused(true);
}

void ImagePreview::GoBack()
{
    if (m_inWeb)
        m_web->GoBack();
}

void ImagePreview::GoForward()
{
    if (m_inWeb)
        m_web->GoForward();
}

void ImagePreview::Refresh()
{
    if (m_inWeb)
        m_web->Refresh();
    else if (!m_address.isEmpty())
        Navigate(m_address);
}

void ImagePreview::Stop()
{
    abandonReply();
    m_handingOver = false;
    if (m_inWeb)
        m_web->Stop();
    tellChanges();
}

bool ImagePreview::Busy() const
{
    return m_reply || (m_inWeb && (m_handingOver || m_web->Busy()));
}

QString ImagePreview::LocationName() const
{
    return m_inWeb ? m_web->LocationName() : m_shownName;
}

QString ImagePreview::LocationURL() const
{
    return m_inWeb ? m_web->LocationURL() : m_address;
}
