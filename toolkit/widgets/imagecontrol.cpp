#include "imagecontrol.h"

#include <QMouseEvent>
#include <QPixmap>

ImageControl::ImageControl(const QImage &bitmap, const QRect &rect, QWidget *parent)
    : QLabel(parent)
{
    setGeometry(rect);
    // Stretched once, as the label would on every paint; only the stretched picture is kept.
    setPixmap(QPixmap::fromImage(bitmap.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    // Moves without a button pressed reach only widgets that track the mouse.
    setMouseTracking(true);
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseMove();
}
