#pragma once

#include "core/dialogflood.h"

#include <QList>
#include <memory>
#include <QPointer>
#include <QUrl>

#include <QDialog>
class QWidget;

// A page's alert, confirm and prompt boxes, titled with the page's host so
// the user knows who is asking, and silenced on the user's word when a page
// shows them one after another. None is modal: the program's windows, the
// bar and the close box still work meanwhile.
//
// An alert only tells: it returns at once and its box stays up until read,
// so the engine, the page and its other windows run on. A confirm or a
// prompt needs its answer before the page's script goes on: it waits, in a
// loop of its own, for the boxes before it and for its own; dismiss() ends
// the wait as a "cancel" (the member leaves the page, its renderer died).
class PageDialogs
{
public:
    PageDialogs() = default;
    ~PageDialogs();
    Q_DISABLE_COPY_MOVE(PageDialogs)

    void alert(QWidget *parent, const QUrl &page, const QString &message);
    bool confirm(QWidget *parent, const QUrl &page, const QString &message);
    bool prompt(QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue,
                QString *result);
    // The page's own "leave this page?" question; never silenced.
    bool confirmLeaving(QWidget *parent, const QUrl &page);

    // A box is up, or waiting to come up.
    bool isOpen() const { return m_open || !m_waiting.isEmpty() || m_asking > 0; }
    // Every box closes unanswered ("cancel"), and no waiting one comes up.
    void dismiss();
    // As dismiss, and the next ones are refused.
    void refuseFromNow();
    void allowAgain() { m_refused = false; }

    // Alerts that may wait behind an open box; a page's loop of alerts
    // beyond this is not shown.
    static constexpr int maxWaiting = 8;

    static QString stopText()
    {
        return QStringLiteral("Non permettere a questa pagina di aprire altre finestre di messaggio");
    }

private:
    enum class Kind { Alert, Confirm, Prompt };
    struct Waiting
    {
        QPointer<QWidget> parent;
        QUrl page;
        QString message;
    };
    bool silenced(const QUrl &page) const;
    // Makes and shows a box; answered calls back with whether it was
    // accepted and the prompt's text.
    QDialog *show(Kind kind, QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue);
    void showNextAlert();
    bool ask(Kind kind, QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue,
             QString *result);

    DialogFlood m_flood;
    QPointer<QDialog> m_open;
    QList<Waiting> m_waiting;
    // Confirms and prompts waiting for their answer, and dismissals so far:
    // a wait that sees the count move ends unanswered.
    int m_asking = 0;
    int m_dismissals = 0;
    bool m_refused = false;
    // Gone with this: a wait that returns after it touches nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
