// Starting the user's web browser or PDF reader, and the program the desktop associates
// with a kind of file (the XDG default applications).
#pragma once

#include <QString>

#include <functional>

// Starts the program detached with the argument; nothing waits for it. The program is a
// path, or a command line whose first word is the program ("viewer --new-window"). An
// empty program means the desktop's own opener (xdg-open on the search path), which hands
// the document on and says by its exit code whether it could: it is watched from the event
// loop for a short while, and openerFailed runs there when it cannot be started or ends in
// failure. False when nothing could be started.
bool bStartDesktopProgram(
    const QString& program, const QString& argument, const std::function<void()>& openerFailed = {});

// The command line (a desktop entry's Exec value, document codes included) of the default
// application for files with the extension (".pdf"); empty when the desktop names none.
QString qstrGetDesktopOpenCommand(const QString& extension);
