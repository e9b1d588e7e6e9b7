#pragma once

#include "core/personalset.h"
#include "gui/appcontext.h"
#include "gui/mainwindowstate.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QList>

#include <chrono>

class SpokenNotice;
class AnimatedButton;
class QLabel;
class ListBox;
class QPushButton;
class QScrollArea;
class QTimer;

// The emoticon picker: a panel at the left of the main window that slides
// open, lets the user choose a set and an emoticon, previews it and puts its
// forum image tag on the clipboard.
class fraIconario final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(fraIconario)

public:
    static constexpr qint32 openHeight = 6390;
    static constexpr qint32 startHeight = 90;
    static constexpr qint32 slideStep = 100;

    fraIconario(const AppContext &context, MainWindowState &state, QWidget *window);

    // Run by the navigation bar's picker button.
    void openSequence();
    // Gives the keyboard to the chosen set's button, or the first.
    void focusSets();
    // Says what OK did with the tag: typed into the message, or only put on
    // the clipboard.
    void tellWhereTheTagWent(bool typed);
    static QString typedText(const QString &name) { return QStringLiteral("Inserito nel messaggio: ") + name; }
    static QString copiedText(const QString &name) { return QStringLiteral("Copiato negli appunti: ") + name; }
    // How long "FATTO" stays after OK, a second; tests wait less.
    void setDoneInterval(std::chrono::milliseconds interval);

    // The handlers, public so that the window's pieces and tests can drive
    // them as the window system would.
    void lblChiudiIC_Click();
    void optEmo_Click(int Index);
    void lstEmo_Click();
    void cmdEmoOK_Click();
    void cmdHelpIC_Click();
    void tmrMoveFrame_Timer();
    void tmrEmoBusy_Timer();
    void tmrDone_Timer();

signals:
    // OK copied tag to the clipboard; the window may also type it where the
    // user was writing.
    void tagCopied(const QString &tag);
    // An emoticon of set was used, by OK or dropped into a field: the
    // palette counts it among the recent ones.
    void emoticonUsed(int set, const QString &name);
    // The panel wrote the window's state (it opened, reached its full
    // height or closed): the window lays itself out again.
    void stateChanged();
    // "CHIUDI L'ICONARIO" was pressed with the keyboard: the keyboard goes
    // back where it was, as with Esc.
    void closedByKeyboard();

public:
    qint16 SetScelto() const { return m_SetScelto; }
    QString CartellaSet() const { return m_CartellaSet; }
    QString TagsEmo() const { return m_TagsEmo; }
    qint32 heightTwips() const { return m_heightTwips; }
    WebView *WBIC() const { return m_WBIC; }
    // The personal set as last read, behind the names the list shows.
    const PersonalSet &personalSet() const { return m_personalSet; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void setHeightTwips(qint32 height);
    void slideTimerFired();
    void fillFromCatalogue(int set);
    void CaricaSetIconario();
    void CaricaSetPtoInformatico();
    void CaricaSetQuizzy();
    void CaricaSetYahoo();
    void CaricaSetPersonale();
    void unchooseSets(int index);
    void keepFocusInPanel();
    QString forumLogo() const;
    // The image address and the tag of a row of the list as it stands.
    QString imageUrlFor(int row) const;
    QString tagFor(int row) const;

    AppContext m_context;
    MainWindowState &m_state;

    // Kept in twips: read back from snapped pixels, the height could step
    // past its end without ever equalling it.
    qint32 m_heightTwips = openHeight;
    QElapsedTimer m_slideClock;
    qint64 m_slideTicks = 0;
    qint16 m_SetScelto = 0;
    QString m_CartellaSet;
    QString m_TagsEmo;
    // The name of the emoticon whose tag OK copied last.
    QString m_copiedName;
    bool m_filling = false;
    PersonalSet m_personalSet;

    QScrollArea *m_scroll = nullptr;
    QWidget *m_content = nullptr;
    QList<QPushButton *> m_optEmo;
    ListBox *m_lstEmo = nullptr;
    WebView *m_WBIC = nullptr;
    QLabel *m_lblEmoBusy = nullptr;
    QLabel *m_lblDone = nullptr;
    SpokenNotice *m_notice = nullptr;
    AnimatedButton *m_cmdEmoOK = nullptr;
    QTimer *m_tmrMoveFrame = nullptr;
    QTimer *m_tmrEmoBusy = nullptr;
    QTimer *m_tmrDone = nullptr;
};
