#include "picturearea.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <qdrawutil.h>

#include <utility>

PictureArea::PictureArea(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureArea::setScale(double width, double height)
{
    m_scaleWidth = width;
    m_scaleHeight = height;
}

void PictureArea::setBackColor(const QColor &color)
{
    m_backColor = color;
    fitImage();
    m_image.fill(m_backColor);
    m_inked = QRect();
    update(innerRect());
}

const QImage &PictureArea::image() const
{
    fitImage();
    return m_image;
}

void PictureArea::clear()
{
    fitImage();
    // Only what was drawn goes back to the background: the rest is background already.
    const QRect inked = std::exchange(m_inked, QRect());
    if (inked.isEmpty())
        return;
    QPainter painter(&m_image);
    painter.fillRect(inked, m_backColor);
    painter.end();
    update(inked.translated(kBorder, kBorder));
}

QPointF PictureArea::toPixels(QPointF point) const
{
    return QPointF(point.x() * m_image.width() / m_scaleWidth, point.y() * m_image.height() / m_scaleHeight);
}

void PictureArea::paintOnImage(QPainter &painter) const
{
    painter.begin(&m_image);
    painter.setPen(QPen(m_foreColor, m_drawWidth, Qt::SolidLine, Qt::RoundCap));
}

void PictureArea::line(QPointF from, QPointF to)
{
    fitImage();
    const QPointF a = toPixels(from);
    const QPointF b = toPixels(to);
    QPainter painter;
    paintOnImage(painter);
    painter.drawLine(a, b);
    painter.end();
    const double half = m_drawWidth / 2.0;
    ink(QRectF(a, b).normalized().adjusted(-half, -half, half, half));
}

void PictureArea::circle(QPointF centre, double radius)
{
    fitImage();
    const QPointF c = toPixels(centre);
    const double r = radius * m_image.width() / m_scaleWidth;
    QPainter painter;
    paintOnImage(painter);
    // The outline is the pen's width centred on the circle; the fill is what lies inside it.
    painter.setBrush(m_fillColor);
    painter.drawEllipse(c, r, r);
    painter.end();
    const double reach = r + m_drawWidth / 2.0;
    ink(QRectF(c.x() - reach, c.y() - reach, 2 * reach, 2 * reach));
}

void PictureArea::ink(const QRectF &pixels)
{
    // A pixel more each way for rounding.
    const QRect touched = pixels.adjusted(-1, -1, 1, 1).toAlignedRect() & m_image.rect();
    if (touched.isEmpty())
        return;
    m_inked |= touched;
    update(touched.translated(kBorder, kBorder));
}

QRect PictureArea::innerRect() const
{
    return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
}

void PictureArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // A new drawing repaints the inside alone; the border only when it was uncovered.
    if (!innerRect().contains(event->rect()))
        qDrawWinPanel(&painter, rect(), palette(), true);
    const QRect source = event->rect().translated(-kBorder, -kBorder) & image().rect();
    painter.drawImage(source.topLeft() + QPoint(kBorder, kBorder), image(), source);
}

void PictureArea::resizeEvent(QResizeEvent *)
{
    fitImage();
}

void PictureArea::fitImage() const
{
    const QSize inner = (size() - QSize(2 * kBorder, 2 * kBorder)).expandedTo(QSize(1, 1));
    if (inner == m_image.size())
        return;
    // The drawing survives a resize: it is kept at the top-left of the new area.
    QImage resized(inner, QImage::Format_RGB32);
    resized.fill(m_backColor);
    if (!m_image.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, m_image);
    }
    m_image = resized;
    m_inked &= m_image.rect();
}
