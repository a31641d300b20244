#pragma once

#include <QString>
#include <QWidget>

// Text that changes with every message, two lines high and as wide as it is given: a new
// text is drawn with the window's next paint and asks nothing of the layout. A label would
// have its layout ask for its size again, shaping the whole text, at every message.
class CountersLine : public QWidget
{
    Q_OBJECT

public:
    explicit CountersLine(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};
