#pragma once

#include "app/appcontext.h"
#include "app/mainwindowstate.h"

#include <QRectF>
#include <QWidget>

class NavigationBar;
class fraIconario;
class QLabel;
class QSessionManager;
class QTimer;
class WebView;

// The main window: the forum in a web view, the navigation bar, the address
// and status lines, and the emoticon picker panel.
class frmVelmora final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmVelmora)

public:
    // Creates the window and runs its load step; the caller shows it.
    explicit frmVelmora(const AppContext &context, QWidget *parent = nullptr);
    ~frmVelmora() override;

    static QString initialTitle() { return QStringLiteral("NORVALE system - VELMORA FORUM "); }

    const MainWindowState &state() const { return m_state; }
    WebView *WB() const { return m_WB; }
    NavigationBar *navigationBar() const { return m_navigationBar; }
    fraIconario *picker() const { return m_fraIconario; }

    // Outer geometry (frame and title bar included), in twips.
    QRectF outerGeometryTwips() const;
    void setOuterGeometryTwips(const QRectF &twips);

    // Full screen width at the top left, 400 twips short of the screen height.
    void placeAtStartUp();

    // The handlers, public so that the program's pieces and tests can drive
    // them as the window system would.
    void imgNavy_Click(int Index);
    void tmrBusy_Timer();
    void tmrWBSizer_Timer();
    void WB_StatusTextChange(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void Form_Load();
    // True when the user answered Yes to the exit question.
    bool confirmExit();
    // True when no download runs, or the user leaves it unfinished.
    bool confirmDownloads();
    void WB_CloseAccepted();
    void onCommitDataRequest(QSessionManager &manager);

    AppContext m_context;
    MainWindowState m_state;
    WebView *m_WB = nullptr;
    NavigationBar *m_navigationBar = nullptr;
    fraIconario *m_fraIconario = nullptr;
    QLabel *m_lblURL = nullptr;
    QLabel *m_lblStatus = nullptr;
    QTimer *m_tmrBusy = nullptr;
    QTimer *m_tmrWBSizer = nullptr;
    // The outer size last set, in twips: the pixels it snapped to would lose
    // the fraction (768 px less 400 twips is 741.33 px).
    QRectF m_outerTwips;
    bool m_exitConfirmed = false;
    // The user said Yes; the page is asking about its unsent text.
    bool m_closeRequested = false;
    // The frame's size is known only once the window manager has framed the
    // window; the start-up placement is made again then.
    bool m_awaitingFrame = false;
};
