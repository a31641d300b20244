#include "systemerror.h"

#include <cerrno>

namespace SystemError {

QString inSpanish(const QString &systemText)
{
#ifdef Q_OS_WIN
    // Windows says it in the user's language already.
    return systemText;
#else
    // Qt's devices say what failed with qt_error_string(errno), translated or the C
    // library's own words, and keep no error number; the text tells which it was.
    struct Cause
    {
        int code;
        const char *words;
    };
    static const Cause causes[] = {
        {ENOTTY, "no es un puerto serie"},
        {EISDIR, "es una carpeta, no un archivo"},
        {EACCES, "no hay permiso para usarlo"},
        {EPERM, "no hay permiso para usarlo"},
        {ENOENT, "no existe (el archivo o su carpeta)"},
        {ENOSPC, "no queda espacio en el disco"},
        {EROFS, "el disco es de solo lectura"},
    };
    for (const Cause &cause : causes) {
        if (systemText == qt_error_string(cause.code))
            return QString::fromUtf8(cause.words);
    }
    return systemText;
#endif
}

} // namespace SystemError
