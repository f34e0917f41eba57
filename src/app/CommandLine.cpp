#include "CommandLine.h"

#include "ClipProbe.h"

#include <QFile>

CommandLine stctParseCommandLine(const QStringList& arguments, const QString& projectExtension)
{
    CommandLine result;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!projectExtension.isEmpty() && argument.contains(projectExtension, Qt::CaseInsensitive)) {
            result.qstrProject = argument;
        } else if (argument == QLatin1String("-o") && i + 1 < arguments.size()) {
            // No longer path is one a file system takes.
            result.qstrOutputPath = arguments[++i].left(4096);
        } else if (argument == QLatin1String("--overwrite-original")) {
            result.bOverwriteOriginal = true;
        } else if (argument == QLatin1String("--frame-rate")) {
            if (i + 1 < arguments.size()) {
                bool ok = false;
                const float rate = arguments[++i].toFloat(&ok);
                if (ok) {
                    result.bFrameRateGiven = true;
                    result.fFrameRate = rate;
                }
            }
        } else if (bIsReadableClip(argument)) {
            result.qstrClip = argument;
        }
    }
    return result;
}

StartupOpen eChooseStartupOpen(const CommandLine& commandLine, const QString& autoRecoverFile)
{
    if (!commandLine.qstrProject.isEmpty())
        return StartupOpen::Project;
    if (!commandLine.qstrClip.isEmpty())
        return StartupOpen::Clip;
    if (!autoRecoverFile.isEmpty() && QFile::exists(autoRecoverFile))
        return StartupOpen::AutoRecover;
    return StartupOpen::Nothing;
}
