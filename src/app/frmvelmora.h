#pragma once

#include "gui/appcontext.h"
#include "gui/mainwindowstate.h"

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <chrono>

class Commands;
class DownloadsButton;
class FindBar;
class NavigationBar;
class ZoomControl;
class fraIconario;
class EmoticonPalette;
class QLabel;
class QSessionManager;
class SpokenNotice;
class QTimer;
class ReadingView;
class QUrl;
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
    EmoticonPalette *palette() const { return m_palette; }
    FindBar *findBar() const { return m_findBar; }
    ReadingView *readingView() const { return m_reading; }
    Commands *commands() const { return m_commands; }

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
    // The desktop session is ending and lets the program ask: true to let it
    // end. A Yes holds for that session end only.
    bool sessionEnding();
    // How long a window just shown looks for its window manager's frame.
    void setFrameWaitInterval(std::chrono::milliseconds interval) { m_frameWait = interval; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The address line's text, on the window's orange and on the red of a
    // page loading.
    static QColor addressText() { return QColor(32, 32, 32); }
    static QColor addressBusyText() { return Qt::white; }
    static QString pickerOpenedText() { return QStringLiteral("Iconario aperto"); }
    static QString pickerClosedText() { return QStringLiteral("Iconario chiuso"); }

private:
    void closePickerByKey();
    // Ctrl+.: the palette beside the caret of the page's field, or near
    // what has the keyboard in the page when the caret's place is unknown.
    void openPalette();
    void Form_Load();
    void addKeys();
    void addToPersonalSet(const QUrl &image);
    void placeFindBar();
    // F9: the page as text to read, over the page; F9 or Esc again gives the
    // keyboard back to the page.
    void toggleReading();
    void closeReading();
    // Starts tmrWBSizer, unless the rule is restoring a window made too small.
    void layOutSoon();
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
    EmoticonPalette *m_palette = nullptr;
    // The name of the emoticon the palette chose, being typed.
    QString m_paletteName;
    QLabel *m_lblURL = nullptr;
    QLabel *m_lblStatus = nullptr;
    QTimer *m_tmrBusy = nullptr;
    QTimer *m_tmrWBSizer = nullptr;
    FindBar *m_findBar = nullptr;
    Commands *m_commands = nullptr;
    DownloadsButton *m_downloadsButton = nullptr;
    ZoomControl *m_zoom = nullptr;
    SpokenNotice *m_notice = nullptr;
    ReadingView *m_reading = nullptr;
    // OK copied a tag that the forum view is typing: its answer is told.
    bool m_tagPending = false;
    // The outer size last set, in twips: the pixels it snapped to would lose
    // the fraction (768 px less 400 twips is 741.33 px).
    QRectF m_outerTwips;
    // Yes at a session end: the closing that follows asks no more, unless
    // the user acts again first (the session end was cancelled).
    bool m_exitConfirmed = false;
    // The user said Yes; the page is asking about its unsent text.
    bool m_closeRequested = false;
    // The frame's size is known only once the window manager has framed the
    // window; the start-up placement is made again then, unless the user has
    // placed the window already.
    bool m_shown = false;
    bool m_awaitingFrame = false;
    std::chrono::milliseconds m_frameWait{3000};
    // The too-small message is open, or the start-up place being restored.
    bool m_resuming = false;
    bool m_stateChangedByUser = false;
    QRect m_placedGeometry;
    bool userHasPlaced() const;
};
