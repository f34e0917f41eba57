// One line into the program's error log.
#pragma once

#include <QString>

// Passed to the log as UTF-8; dropped while logging is off.
void vLogMessage(const QString& line);
