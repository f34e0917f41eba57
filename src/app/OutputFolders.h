// Output folders, free disk space, and the folders that clip transfers leave behind.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

class QWidget;

// Makes sure the output folder exists and may be written, telling the user what is wrong
// otherwise. The folder is the entered one when absolute, else projectFolder + "/" + it;
// it is stored in resultPath before any test.
bool bValidateOutputDirectory(
    QWidget* parent, bool absolute, const QString& directory, const QByteArray& projectFolderUtf8, QString& resultPath);
// Whole megabytes the user may write on the folder's volume, or "Not Available".
QString qstrGetFreeDiskSpaceMB(const QString& folder);
// Removes the folder with everything in it. True when it is gone.
bool bRemoveDirectoryTree(const QDir& folder);
void vRemoveDirectoryTree(QDir folder);

// Folders holding clips staged for transfer to a remote system, and fetched from one.
QStringList& qslGetSentClipFolders();
QStringList& qslGetReceivedClipFolders();
