#include "core/dialogflood.h"

bool DialogFlood::offersToStop(const QString &page, qint64 nowMs) const
{
    return !m_lastPage.isNull() && page == m_lastPage && nowMs - m_lastClosedAt < burstMs;
}

void DialogFlood::dismissed(const QString &page, qint64 nowMs)
{
    m_lastPage = page;
    m_lastClosedAt = nowMs;
}
