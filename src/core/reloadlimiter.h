#pragma once

#include <QList>
#include <QtGlobal>

// Whether a page whose renderer died may be reloaded once more: a page that
// crashes its renderer at every load must not loop.
class ReloadLimiter
{
public:
    static constexpr int maxReloads = 2;
    static constexpr qint64 windowMs = 60 * 1000;

    // True, and counted, when fewer than maxReloads were allowed in the
    // windowMs before nowMs.
    bool allow(qint64 nowMs);

private:
    QList<qint64> m_allowed;
};
