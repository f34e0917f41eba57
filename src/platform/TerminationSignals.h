// Ending the program cleanly when the desktop session asks it to (SIGTERM, SIGINT, SIGHUP):
// the windows are closed as if the user had closed them, so settings are stored as usual.
#pragma once

class QApplication;

void vQuitOnTerminationSignals(QApplication* application);
