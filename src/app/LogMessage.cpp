#include "LogMessage.h"

#include "Vosk.h"

void vLogMessage(const QString& line)
{
    Vosk::Logger::instance()->Log(line.toUtf8().toStdString());
}
