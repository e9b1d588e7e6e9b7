#pragma once

#include <QtGlobal>

// The member's own click or key in a view, as a token. What leaves the
// program (another site, another program, a file) needs one: each input is
// good for one such act, and only shortly after it, the way browsers ask
// for a user gesture. A page's script alone never holds one.
class UserIntent
{
public:
    static constexpr qint64 windowMs = 5000;

    void input(qint64 nowMs);
    // True while the last input is recent and not yet used.
    bool fresh(qint64 nowMs) const;
    // True at most once per input: the input is then used up.
    bool consume(qint64 nowMs);

private:
    qint64 m_inputAt = 0;
    bool m_unused = false;
};
