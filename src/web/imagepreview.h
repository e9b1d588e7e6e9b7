#pragma once

#include "gui/webview.h"

#include <QPointer>
#include <QUrl>

#include <chrono>

class EngineWebView;
class QBuffer;
class QLabel;
class QMovie;
class QNetworkReply;
class QTimer;

// The preview of an image address. An address that answers with a picture
// Qt can read is shown here, as a post shows it: at the top left on white,
// moving if it is animated. Qt draws each frame into this small label only;
// a web view would run a whole renderer and compositor for every frame.
// Anything else (a page, an error page, an animation too big to decode
// here) goes to a web view, made the first time one is needed; an address
// that is not http or https shows nothing.
class ImagePreview final : public WebView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImagePreview)

public:
    explicit ImagePreview(QWidget *parent = nullptr);
    ~ImagePreview() override;

    void Navigate(const QString &address) override;
    void Unload() override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;
    void Stop() override;

    // A fetch that goes this long without a byte is given up, and the
    // preview says the picture could not be loaded.
    static constexpr std::chrono::milliseconds stallLimit = std::chrono::seconds(15);
    static QString unavailableText() { return QStringLiteral("Immagine non disponibile"); }
    // Tests wait less.
    void setStallLimit(std::chrono::milliseconds limit) { m_stallLimit = limit; }

    bool Busy() const override;
    QString LocationName() const override;
    QString LocationURL() const override;

    // The web view that shows what is no picture; null until one was needed.
    EngineWebView *webFallback() const { return m_web; }
    // The animation on show, if any: tests count its frames.
    QMovie *movie() const { return m_movie; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void abandonReply();
    void clear();
    void showOnly(QWidget *shown);
    void onReplyFinished(QNetworkReply *reply);
    bool showPicture(const QByteArray &bytes);
    void showInWebView(const QString &address);
    void giveUp();
    // Signals what Busy(), LocationName() and LocationURL() answer now,
    // where that is not what they answered last time.
    void tellChanges();

    QLabel *m_picture = nullptr;
    EngineWebView *m_web = nullptr;
    QMovie *m_movie = nullptr;
    QBuffer *m_bytes = nullptr;
    QPointer<QNetworkReply> m_reply;
    // Restarted by every sign of life of m_reply.
    QTimer *m_stall = nullptr;
    std::chrono::milliseconds m_stallLimit = stallLimit;
    QString m_address;
    QString m_shownName;
    bool m_inWeb = false;
    // Between giving the web view an address and its load starting.
    bool m_handingOver = false;
    bool m_unloaded = false;
    // What the signals said last.
    bool m_toldBusy = false;
    QString m_toldName;
    QString m_toldUrl;
};
