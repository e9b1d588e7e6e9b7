#include "core/userintent.h"

void UserIntent::input(qint64 nowMs)
{
    m_inputAt = nowMs;
    m_unused = true;
}

bool UserIntent::fresh(qint64 nowMs) const
{
    return m_unused && nowMs >= m_inputAt && nowMs - m_inputAt <= windowMs;
}

bool UserIntent::consume(qint64 nowMs)
{
    if (!fresh(nowMs))
        return false;
    m_unused = false;
    return true;
}
