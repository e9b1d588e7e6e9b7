#pragma once

#include "downloads/frmdownloads.h"

#include <QLabel>
#include <QPointer>

class Downloads;

// A word at the right end of the status line once something has been
// downloaded: how many files are on their way; a click opens the downloads
// window, as do the window's key (openWindow) and, once Tab has brought the
// focus to it, Space or Enter. It follows the status line wherever the
// layout puts it.
class DownloadsButton final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadsButton)

public:
    DownloadsButton(Downloads *downloads, QWidget *statusLine);

    // Opens the downloads window, or brings it to the front.
    void openWindow();
    frmDownloads *downloadsWindow() const { return m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void follow();

    Downloads *m_downloads;
    QPointer<frmDownloads> m_window;
};
