#pragma once
// The one face of the program: the main window and every printed page are set in it,
// so that the pages hold what the window promises. QtGui; needs a GUI application object.

#include <QFont>

namespace platform {

/// The program's sans-serif face at `points`, in regular style.
QFont ProgramFont(int points);

} // namespace platform
