#pragma once

#include <QObject>
#include <QString>

// The device that plays serial port 1 for both serial windows, and the user's changes of
// it: every window that uses the port follows the choice from then on.
class SerialPortChoice : public QObject
{
    Q_OBJECT

public:
    explicit SerialPortChoice(const QString &device, QObject *parent = nullptr);

    QString device() const { return m_device; }
    // The user chose a port; chosen again, an open window opens it anew.
    void choose(const QString &device);
    // A window asks for the port chooser, from its menu or from a box that reports a failure.
    void requestChooser() { emit chooserRequested(); }

signals:
    void chosen(const QString &device);
    void chooserRequested();

private:
    QString m_device;
};
