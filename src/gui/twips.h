#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QtMath>

// Positions and sizes are kept in twips, as the window layouts were drawn;
// this is the one place that turns them into logical pixels (Qt scales those
// for high-dpi screens).
namespace Twips {

inline constexpr double perPixel = 15.0;

inline int toPixels(double twips)
{
    return qRound(twips / perPixel);
}
inline double fromPixels(int pixels)
{
    return pixels * perPixel;
}

inline QPoint point(double x, double y)
{
    return {toPixels(x), toPixels(y)};
}
inline QRect rect(double left, double top, double width, double height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}
inline QRect rect(const QRectF &twips)
{
    return rect(twips.x(), twips.y(), twips.width(), twips.height());
}

} // namespace Twips
