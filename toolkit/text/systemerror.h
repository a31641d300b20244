#pragma once

#include <QString>

namespace SystemError {

// What the system said went wrong, in the user's words for the causes met most often (not
// a serial device, a folder, no permission, no such file or folder, no space left, a
// read-only disk); any other text as the system gave it. The system speaks English where
// Qt has no translation of its own for the cause.
QString inSpanish(const QString &systemText);

} // namespace SystemError
