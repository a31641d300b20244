#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QWidget>

#include <vector>

// A drawing surface with a user scale: (0, 0) at the top-left of the inner area, y down,
// the scale width and height spanning the whole inner area. Thick segments with round
// ends and outlined, filled circles go into a backing image, so the drawing stays until
// the next clear whatever happens to the window, and everything is clipped to the inner
// area. Drawing is without antialiasing.
class PictureArea : public QWidget
{
    Q_OBJECT

public:
    // The single three-dimensional border takes two pixels on each side.
    static constexpr int kBorder = 2;

    explicit PictureArea(QWidget *parent = nullptr);

    void setScale(double width, double height);
    double scaleWidth() const { return m_scaleWidth; }
    double scaleHeight() const { return m_scaleHeight; }

    void setBackColor(const QColor &color);
    void setForeColor(const QColor &color) { m_foreColor = color.rgb(); }
    void setFillColor(const QColor &color) { m_fillColor = color.rgb(); }
    void setDrawWidth(int pixels) { m_drawWidth = pixels; }

    void clear();
    void line(QPointF from, QPointF to);
    // The radius is in horizontal scale units; the circle is round in pixels.
    void circle(QPointF centre, double radius);

    // The inner drawing area as it stands.
    const QImage &image() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The backing image follows the widget's size, also while the widget is hidden and
    // gets no resize events.
    void fitImage() const;
    QRect innerRect() const;
    QPointF toPixels(QPointF point) const;

    // Makes the image ready for drawing into it directly.
    void beginFigure();
    // Inks the pixels x of row y with left <= x < right.
    void span(int y, double left, double right, QRgb color);
    void disc(QPointF centre, double radius, QRgb color);
    // Notes the pixels a figure may touch, to be repainted.
    void ink(const QRectF &pixels);
    // Asks for what changed to be repainted.
    void requestPaint();

    struct Span
    {
        int y, from, to;
    };
    // Rows remembered for the next clear; a drawing with more is cleared by its box.
    static constexpr std::size_t kMaxSpans = 4096;

    mutable QImage m_image;
    // What has been drawn since the last clear, and what changed since the last repaint
    // request, in pixels of the image.
    mutable QRect m_inked;
    QRect m_changed;
    // The rows inked since the last clear, to be cleared again.
    std::vector<Span> m_spans;
    // Asked for and not yet painted, in widget pixels.
    QRect m_requested;
    // The image as the figure being drawn sees it.
    QRgb *m_pixels = nullptr;
    qsizetype m_stride = 0;
    int m_width = 0;
    int m_height = 0;
    double m_scaleWidth = 1.0;
    double m_scaleHeight = 1.0;
    QRgb m_backColor = qRgb(255, 255, 255);
    QRgb m_foreColor = qRgb(0, 0, 0);
    QRgb m_fillColor = qRgb(0, 0, 0);
    int m_drawWidth = 1;
};
