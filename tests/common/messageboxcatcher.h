#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Watches for application-modal message boxes while a test runs, records their title, text
// and buttons, and dismisses each: an information box with its OK button (or with the
// button of its offer, when the test chose to press that), a question with the answer the
// test chose.
class MessageBoxCatcher : public QObject
{
public:
    struct Box
    {
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        // The texts of the buttons that are not standard ones: what a box offers to do.
        QStringList offers;
    };

    MessageBoxCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::poll);
        m_timer.start(20);
    }

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    // Presses the offered button with this text instead of OK, where a box has one.
    void setPressOffer(const QString &offer) { m_offer = offer; }
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
        QStringList offers;
        QAbstractButton *offered = nullptr;
        for (QAbstractButton *button : box->buttons()) {
            if (box->standardButton(button) != QMessageBox::NoButton)
                continue;
            offers.append(button->text());
            if (!m_offer.isEmpty() && button->text() == m_offer)
                offered = button;
        }
        m_boxes.append({box->windowTitle(), box->text(), box->standardButtons(), offers});
        QAbstractButton *button = offered ? offered : box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok) : box->button(m_answer);
        if (button)
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QList<Box> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::No;
    QString m_offer;
};
