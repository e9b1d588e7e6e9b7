#pragma once

#include "help/explanationwindow.h"

class QLabel;

// How to get an image's address from the browser, in five numbered steps
// beside a picture of the browser's "Proprietà" window.
class frmHowToGetImgInfo final : public ExplanationWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmHowToGetImgInfo)

public:
    explicit frmHowToGetImgInfo(QWidget *parent = nullptr);

private:
    QLabel *numberBox(const QString &name, const QString &number, const QRectF &twips);
    QLabel *stepText(const QString &name, const QString &text, const QRectF &twips);
    QLabel *picture(const QString &name, const QString &resource, const QRectF &twips);
};
