#pragma once

class QCoreApplication;

// Qt's own texts (standard buttons, the reasons of a port or a socket, the command line's
// help) in Spanish like the rest of the program, whatever the system's language. Where
// the system has no Spanish catalogue Qt keeps its English.
void installQtTranslations(QCoreApplication &app);
