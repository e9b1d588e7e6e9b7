#pragma once

#include <QObject>

class WebView;

// The forum view's zoom: Ctrl and + or - steps through the browsers' usual
// levels, Ctrl 0 goes back to 100 %, Ctrl and the wheel over the view do the
// same as the keys. The level is remembered between runs.
class ZoomControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ZoomControl)

public:
    ZoomControl(WebView *view, QObject *parent);

    void zoomIn() { step(+1); }
    void zoomOut() { step(-1); }
    void reset() { apply(1.0); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void step(int direction);
    void apply(double factor);

    WebView *m_view = nullptr;
};
