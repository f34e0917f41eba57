// The words of the command line.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    QString qstrProject;   // the last project named
    QString qstrClip;      // the last readable clip named
    QString qstrOutputPath; // given with "-o": where rendered output goes first
    bool bOverwriteOriginal = false;
    bool bFrameRateGiven = false;
    float fFrameRate = 0.0f;
};

// Reads the arguments after the program name. A project is recognised by the product's
// project extension anywhere in the argument, in any letter case; anything that is neither
// an option nor a project is probed as a clip and ignored when it is not one.
CommandLine stctParseCommandLine(const QStringList& arguments, const QString& projectExtension);

// What start-up opens, in this order of preference.
enum class StartupOpen { Project, Clip, AutoRecover, Nothing };
StartupOpen eChooseStartupOpen(const CommandLine& commandLine, const QString& autoRecoverFile);
