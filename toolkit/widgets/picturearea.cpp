#include "picturearea.h"

#include <QPaintEvent>
#include <QPen>

#include <utility>

PictureArea::Batch::Batch(PictureArea *area)
    : m_area(area)
{
    m_area->beginFigure();
    ++m_area->m_batches;
}

PictureArea::Batch::~Batch()
{
    --m_area->m_batches;
    m_area->endFigure();
}

PictureArea::PictureArea(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
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
    update(contentsRect());
}

const QImage &PictureArea::image() const
{
    fitImage();
    return m_image;
}

void PictureArea::clear()
{
    // Only what was drawn goes back to the background: the rest is background already.
    QPainter &painter = beginFigure();
    const QRect inked = std::exchange(m_inked, QRect());
    painter.fillRect(inked, m_backColor);
    endFigure();
    changed(inked);
}

QPointF PictureArea::toPixels(QPointF point) const
{
    return QPointF(point.x() * m_image.width() / m_scaleWidth, point.y() * m_image.height() / m_scaleHeight);
}

QPainter &PictureArea::beginFigure()
{
    if (!m_painter.isActive()) {
        fitImage();
        m_painter.begin(&m_image);
    }
    m_painter.setPen(QPen(m_foreColor, m_drawWidth, Qt::SolidLine, Qt::RoundCap));
    return m_painter;
}

void PictureArea::endFigure()
{
    if (m_batches == 0)
        m_painter.end();
}

void PictureArea::line(QPointF from, QPointF to)
{
    QPainter &painter = beginFigure();
    const QPointF a = toPixels(from);
    const QPointF b = toPixels(to);
    painter.drawLine(a, b);
    endFigure();
    const double half = m_drawWidth / 2.0;
    ink(QRectF(a, b).normalized().adjusted(-half, -half, half, half));
}

void PictureArea::circle(QPointF centre, double radius)
{
    QPainter &painter = beginFigure();
    const QPointF c = toPixels(centre);
    const double r = radius * m_image.width() / m_scaleWidth;
    // The outline is the pen's width centred on the circle; the fill is what lies inside it.
    // Drawn as a disc of the pen's colour with a smaller one of the fill's over it: a wide
    // pen stroked round an ellipse took a third of a whole redraw of the side view.
    const double half = m_drawWidth / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_foreColor);
    painter.drawEllipse(c, r + half, r + half);
    if (r > half) {
        painter.setBrush(m_fillColor);
        painter.drawEllipse(c, r - half, r - half);
    }
    painter.setBrush(Qt::NoBrush);
    endFigure();
    const double reach = r + m_drawWidth / 2.0;
    ink(QRectF(c.x() - reach, c.y() - reach, 2 * reach, 2 * reach));
}

void PictureArea::ink(const QRectF &pixels)
{
    // A pixel more each way for rounding.
    const QRect touched = pixels.adjusted(-1, -1, 1, 1).toAlignedRect() & m_image.rect();
    m_inked |= touched;
    changed(touched);
}

void PictureArea::changed(const QRect &pixels)
{
    // Marked dirty only: the window paints it, once a frame where its clock holds paints.
    if (!pixels.isEmpty())
        update(pixels.translated(contentsRect().topLeft()));
}

void PictureArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // A new drawing repaints the inside alone; the border only when it was uncovered.
    if (!contentsRect().contains(event->rect()))
        drawFrame(&painter);
    const QPoint inner = contentsRect().topLeft();
    const QRect source = event->rect().translated(-inner) & image().rect();
    painter.drawImage(source.topLeft() + inner, image(), source);
}

void PictureArea::resizeEvent(QResizeEvent *)
{
    fitImage();
}

void PictureArea::fitImage() const
{
    const QSize inner = contentsRect().size().expandedTo(QSize(1, 1));
    if (inner == m_image.size() || m_painter.isActive())
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
