#pragma once

#include <QProxyStyle>

// The text boxes of the designed windows: a flat field in its background colour inside a
// two-pixel sunken border, the one of the picture areas. Besides the look, it matters
// for speed: a joint message rewrites four boxes, and the stroked, rounded frames of the
// default style cost more to paint than the whole arm.
class ClassicStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // One style for every text box of the program, owned by the application.
    static ClassicStyle *instance();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;

private:
    ClassicStyle() = default;
};
