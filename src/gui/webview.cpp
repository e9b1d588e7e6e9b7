#include "gui/webview.h"

#include "gui/twips.h"

bool WebView::setLeftTwips(double left)
{
    m_twips.moveLeft(left);
    applyTwips();
    return true;
}

bool WebView::setTopTwips(double top)
{
    m_twips.moveTop(top);
    applyTwips();
    return true;
}

bool WebView::setWidthTwips(double width)
{
    if (width < 0)
        return false;
    m_twips.setWidth(width);
    applyTwips();
    return true;
}

bool WebView::setHeightTwips(double height)
{
    if (height < 0)
        return false;
    m_twips.setHeight(height);
    applyTwips();
    return true;
}

void WebView::setRectTwips(double left, double top, double width, double height)
{
    m_twips = QRectF(left, top, qMax(0.0, width), qMax(0.0, height));
    applyTwips();
}

void WebView::applyTwips()
{
    const QRect pixels = Twips::rect(m_twips.left(), m_twips.top(), m_twips.width(), m_twips.height());
    if (geometry() != pixels)
        setGeometry(pixels);
}

void WebView::InsertAtCaret(const QString &, const QString &)
{
    emit textInserted(false);
}

void WebView::Read()
{
    emit pageRead({});
}

void WebView::Find(const QString &, bool)
{
    emit findResult(0, 0);
}

void WebView::setZoomFactor(double) { }
