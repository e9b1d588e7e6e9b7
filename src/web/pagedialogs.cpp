#include "web/pagedialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString titleFor(const QUrl &page)
{
    return page.host().isEmpty() ? page.toString() : page.host();
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

PageDialogs::~PageDialogs()
{
    // A box left up would answer a page that is gone.
    m_waiting.clear();
    if (m_open)
        delete m_open;
}

bool PageDialogs::silenced(const QUrl &page) const
{
    return m_refused || m_flood.isStopped(page.adjusted(QUrl::RemoveFragment).toString());
}

void PageDialogs::alert(QWidget *parent, const QUrl &page, const QString &message)
{
    if (silenced(page))
        return;
    if (m_open) {
        if (m_waiting.size() < maxWaiting)
            m_waiting.append({parent, page, message});
        return;
    }
    QDialog *box = show(Kind::Alert, parent, page, message, {});
    QObject::connect(box, &QDialog::finished, box, [this] { showNextAlert(); });
}

void PageDialogs::showNextAlert()
{
    if (m_open)
        return;
    while (!m_waiting.isEmpty()) {
        const Waiting next = m_waiting.takeFirst();
        if (!silenced(next.page)) {
            alert(next.parent, next.page, next.message);
            return;
        }
    }
}

bool PageDialogs::confirm(QWidget *parent, const QUrl &page, const QString &message)
{
    return ask(Kind::Confirm, parent, page, message, {}, nullptr);
}

bool PageDialogs::prompt(QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue,
                         QString *result)
{
    return ask(Kind::Prompt, parent, page, message, defaultValue, result);
}

void PageDialogs::dismiss()
{
    ++m_dismissals;
    m_waiting.clear();
    if (m_open)
        m_open->reject();
}

void PageDialogs::refuseFromNow()
{
    m_refused = true;
    dismiss();
}

bool PageDialogs::confirmLeaving(QWidget *parent, const QUrl &page)
{
    QMessageBox box(QMessageBox::Question, titleFor(page),
                    QStringLiteral("Uscire da questa pagina? Le modifiche non salvate andranno perse."),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Esci"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Resta"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool PageDialogs::ask(Kind kind, QWidget *parent, const QUrl &page, const QString &message,
                      const QString &defaultValue, QString *result)
{
    // One question at a time: a page asking again while its question waits
    // (the engine's loop runs meanwhile) is answered "cancel".
    if (silenced(page) || m_asking > 0)
        return false;
    const int dismissals = m_dismissals;
    ++m_asking;
    // The page's script waits here for the answer. The loop ends when a box
    // closes or goes (its window closed, the page gone), and is seen to by
    // dismiss(). Once the page is gone nothing of it is touched again.
    const std::weak_ptr<int> alive = m_alive;
    QEventLoop wait;
    const auto waitFor = [&](QDialog *box) {
        // Only this box ends this wait: an alert answered before goes
        // later, while the next box is waited for.
        const QMetaObject::Connection answered = QObject::connect(box, &QDialog::finished, &wait, &QEventLoop::quit);
        const QMetaObject::Connection gone = QObject::connect(box, &QObject::destroyed, &wait, &QEventLoop::quit);
        wait.exec();
        if (alive.expired())
            return false;
        QObject::disconnect(answered);
        QObject::disconnect(gone);
        return true;
    };
    // The page's boxes come in the order it asked for them.
    while ((m_open || !m_waiting.isEmpty()) && m_dismissals == dismissals) {
        if (!m_open)
            showNextAlert();
        if (m_open && !waitFor(m_open))
            return false;
    }
    bool accepted = false;
    if (m_dismissals == dismissals && !silenced(page)) {
        QPointer<QDialog> box = show(kind, parent, page, message, defaultValue);
        if (!waitFor(box))
            return false;
        accepted = box && box->result() == QDialog::Accepted;
        auto *input = box ? box->findChild<QLineEdit *>(QStringLiteral("txtRisposta")) : nullptr;
        if (input && accepted && result)
            *result = input->text();
        delete box;
    }
    --m_asking;
    showNextAlert();
    return accepted && m_dismissals == dismissals;
}

QDialog *PageDialogs::show(Kind kind, QWidget *parent, const QUrl &page, const QString &message,
                           const QString &defaultValue)
{
    const QString key = page.adjusted(QUrl::RemoveFragment).toString();
    auto *box = new QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    box->setObjectName(QStringLiteral("frmMessaggioPagina"));
    box->setWindowTitle(titleFor(page));
    auto *layout = new QVBoxLayout(box);
    auto *text = new QLabel(message, box);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);
    if (kind == Kind::Prompt) {
        auto *input = new QLineEdit(defaultValue, box);
        input->setObjectName(QStringLiteral("txtRisposta"));
        layout->addWidget(input);
    }
    QCheckBox *stop = nullptr;
    if (m_flood.offersToStop(key, now())) {
        stop = new QCheckBox(stopText(), box);
        stop->setObjectName(QStringLiteral("chkBasta"));
        layout->addWidget(stop);
    }
    auto *buttons = new QDialogButtonBox(
        kind == Kind::Alert ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel, box);
    if (QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel))
        cancel->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
    layout->addWidget(buttons);
    // The flood is counted as each box goes; the one that closes lets the
    // next come. An alert's box frees itself; a confirm's or prompt's is
    // read first.
    QObject::connect(box, &QDialog::finished, box, [this, key, stop, box] {
        m_flood.dismissed(key, now());
        if (stop && stop->isChecked())
            m_flood.stop(key);
        if (m_open == box)
            m_open = nullptr;
    });
    m_open = box;
    box->setAttribute(Qt::WA_DeleteOnClose, kind == Kind::Alert);
    box->show();
    return box;
}
