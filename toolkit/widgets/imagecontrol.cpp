#include "imagecontrol.h"

#include <QMouseEvent>
#include <QPixmap>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

ImageControl::ImageControl(const QImage &bitmap, const QRect &rect, QWidget *parent)
    : QLabel(parent)
{
    setGeometry(rect);
    // Stretched once, as the label would on every paint; only the stretched picture is kept.
    setPixmap(QPixmap::fromImage(bitmap.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    // Moves without a button pressed reach only widgets that track the mouse.
    setMouseTracking(true);
}

void ImageControl::setExplanation(const QString &text)
{
    setFocusPolicy(Qt::TabFocus);
    setAccessibleDescription(text);
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseMove();
}

void ImageControl::focusInEvent(QFocusEvent *event)
{
    QLabel::focusInEvent(event);
    update();
    emit focused();
}

void ImageControl::focusOutEvent(QFocusEvent *event)
{
    QLabel::focusOutEvent(event);
    update();
}

void ImageControl::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    // A keyboard user sees which picture the box speaks of.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
