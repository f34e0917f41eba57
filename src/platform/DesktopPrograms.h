// Starting the user's web browser or PDF reader, and the program the desktop associates
// with a kind of file (the XDG default applications).
#pragma once

#include <QString>

// Starts the program detached with the argument; nothing waits for it. The program is a
// path, or a command line whose first word is the program ("viewer --new-window"). An
// empty program means the desktop's own opener (xdg-open on the search path). False when
// nothing could be started.
bool bStartDesktopProgram(const QString& program, const QString& argument);

// The command line (a desktop entry's Exec value, document codes included) of the default
// application for files with the extension (".pdf"); empty when the desktop names none.
QString qstrGetDesktopOpenCommand(const QString& extension);
