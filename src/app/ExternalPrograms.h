// The user's web browser and PDF reader, the documents and pages they open, and the
// program the desktop associates with a kind of file.
#pragma once

#include <QString>

// Starts the program with the argument, or tells the user that it could not be started.
// An empty program means the desktop's default opener.
void vLaunchExternalProgram(const QString& program, const QString& argument, const QString& label);
// The programs named in the preferences (their fields while the dialog exists).
void vOpenInWebBrowser(const QString& addressOrFile);
void vOpenInPdfReader(const QString& path);

// Relative to the installation folder.
QString qstrGetQuickStartGuidePath(const QString& product);
QString qstrGetReleaseNotesPath(const QString& product);
QString qstrGetDocumentationUrl();
QString qstrGetProductWebsiteUrl();
QString qstrGetForumsUrl();
QString qstrGetTutorialsUrl();

// The command that opens files with the extension (".html"), without its document
// argument; empty when none is registered.
QString qstrGetAssociatedProgram(const QString& extension);
// A registered open command cut before its document placeholder, cleaned and trimmed.
QString qstrGetProgramFromOpenCommand(const QString& command);
QString qstrRemoveNonPrintable(const QString& text);
