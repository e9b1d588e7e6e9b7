#include "gui/prompter.h"
#include "modalwatch.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

// The program's message boxes: where No is the default, Yes still has a key.
class tst_Prompter : public QObject
{
    Q_OBJECT

private slots:
    void answersHaveKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        QTest::newRow("Alt+S") << int(Qt::Key_S) << int(QMessageBox::Yes);
        QTest::newRow("Alt+N") << int(Qt::Key_N) << int(QMessageBox::No);
    }

    void answersHaveKeys()
    {
        QFETCH(int, key);
        QFETCH(int, answer);
        MessageBoxPrompter prompter;
        whenModal(QStringLiteral("QMessageBox"), [key](QDialog *box) {
            auto *message = static_cast<QMessageBox *>(box);
            QCOMPARE(message->button(QMessageBox::Yes)->text(), QStringLiteral("&Sì"));
            QCOMPARE(message->button(QMessageBox::No)->text(), QStringLiteral("&No"));
            box->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(box));
            QTest::keyClick(box, Qt::Key(key), Qt::AltModifier);
            // The button's click comes after it has shown itself pressed.
            QTRY_VERIFY(!box->isVisible());
        });
        QCOMPARE(
            int(prompter.askDefault(nullptr, QMessageBox::Question, QStringLiteral("Norvale - Prova"),
                                    QStringLiteral("Uscire?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::No)),
            answer);
    }
};

QTEST_MAIN(tst_Prompter)
#include "tst_prompter.moc"
