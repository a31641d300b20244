#include "messageboxcatcher.h"

#include <QAbstractButton>
#include <QApplication>

MessageBoxCatcher::MessageBoxCatcher(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::poll);
    m_timer.start();
}

QString MessageBoxCatcher::texts() const
{
    QStringList texts;
    for (const Box &box : m_boxes)
        texts.append(box.text);
    return texts.join(QStringLiteral("\n---\n"));
}

void MessageBoxCatcher::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    m_boxes.append({box->windowTitle(), box->text(), box->standardButtons()});
    QAbstractButton *button = box->button(QMessageBox::Ok);
    if (!button)
        button = box->button(m_answer);
    if (button)
        button->click();
    else
        box->reject();
}
