#include "serialportchoice.h"

SerialPortChoice::SerialPortChoice(const QString &device, QObject *parent)
    : QObject(parent)
    , m_device(device)
{
}

void SerialPortChoice::choose(const QString &device)
{
    m_device = device;
    emit chosen(device);
}
