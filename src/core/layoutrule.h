#pragma once

#include <QtGlobal>

// Where the forum view and the status line go for a given outer window size
// (all twips). The view keeps a fixed top, a right margin and leaves a fixed
// part of the height to the bars above and below it.
struct BrowserLayout
{
    static constexpr double rightMargin = 180;
    static constexpr double heightAllowance = 2475;
    static constexpr double fixedTop = 1575;
    static constexpr double statusGap = 50;

    double viewLeft = 0;
    double viewTop = fixedTop;
    double viewWidth = 0;
    double viewHeight = 0;
    double statusLeft = 0;
    double statusTop = 0;
    double statusWidth = 0;

    // False when the window is too small: the view would need a negative size.
    bool fits() const { return viewWidth >= 0 && viewHeight >= 0; }

    static BrowserLayout forWindow(double outerWidth, double outerHeight, qint32 viewLeftEdge);
};
