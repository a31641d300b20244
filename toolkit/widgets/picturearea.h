#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QWidget>

// A drawing surface with a user scale: (0, 0) at the top-left of the inner area, y down,
// the scale width and height spanning the whole inner area. Segments and filled circles
// go into a backing image, so the drawing stays until the next clear whatever happens to
// the window, and everything is clipped to the inner area.
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
    void setForeColor(const QColor &color) { m_foreColor = color; }
    void setFillColor(const QColor &color) { m_fillColor = color; }
    void setDrawWidth(int pixels) { m_drawWidth = pixels; }

    // Drawing calls made while a Batch lives share one painter: a figure of many parts
    // costs one painter set-up, not one for each part.
    class Batch
    {
    public:
        explicit Batch(PictureArea *area);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        PictureArea *m_area;
    };

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
    // Schedules a repaint of the drawing, not of the border.
    void updateDrawing();
    QRect innerRect() const;
    QPointF toPixels(QPointF point) const;
    // The batch's painter, or a painter of its own for a single call.
    template <typename Draw>
    void paint(Draw draw);
    double pixelsPerUnitX() const;
    double pixelsPerUnitY() const;

    mutable QImage m_image;
    QPainter *m_batchPainter = nullptr;
    double m_scaleWidth = 1.0;
    double m_scaleHeight = 1.0;
    QColor m_backColor = Qt::white;
    QColor m_foreColor = Qt::black;
    QColor m_fillColor = Qt::black;
    int m_drawWidth = 1;
};
