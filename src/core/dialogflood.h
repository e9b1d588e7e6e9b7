#pragma once

#include <QHash>
#include <QString>

// Which pages may still show alert, confirm and prompt boxes. A page that
// shows them one after another is offered to be silenced, as browsers do.
class DialogFlood
{
public:
    static constexpr qint64 burstMs = 5000;

    // A page (by address) wants a box at nowMs. True when its last box was
    // the one before, closed less than burstMs ago: this box then offers to
    // stop the page's further boxes.
    bool offersToStop(const QString &page, qint64 nowMs) const;
    void dismissed(const QString &page, qint64 nowMs);

    void stop(const QString &page) { m_stopped.insert(page, true); }
    bool isStopped(const QString &page) const { return m_stopped.contains(page); }

private:
    QString m_lastPage;
    qint64 m_lastClosedAt = 0;
    QHash<QString, bool> m_stopped;
};
