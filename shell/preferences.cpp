#include "preferences.h"

#include <QSettings>

namespace {

const QString kSerialPort = QStringLiteral("puertoSerie");

} // namespace

Preferences::Preferences(const QString &file)
    : m_settings(file.isEmpty() ? std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("TorvaneElectronico"),
                                                              QStringLiteral("brazo"))
                                : std::make_unique<QSettings>(file, QSettings::IniFormat))
{
}

Preferences::~Preferences() = default;

QString Preferences::serialPort() const
{
    return m_settings->value(kSerialPort).toString();
}

void Preferences::setSerialPort(const QString &device)
{
    m_settings->setValue(kSerialPort, device);
    // On disk now: the program may end with _Exit, which flushes nothing of Qt's.
    m_settings->sync();
}
