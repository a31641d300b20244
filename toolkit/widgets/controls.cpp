#include "controls.h"

#include "classicstyle.h"
#include "designunits.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace Controls {

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel *heading(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    QLabel *heading = label(parent, name, caption, rect);
    QFont font = heading->font();
    font.setPointSizeF(13.5);
    font.setBold(true);
    heading->setFont(font);
    setForeColor(heading, DesignUnits::color(DesignUnits::kActiveTitleBar));
    return heading;
}

QLineEdit *textBox(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setText(text);
    box->setStyle(ClassicStyle::instance());
    // The style fills the whole box, border and field: nothing behind it need be painted
    // first when its text changes.
    box->setAttribute(Qt::WA_OpaquePaintEvent);
    box->setGeometry(rect);
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(rect);
    return button;
}

void setBackColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setForeColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->foregroundRole(), color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void setTabOrder(QWidget *surface, std::initializer_list<const char *> names)
{
    QWidget *previous = nullptr;
    for (const char *name : names) {
        auto *widget = surface->findChild<QWidget *>(QLatin1String(name));
        Q_ASSERT_X(widget, "Controls::setTabOrder", name);
        if (previous && widget)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void autoSize(QLabel *label)
{
    label->resize(label->sizeHint());
}

} // namespace Controls
