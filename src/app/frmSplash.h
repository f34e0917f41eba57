// The welcome dialog shown after start-up.
#pragma once

class QApplication;

// Asks the main window for the welcome dialog (event 5003) when "ShowSplash" is set.
void vPostWelcomeEvent(QApplication* application);
