// What the data-export dialogs share: the overwrite question handed to the engine's writer,
// the default folder of their Save, the extension rule and the engine-event gate.
#pragma once

#include <QString>

class QWidget;

// Asks whether an existing file may be written over; true without asking when none exists.
bool bConfirmOverwrite(const QString& path);
// The folder a Save starts in: the installation folder's "tutorials" in tutorial mode, else the dialog's own last
// folder (read from the settings key).
QString qstrDefaultExportFolder(const QString& lastFolderKey);
// The folder cut after its last "/" (or "\\" when it has none).
QString qstrCutAfterLastSeparator(const QString& folder);
// The chosen name, with the extension appended unless it holds it anywhere.
QString qstrWithExtension(const QString& fileName, const QString& extension);
// Whether the current page lets the data of a selected layer be exported (event 58).
bool bExportAllowed();
// The dialogs' boxes: the product's name as title, one Ok button.
void vExportInformation(QWidget* parent, const QString& text);
void vExportWarning(QWidget* parent, const QString& text);
