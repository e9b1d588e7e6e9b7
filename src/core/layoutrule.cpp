#include "core/layoutrule.h"

BrowserLayout BrowserLayout::forWindow(double outerWidth, double outerHeight, qint32 viewLeftEdge)
{
    BrowserLayout l;
    l.viewLeft = viewLeftEdge;
    l.viewWidth = outerWidth - viewLeftEdge - rightMargin;
    l.viewHeight = outerHeight - heightAllowance;
    l.statusLeft = viewLeftEdge;
    l.statusTop = l.viewHeight + l.viewTop + statusGap;
    l.statusWidth = l.viewWidth;
    return l;
}
