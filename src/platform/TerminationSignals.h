// Ending the program cleanly when the desktop session asks it to (SIGTERM, SIGINT, SIGHUP):
// the windows are closed as if the user had closed them, so settings are stored as usual.
#pragma once

class QApplication;

// Catches the signals from the very start, so that one arriving early is kept, not fatal.
void vCatchTerminationSignals();
// Acts on caught signals from now on; call right before the event loop runs, since closing
// the windows while start-up still builds them would leave it working on a deleted window.
// A signal caught before waits until then.
void vQuitOnTerminationSignals(QApplication* application);
