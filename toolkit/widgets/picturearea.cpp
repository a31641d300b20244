#include "picturearea.h"

#include "classicstyle.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

// The views are redrawn hundreds of times a second when a link drives the arm. The figures
// are few and simple, so they are inked here row by row straight into the image: a
// painter set up for each figure would cost many times the figure itself. As in Qt's own
// drawing without antialiasing, pixel (x, y) is inked when the point (x, y) lies in the
// figure, so a one-pixel line at y = 20 inks row 20.

namespace {

// ceil(x) kept within [0, high]. Rows and columns are found this way many times per figure,
// where the library's ceil is a call.
int ceilWithin(double x, int high)
{
    if (!(x > 0))
        return 0;
    if (x >= high)
        return high;
    const int whole = int(x);
    return whole + (whole < x);
}

} // namespace

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
    m_backColor = color.rgb();
    fitImage();
    m_image.fill(m_backColor);
    m_inked = QRect();
    m_spans.clear();
    update(innerRect());
}

const QImage &PictureArea::image() const
{
    fitImage();
    return m_image;
}

void PictureArea::clear()
{
    beginFigure();
    // Only the pixels drawn go back to the background: a drawing of thin lines touches a
    // small part of the box around it, and the rest is background already. The image may
    // have shrunk since they were drawn.
    const auto fill = [this](int y, int from, int to) {
        to = std::min(to, m_width - 1);
        if (y < m_height && from <= to)
            std::fill(m_pixels + y * m_stride + from, m_pixels + y * m_stride + to + 1, m_backColor);
    };
    if (m_spans.size() < kMaxSpans) {
        for (const Span &span : m_spans)
            fill(span.y, span.from, span.to);
    } else {
        // So many rows make no thin drawing: the box around it is cleared.
        for (int y = m_inked.top(); y <= m_inked.bottom(); ++y)
            fill(y, m_inked.left(), m_inked.right());
    }
    m_spans.clear();
    m_changed |= std::exchange(m_inked, QRect());
    requestPaint();
}

QPointF PictureArea::toPixels(QPointF point) const
{
    return QPointF(point.x() * m_image.width() / m_scaleWidth, point.y() * m_image.height() / m_scaleHeight);
}

void PictureArea::line(QPointF from, QPointF to)
{
    beginFigure();
    const QPointF a = toPixels(from);
    const QPointF b = toPixels(to);
    const double half = m_drawWidth / 2.0;
    ink(QRectF(a, b).normalized().adjusted(-half, -half, half, half));
    // The body: a band of the pen's width along the segment, filled row by row between
    // where each row's centre line crosses its four sides.
    const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (length > 0) {
        const QPointF across(-(b.y() - a.y()) / length * half, (b.x() - a.x()) / length * half);
        const QPointF corners[4] = {a + across, b + across, b - across, a - across};
        double top = corners[0].y();
        double bottom = top;
        for (const QPointF &corner : corners) {
            top = std::min(top, corner.y());
            bottom = std::max(bottom, corner.y());
        }
        const int first = ceilWithin(top, m_height);
        const int last = ceilWithin(bottom, m_height) - 1;
        for (int y = first; y <= last; ++y) {
            const double centre = y;
            double left = HUGE_VAL;
            double right = -HUGE_VAL;
            for (int i = 0; i < 4; ++i) {
                const QPointF &p = corners[i];
                const QPointF &q = corners[(i + 1) % 4];
                if ((centre < p.y()) == (centre < q.y()))
                    continue;
                const double x = p.x() + (centre - p.y()) * (q.x() - p.x()) / (q.y() - p.y());
                left = std::min(left, x);
                right = std::max(right, x);
            }
            span(y, left, right, m_foreColor);
        }
    }
    // Round ends.
    disc(a, half, m_foreColor);
    disc(b, half, m_foreColor);
    requestPaint();
}

void PictureArea::circle(QPointF centre, double radius)
{
    beginFigure();
    const QPointF c = toPixels(centre);
    const double r = radius * m_image.width() / m_scaleWidth;
    const double half = m_drawWidth / 2.0;
    ink(QRectF(c.x() - r - half, c.y() - r - half, 2 * (r + half), 2 * (r + half)));
    // The outline is the pen's width centred on the circle; the fill is what lies inside it.
    disc(c, r + half, m_foreColor);
    disc(c, r - half, m_fillColor);
    requestPaint();
}

void PictureArea::disc(QPointF centre, double radius, QRgb color)
{
    if (radius <= 0)
        return;
    const int first = ceilWithin(centre.y() - radius, m_height);
    const int last = ceilWithin(centre.y() + radius, m_height) - 1;
    for (int y = first; y <= last; ++y) {
        const double dy = y - centre.y();
        const double reach = radius * radius - dy * dy;
        if (reach < 0)
            continue;
        const double half = std::sqrt(reach);
        span(y, centre.x() - half, centre.x() + half, color);
    }
}

void PictureArea::span(int y, double left, double right, QRgb color)
{
    const int from = ceilWithin(left, m_width);
    const int to = ceilWithin(right, m_width) - 1;
    if (from > to)
        return;
    QRgb *row = m_pixels + y * m_stride;
    std::fill(row + from, row + to + 1, color);
    if (m_spans.size() < kMaxSpans)
        m_spans.push_back({y, from, to});
}

void PictureArea::requestPaint()
{
    // Until the next paint, a part already asked for need not be asked for again: the
    // views ask for the same few places many times between two frames. What is asked for
    // is one rectangle around them all, so that anything inside it will be painted.
    const QRect changed = std::exchange(m_changed, QRect()).translated(kBorder, kBorder);
    if (changed.isEmpty() || m_requested.contains(changed))
        return;
    m_requested |= changed;
    update(m_requested);
}

void PictureArea::beginFigure()
{
    fitImage();
    // Once for the whole figure: a copy of the image handed out earlier keeps what it showed.
    m_pixels = reinterpret_cast<QRgb *>(m_image.bits());
    m_stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    m_width = m_image.width();
    m_height = m_image.height();
}

void PictureArea::ink(const QRectF &pixels)
{
    // A pixel more each way for rounding.
    const QRectF touched = pixels.adjusted(-1, -1, 1, 1) & QRectF(m_image.rect());
    if (touched.isEmpty())
        return;
    m_inked |= touched.toAlignedRect() & m_image.rect();
    m_changed |= touched.toAlignedRect() & m_image.rect();
}

QRect PictureArea::innerRect() const
{
    return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
}

void PictureArea::paintEvent(QPaintEvent *event)
{
    // Whatever is painted shows the image as it stands; a change from now on is asked for anew.
    m_requested = QRect();
    QPainter painter(this);
    // A new drawing repaints the inside alone; the border only when it was uncovered.
    if (!innerRect().contains(event->rect()))
        ClassicStyle::drawSunkenBorder(&painter, rect(), palette());
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
