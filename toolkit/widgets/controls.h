#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <initializer_list>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Builds the controls of a window at their designed place (a rectangle in pixels, from
// DesignUnits::rect) with their designed name and text.
namespace Controls {

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QRect &rect);
// A window's heading: 13.5-point bold, in the colour of the active title bar.
QLabel *heading(QWidget *parent, const char *name, const QString &caption, const QRect &rect);
// Takes text of any length: a line edit stops at 32,767 characters unless told otherwise.
QLineEdit *textBox(QWidget *parent, const char *name, const QString &text, const QRect &rect);
QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &rect);

// The colour behind the widget's own content: the window of a form or label, the field of
// a text box. Children keep their own.
void setBackColor(QWidget *widget, const QColor &color);
void setForeColor(QWidget *widget, const QColor &color);
// Puts the named children of surface in this keyboard focus order.
void setTabOrder(QWidget *surface, std::initializer_list<const char *> names);
// Keeps the label's top-left corner and fits its size to the caption.
void autoSize(QLabel *label);

} // namespace Controls
