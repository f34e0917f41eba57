#include "LogMessage.h"

#include "Vosk.h"

void vLogMessage(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    Vosk::Logger::instance()->Log(std::string(bytes.constData()));
}
