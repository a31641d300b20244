#pragma once

#include <QImage>
#include <QLabel>

class QMouseEvent;

// An image control: a bitmap stretched to the control's rectangle, that tells each move
// of the pointer over it. Moves over it reach nothing behind it, whether anyone listens or
// not.
class ImageControl : public QLabel
{
    Q_OBJECT

public:
    ImageControl(const QImage &bitmap, const QRect &rect, QWidget *parent = nullptr);

signals:
    void mouseMove();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
};
