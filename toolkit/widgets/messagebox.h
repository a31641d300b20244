#pragma once

#include <QString>

class QWidget;

namespace MessageBox {

// An application-modal box with an OK button only and no icon; returns when dismissed.
void show(QWidget *parent, const QString &text, const QString &title);

// The same box with a second button beside OK that offers what to do about it; true when
// the user chose that button.
bool showOffering(QWidget *parent, const QString &text, const QString &title, const QString &offer);

// An application-modal question with the buttons Sí and No, No the default. True for Sí.
bool ask(QWidget *parent, const QString &text, const QString &title);

} // namespace MessageBox
