#include "countersline.h"

#include <QAccessible>
#include <QPainter>

CountersLine::CountersLine(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // It paints its own background: new counters repaint the line alone, not the window and
    // its frame beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CountersLine::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    // A screen reader reads it as the widget's name, written only when one listens.
    if (QAccessible::isActive())
        setAccessibleName(text);
    update();
}

QSize CountersLine::sizeHint() const
{
    return QSize(200, 2 * fontMetrics().lineSpacing() + 2);
}

void CountersLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_text);
}
