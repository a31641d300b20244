#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches for application-modal message boxes while a test runs, records their title and
// text, and dismisses each with its OK button.
class MessageBoxCatcher : public QObject
{
    Q_OBJECT

public:
    struct Box
    {
        QString title;
        QString text;
        bool hasIcon = false;
        int buttonCount = 0;
    };

    explicit MessageBoxCatcher(QObject *parent = nullptr);

    const QList<Box> &boxes() const { return m_boxes; }
    void clear() { m_boxes.clear(); }

private:
    void poll();

    QTimer m_timer;
    QList<Box> m_boxes;
};
