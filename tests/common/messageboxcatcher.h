#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches for application-modal message boxes while a test runs, records their title and
// text, and dismisses each: an information box with its OK button, a question with the
// answer the test chose.
class MessageBoxCatcher : public QObject
{
public:
    struct Box
    {
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    MessageBoxCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::poll);
        m_timer.start(20);
    }

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    const QList<Box> &boxes() const { return m_boxes; }
    void clear() { m_boxes.clear(); }
    QString texts() const
    {
        QStringList texts;
        for (const Box &box : m_boxes)
            texts.append(box.text);
        return texts.join(QStringLiteral("\n---\n"));
    }

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_boxes.append({box->windowTitle(), box->text(), box->standardButtons()});
        QAbstractButton *button = box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok) : box->button(m_answer);
        if (button)
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QList<Box> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::No;
};
