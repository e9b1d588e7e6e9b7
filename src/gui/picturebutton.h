#pragma once

#include <QAbstractButton>
#include <QIcon>

// A button drawn as a picture stretched to its size, or as a bare caption
// centred at its top on its parent's background. Its icon's modes are its
// states: Normal at rest, Active under the pointer or while pressed,
// Disabled when it cannot be pressed. Being a button, it takes the focus by
// Tab, is pressed by Space, Enter or Return, and tells screen readers it is
// a button. A checkable one shows a state its owner keeps (a panel open or
// shut): a click asks for the change, it does not flip the state itself.
class PictureButton final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget *parent = nullptr);

    // The state whose picture is shown now.
    QIcon::Mode pictureMode() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void nextCheckState() override { }

private:
    // Only focus that came by keyboard is framed: a frame after every
    // programmatic focus would only distract.
    bool showsFocusFrame() const { return hasFocus() && m_keyboardFocus; }

    bool m_keyboardFocus = false;
};
