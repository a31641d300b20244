#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>

// A drawing surface with a user scale: (0, 0) at the top-left of the inner area, y down,
// the scale width and height spanning the whole inner area. Thick segments with round
// ends and outlined, filled circles go into a backing image, so the drawing stays until
// the next clear whatever happens to the window, and everything is clipped to the inner
// area. Drawing is without antialiasing. The single three-dimensional border is the
// Windows panel, two pixels each side.
class PictureArea : public QFrame
{
    Q_OBJECT

public:

    // One painter on the image for every figure and clear while it lives, instead of one
    // for each: for a whole redraw.
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

    explicit PictureArea(QWidget *parent = nullptr);

    void setScale(double width, double height);
    double scaleWidth() const { return m_scaleWidth; }
    double scaleHeight() const { return m_scaleHeight; }

    void setBackColor(const QColor &color);
    void setForeColor(const QColor &color) { m_foreColor = color; }
    void setFillColor(const QColor &color) { m_fillColor = color; }
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
    QPointF toPixels(QPointF point) const;
    // The painter for a figure, with the pen of this area; endFigure() lets it go unless a
    // batch holds it.
    QPainter &beginFigure();
    void endFigure();
    // Notes the pixels a figure may touch, in pixels of the image, to be cleared and
    // repainted.
    void ink(const QRectF &pixels);
    // The pixels of the image go to the screen with the window's next paint.
    void changed(const QRect &pixels);

    mutable QImage m_image;
    QPainter m_painter;
    int m_batches = 0;
    // What has been drawn since the last clear, in pixels of the image.
    mutable QRect m_inked;
    double m_scaleWidth = 1.0;
    double m_scaleHeight = 1.0;
    QColor m_backColor = Qt::white;
    QColor m_foreColor = Qt::black;
    QColor m_fillColor = Qt::black;
    int m_drawWidth = 1;
};
