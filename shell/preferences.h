#pragma once

#include <QString>

#include <memory>

class QSettings;

// What the user chose inside the program, kept for the next start in the user's settings
// (QSettings, under the organisation folder TorvaneElectronico): the serial port.
class Preferences
{
public:
    // In that settings file; empty: the user's settings of the program.
    explicit Preferences(const QString &file = QString());
    ~Preferences();

    QString serialPort() const;
    void setSerialPort(const QString &device);

private:
    std::unique_ptr<QSettings> m_settings;
};
