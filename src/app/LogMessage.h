// One line into the program's error log.
#pragma once

#include <QString>

// Passed to the log as UTF-8, up to the first zero character; dropped while logging is off.
void vLogMessage(const QString& text);
