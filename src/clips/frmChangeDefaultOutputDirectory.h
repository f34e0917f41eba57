// Sets the project's output folder, relative to the main clip's folder or absolute.
#pragma once

#include "ui_frmChangeDefaultOutputDirectory.h"

#include <QDialog>
#include <QString>

class frmChangeDefaultOutputDirectory : public QDialog, public Ui_frmChangeDefaultOutputDirectory {
    Q_OBJECT
public:
    explicit frmChangeDefaultOutputDirectory(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Loads the dialog once, before exec(): the project's setting, the main clip's folder
    // (UTF-8) and whether OK moves the rendered clips into the new folder.
    void vReset(bool absolute, const QString& directory, const char* clipFolderUtf8, bool moveClips);

public slots:
    void accept() override;
    void rbtnOutputDirectoryAbsolutePath_toggled(bool on);
    void rbtnOutputDirectoryRelativePath_toggled(bool on);
    void btnOutputDirectoryShowFileDialog_clicked();

private:
    QString m_qstrRelative;
    QString m_qstrAbsolute;
    QString m_qstrBaseFolder;
    bool m_bMoveClips = false;
};
