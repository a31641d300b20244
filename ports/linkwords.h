#pragma once

#include "link.h"

#include <QString>
#include <QStringList>

// What the windows tell the user when a link cannot open or fails: the cause in a few
// Spanish words and what can be done about it from inside the program. Shared by the two
// serial windows and by the two network windows; the command lines name their options in
// their own words.
namespace LinkWords {

// The name of the button that opens the port chooser, as the texts quote it.
inline const QString kChooseButton = QStringLiteral("Elegir puerto…");

// "el dispositivo no existe": why a serial port could not be used.
QString serialCause(Link::Cause cause, const QString &systemReason);
// "Conecte la placa: …; o elija otro con «Elegir puerto…»."
QString serialAdvice(Link::Cause cause);
// The first line says the port could not open (or failed while open), the second what to do.
QStringList serialFailure(const QString &device, Link::Cause cause, const QString &systemReason, bool atOpen);

// Why the network windows cannot listen on a TCP port, and what to do.
QString listenFailure(quint16 port, Link::Cause cause, const QString &systemReason);

} // namespace LinkWords
