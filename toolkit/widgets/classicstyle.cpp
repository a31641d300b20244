#include "classicstyle.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <qdrawutil.h>

ClassicStyle *ClassicStyle::instance()
{
    static QPointer<ClassicStyle> style;
    if (!style) {
        style = new ClassicStyle;
        style->setParent(qApp);
    }
    return style;
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
                qDrawWinPanel(painter, option->rect, option->palette, true);
            return;
        }
        break;
    case PE_FrameLineEdit:
        qDrawWinPanel(painter, option->rect, option->palette, true);
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
