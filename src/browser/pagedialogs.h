#pragma once

#include "core/dialogflood.h"

#include <QPointer>
#include <QUrl>

class QDialog;
class QWidget;

// A page's alert, confirm and prompt boxes, titled with the page's host so
// the user knows who is asking, and silenced on the user's word when a page
// shows them one after another. The page waits for the answer, the program
// does not: its windows, and the close box, still work meanwhile.
class PageDialogs
{
public:
    void alert(QWidget *parent, const QUrl &page, const QString &message);
    bool confirm(QWidget *parent, const QUrl &page, const QString &message);
    bool prompt(QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue,
                QString *result);
    // The page's own "leave this page?" question; never silenced.
    bool confirmLeaving(QWidget *parent, const QUrl &page);

    // The open box closes unanswered, and the next ones are refused.
    void refuseFromNow();
    void allowAgain() { m_refused = false; }

    static QString stopText()
    {
        return QStringLiteral("Non permettere a questa pagina di aprire altre finestre di messaggio");
    }

private:
    enum class Kind { Alert, Confirm, Prompt };
    bool show(Kind kind, QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue,
              QString *result);

    DialogFlood m_flood;
    QPointer<QDialog> m_open;
    bool m_refused = false;
};
