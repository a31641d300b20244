// The Windows side of serialports.h: the ports the registry's SERIALCOMM map lists (the one
// list every COM port driver fills, Wine's included), with the names SetupAPI gives the
// devices of the Ports class.
#include "serialports.h"

#include <QHash>

#include <algorithm>

#include <windows.h>
#include <setupapi.h>

namespace SerialPorts {
namespace {

// The device class "Ports (COM & LPT)".
const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

QString fromWide(const wchar_t *text)
{
    return QString::fromWCharArray(text);
}

QStringList registryPorts()
{
    QStringList names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256;
        wchar_t value[256];
        DWORD valueSize = sizeof value;
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE *>(value),
                                            &valueSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        value[qMin<DWORD>(valueSize / sizeof(wchar_t), 255)] = 0;
        names.append(fromWide(value).trimmed());
    }
    ::RegCloseKey(key);
    return names;
}

struct Described
{
    QString description;
    bool usb = false;
};

// What SetupAPI says of each present port, by its COM name.
QHash<QString, Described> setupApiPorts()
{
    QHash<QString, Described> ports;
    HDEVINFO devices = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t portName[64] = {};
        DWORD size = sizeof portName - sizeof(wchar_t);
        const bool named = ::RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<BYTE *>(portName),
                                              &size) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        if (!named)
            continue;
        Described described;
        wchar_t text[512] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE *>(text), sizeof text - sizeof(wchar_t), nullptr)) {
            described.description = fromWide(text);
            // "USB-SERIAL CH340 (COM4)": the name without the port it ends with.
            const QString suffix = QStringLiteral(" (%1)").arg(fromWide(portName));
            if (described.description.endsWith(suffix))
                described.description.chop(suffix.size());
        }
        wchar_t ids[512] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_HARDWAREID, nullptr,
                                                reinterpret_cast<BYTE *>(ids), sizeof ids - sizeof(wchar_t), nullptr)) {
            const QString id = fromWide(ids).toUpper();
            described.usb = id.startsWith(QLatin1String("USB\\")) || id.startsWith(QLatin1String("FTDIBUS\\"));
        }
        ports.insert(fromWide(portName).toUpper(), described);
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return ports;
}

} // namespace

QList<SerialPortInfo> available()
{
    const QHash<QString, Described> described = setupApiPorts();
    QStringList names = registryPorts();
    for (auto it = described.cbegin(); it != described.cend(); ++it) {
        if (!names.contains(it.key(), Qt::CaseInsensitive))
            names.append(it.key());
    }
    QList<SerialPortInfo> ports;
    for (const QString &name : std::as_const(names)) {
        const Described what = described.value(name.toUpper());
        ports.append({name, what.description, what.usb});
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo &a, const SerialPortInfo &b) {
        return a.usb != b.usb ? a.usb : naturalLess(a.device.toUpper(), b.device.toUpper());
    });
    return ports;
}

QString firstPort()
{
    const QList<SerialPortInfo> ports = available();
    return ports.isEmpty() ? QStringLiteral("COM1") : ports.first().device;
}

bool present(const QString &device)
{
    QString name = device;
    if (name.startsWith(QLatin1String("\\\\.\\")))
        name = name.mid(4);
    const QList<SerialPortInfo> ports = available();
    if (std::any_of(ports.cbegin(), ports.cend(),
                    [&name](const SerialPortInfo &port) { return port.device.compare(name, Qt::CaseInsensitive) == 0; }))
        return true;
    // A device the lists leave out, but the system knows by that name.
    wchar_t target[1024];
    return ::QueryDosDeviceW(reinterpret_cast<const wchar_t *>(name.utf16()), target, 1024) != 0;
}

QList<Holder> otherHolders(const QString &)
{
    return {};
}

} // namespace SerialPorts
