#include "classicstyle.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

ClassicStyle *ClassicStyle::instance()
{
    static QPointer<ClassicStyle> style;
    if (!style) {
        style = new ClassicStyle;
        style->setParent(qApp);
    }
    return style;
}

void ClassicStyle::drawSunkenBorder(QPainter *painter, const QRect &rect, const QPalette &palette)
{
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    if (w < 4 || h < 4)
        return;
    const QColor dark = palette.color(QPalette::Dark);
    const QColor light = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Shadow);
    const QColor midlight = palette.color(QPalette::Midlight);
    // Outer ring: lit from the top left.
    painter->fillRect(x, y, w - 1, 1, dark);
    painter->fillRect(x, y, 1, h - 1, dark);
    painter->fillRect(x, y + h - 1, w, 1, light);
    painter->fillRect(x + w - 1, y, 1, h, light);
    // Inner ring.
    painter->fillRect(x + 1, y + 1, w - 3, 1, shadow);
    painter->fillRect(x + 1, y + 1, 1, h - 3, shadow);
    painter->fillRect(x + 1, y + h - 2, w - 2, 1, midlight);
    painter->fillRect(x + w - 2, y + 1, 1, h - 2, midlight);
}

void ClassicStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                 const QWidget *widget) const
{
    switch (element) {
    case PE_PanelLineEdit:
        if (const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option)) {
            const QRect inner = frame->lineWidth > 0 ? option->rect.adjusted(2, 2, -2, -2) : option->rect;
            painter->fillRect(inner, option->palette.brush(QPalette::Base));
            if (frame->lineWidth > 0)
                drawSunkenBorder(painter, option->rect, option->palette);
            return;
        }
        break;
    case PE_FrameLineEdit:
        drawSunkenBorder(painter, option->rect, option->palette);
        return;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int ClassicStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    if (metric == PM_DefaultFrameWidth && qobject_cast<const QLineEdit *>(widget))
        return 2;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
