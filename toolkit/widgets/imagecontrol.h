#pragma once

#include <QImage>
#include <QLabel>

class QMouseEvent;

// An image control: a bitmap stretched to the control's rectangle, that tells each move
// of the pointer over it. Moves over it reach nothing behind it, whether anyone listens or
// not. One that explains something also takes the keyboard focus with Tab, which it tells
// too, so that what the pointer shows can be reached without a mouse.
class ImageControl : public QLabel
{
    Q_OBJECT

public:
    ImageControl(const QImage &bitmap, const QRect &rect, QWidget *parent = nullptr);

    // Reachable with Tab; a screen reader says the text as the picture's description.
    void setExplanation(const QString &text);

signals:
    void mouseMove();
    void focused();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
