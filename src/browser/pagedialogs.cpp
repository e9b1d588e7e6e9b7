#include "browser/pagedialogs.h"

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

void PageDialogs::alert(QWidget *parent, const QUrl &page, const QString &message)
{
    show(Kind::Alert, parent, page, message, {}, nullptr);
}

bool PageDialogs::confirm(QWidget *parent, const QUrl &page, const QString &message)
{
    return show(Kind::Confirm, parent, page, message, {}, nullptr);
}

bool PageDialogs::prompt(QWidget *parent, const QUrl &page, const QString &message, const QString &defaultValue,
                         QString *result)
{
    return show(Kind::Prompt, parent, page, message, defaultValue, result);
}

void PageDialogs::refuseFromNow()
{
    m_refused = true;
    if (m_open)
        m_open->reject();
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

bool PageDialogs::show(Kind kind, QWidget *parent, const QUrl &page, const QString &message,
                       const QString &defaultValue, QString *result)
{
    const QString key = page.adjusted(QUrl::RemoveFragment).toString();
    if (m_refused || m_flood.isStopped(key))
        return false;

    QDialog box(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    box.setObjectName(QStringLiteral("frmMessaggioPagina"));
    box.setWindowTitle(titleFor(page));
    auto *layout = new QVBoxLayout(&box);
    auto *text = new QLabel(message, &box);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);
    QLineEdit *input = nullptr;
    if (kind == Kind::Prompt) {
        input = new QLineEdit(defaultValue, &box);
        input->setObjectName(QStringLiteral("txtRisposta"));
        layout->addWidget(input);
    }
    QCheckBox *stop = nullptr;
    if (m_flood.offersToStop(key, now())) {
        stop = new QCheckBox(stopText(), &box);
        stop->setObjectName(QStringLiteral("chkBasta"));
        layout->addWidget(stop);
    }
    auto *buttons = new QDialogButtonBox(
        kind == Kind::Alert ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    if (QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel))
        cancel->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons);

    // Not modal: a modal box would block the main window's close box while
    // a page shows one box after another.
    QEventLoop answered;
    QObject::connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
    m_open = &box;
    box.show();
    answered.exec();
    const bool accepted = box.result() == QDialog::Accepted;
    m_flood.dismissed(key, now());
    if (stop && stop->isChecked())
        m_flood.stop(key);
    if (input && accepted && result)
        *result = input->text();
    return accepted;
}
