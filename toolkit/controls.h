#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Builds the controls of a window at their designed place (a rectangle in pixels, from
// VbUnits::rect) with their designed name and text.
namespace Controls {

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QRect &rect);
QLineEdit *textBox(QWidget *parent, const char *name, const QString &text, const QRect &rect);
QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &rect);

void setBackColor(QWidget *widget, const QColor &color);
void setForeColor(QWidget *widget, const QColor &color);
// Puts the widgets in this keyboard focus order.
void setTabOrder(const QList<QWidget *> &order);
// Keeps the label's top-left corner and fits its size to the caption.
void autoSize(QLabel *label);

} // namespace Controls
