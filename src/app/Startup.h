// Bringing the process up and taking it down.
#pragma once

#include <QString>

// The whole run: start-up, the event loop, shutdown. Returns the event loop's result.
int iRunApplication(int argc, char** argv);

// The product identity an executable path names: its base name up to the first ".".
QString qstrProductFromExecutable(const QString& executablePath);
