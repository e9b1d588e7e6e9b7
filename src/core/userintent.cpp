#include "core/userintent.h"

void UserIntent::input(qint64 nowMs, const Input &what)
{
    m_inputAt = nowMs;
    m_input = what;
    m_unused = what.target != Target::None;
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

bool UserIntent::consumeFor(Act act, const QUrl &url, qint64 nowMs)
{
    if (!fresh(nowMs))
        return false;
    // A frame of another site may open its own windows, nothing more.
    if (!m_input.forumFrame && act != Act::NewWindow)
        return false;
    // A click in a frame does not move the page around it.
    if (act == Act::Navigation && !m_input.top)
        return false;
    if (m_input.target == Target::Link
        && url.adjusted(QUrl::RemoveFragment) != m_input.href.adjusted(QUrl::RemoveFragment))
        return false;
    m_unused = false;
    return true;
}
