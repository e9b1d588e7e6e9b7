#include "core/reloadlimiter.h"

bool ReloadLimiter::allow(qint64 nowMs)
{
    m_allowed.removeIf([nowMs](qint64 at) { return nowMs - at >= windowMs; });
    if (m_allowed.size() >= maxReloads)
        return false;
    m_allowed.append(nowMs);
    return true;
}
