#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the code page of every text that crosses the serial line or a socket.
// One character per byte both ways. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so all 256
// byte values survive a round trip.
namespace WinAnsi {

QString decode(const QByteArray &bytes);

// Characters that the code page cannot hold become '?'.
QByteArray encode(const QString &text);

} // namespace WinAnsi
