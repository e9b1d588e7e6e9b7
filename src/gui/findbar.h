#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;
class SpokenNotice;
class WebView;

// The small bar over the bottom of the forum view that finds text in the
// page: Enter goes to the next match, Shift+Enter to the previous one, Esc
// closes the bar and takes the highlight away.
class FindBar final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindBar)

public:
    static constexpr double heightTwips = 375;

    FindBar(WebView *view, QWidget *parent);

    // Shows the bar with its text selected, ready for a new search.
    void open();
    void close();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void find(bool backwards);
    void showResult(int active, int total);

    WebView *m_view = nullptr;
    QLineEdit *m_text = nullptr;
    QLabel *m_count = nullptr;
    SpokenNotice *m_notice = nullptr;
};
