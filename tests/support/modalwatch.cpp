#include "modalwatch.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <memory>

void whenModal(const QString &className, std::function<void(QDialog *)> check)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    auto deadline = std::make_shared<QDeadlineTimer>(5000);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto isWanted = [&className](QWidget *w) {
            return w && w->isVisible() && QString::fromLatin1(w->metaObject()->className()) == className;
        };
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        const bool found = isWanted(dialog);
        if (!found && !deadline->hasExpired())
            return;
        poll->deleteLater();
        poll->stop();
        if (found)
            check(dialog);
        else
            QTest::qFail("no modal window of that class opened", __FILE__, __LINE__);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (isWanted(w))
                w->close();
    });
    poll->start();
}
