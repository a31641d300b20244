#pragma once

class QApplication;

namespace Application {

// The program's name and version, which also name its data folder: set before anything
// asks where that is.
void setIdentity();

// What the program sets once for the whole application before its first window: its
// identity and icon, Qt's own texts in Spanish, and the font the windows were laid out for.
void setUp(QApplication &app);

} // namespace Application
