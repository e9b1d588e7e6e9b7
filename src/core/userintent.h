#pragma once

#include <QUrl>
#include <QtGlobal>

// The member's own click or key in a view, as a token. What leaves the
// program (another site, another program, a file) or a page the member did
// not ask for needs one: each input is good for one act, and only shortly
// after it, the way browsers ask for a user gesture. What the input landed
// on bounds what it may be spent on: a link, only on where it leads; a
// button, on one act of the page's; a text field or plain text, on nothing.
// A page's script alone never holds one.
class UserIntent
{
public:
    static constexpr qint64 windowMs = 5000;

    enum class Target {
        None,   // a text field, plain text, a tiny frame: no act
        Link,   // a link: its own address only
        Button, // a button, a link a script answers, Enter sending a form
    };
    struct Input
    {
        Target target = Target::Button;
        QUrl href;
        // In the page itself, not a frame of it; in a frame of the forum's
        // own site (the page itself is).
        bool top = true;
        bool forumFrame = true;
    };
    enum class Act {
        Navigation, // the page itself goes there
        NewWindow,
        Download,
        Elsewhere, // another site or program
    };

    void input(qint64 nowMs) { input(nowMs, Input{}); }
    void input(qint64 nowMs, const Input &what);
    // The page was left: an input in it buys nothing in the next one.
    void clear() { m_unused = false; }
    // True while the last input is recent, not yet used, and good for some act.
    bool fresh(qint64 nowMs) const;
    // True at most once per input: the input is then used up.
    bool consume(qint64 nowMs);
    // As consume, for act towards url, if the input is good for it.
    bool consumeFor(Act act, const QUrl &url, qint64 nowMs);

private:
    qint64 m_inputAt = 0;
    bool m_unused = false;
    Input m_input;
};
