#pragma once

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
    Q_OBJECT

public:
    struct Box
    {
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    explicit MessageBoxCatcher(QObject *parent = nullptr);

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    const QList<Box> &boxes() const { return m_boxes; }
    QString texts() const;
    void clear() { m_boxes.clear(); }

private:
    void poll();

    QTimer m_timer;
    QList<Box> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::No;
};
