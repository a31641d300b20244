#pragma once

class QApplication;

namespace Application {

// What the program sets once for the whole application before its first window: its
// name, version and icon, Qt's own texts in Spanish, and the font the windows were laid
// out for.
void setUp(QApplication &app);

} // namespace Application
