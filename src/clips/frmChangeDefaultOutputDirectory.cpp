#include "frmChangeDefaultOutputDirectory.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ClipMove.h"
#include "app/OutputFolders.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "velmor.h"

#include <QFileDialog>
#include <QSettings>

namespace {
QString qstrCdJoin(const QString& folder, const QString& relative)
{
    return (folder.endsWith(QLatin1Char('/')) ? folder.left(folder.size() - 1) : folder) + QLatin1Char('/') + relative;
}
} // namespace

frmChangeDefaultOutputDirectory::frmChangeDefaultOutputDirectory(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    connect(btnOK, &QPushButton::clicked, this, &frmChangeDefaultOutputDirectory::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbtnOutputDirectoryAbsolutePath, &QRadioButton::toggled, this,
        &frmChangeDefaultOutputDirectory::rbtnOutputDirectoryAbsolutePath_toggled);
    connect(rbtnOutputDirectoryRelativePath, &QRadioButton::toggled, this,
        &frmChangeDefaultOutputDirectory::rbtnOutputDirectoryRelativePath_toggled);
    connect(btnOutputDirectoryShowFileDialog, &QPushButton::clicked, this,
        &frmChangeDefaultOutputDirectory::btnOutputDirectoryShowFileDialog_clicked);
    m_qstrRelative.clear();
    m_qstrAbsolute.clear();
}

void frmChangeDefaultOutputDirectory::vReset(
    bool absolute, const QString& directory, const char* clipFolderUtf8, bool moveClips)
{
    for (QWidget* widget : std::initializer_list<QWidget*> {rbtnOutputDirectoryRelativePath,
             rbtnOutputDirectoryAbsolutePath, edtOutputDirectory, btnOutputDirectoryShowFileDialog, btnOK, btnCancel})
        widget->setEnabled(false);
    m_qstrBaseFolder = QString::fromUtf8(clipFolderUtf8 ? clipFolderUtf8 : "");
    m_bMoveClips = moveClips;
    if (m_qstrRelative.isEmpty() && m_qstrAbsolute.isEmpty()) {
        // The toggles' slots stay quiet while the dialog loads.
        const bool blocked = rbtnOutputDirectoryAbsolutePath->blockSignals(true);
        rbtnOutputDirectoryRelativePath->blockSignals(true);
        if (absolute) {
            rbtnOutputDirectoryAbsolutePath->setChecked(true);
            btnOutputDirectoryShowFileDialog->setEnabled(true);
            m_qstrAbsolute = directory;
            edtOutputDirectory->setText(directory);
            m_qstrRelative
                = qstrReadSetting(QStringLiteral("RelativeOutputDirectory"), QString(), SettingText::RelativePath);
            edtAbsoluteProjectPath->setText(m_qstrAbsolute);
        } else {
            rbtnOutputDirectoryRelativePath->setChecked(true);
            m_qstrRelative = directory;
            edtOutputDirectory->setText(directory);
            m_qstrAbsolute
                = qstrReadSetting(QStringLiteral("AbsoluteOutputDirectory"), QString(), SettingText::AbsolutePath);
            CW_AutoLock(&g_mtxEngine, "frmChangeDefaultOutputDirectory::vReset");
            edtAbsoluteProjectPath->setText(qstrCdJoin(m_qstrBaseFolder, m_qstrRelative));
        }
        rbtnOutputDirectoryAbsolutePath->blockSignals(blocked);
        rbtnOutputDirectoryRelativePath->blockSignals(blocked);
    }
    for (QWidget* widget : std::initializer_list<QWidget*> {
             rbtnOutputDirectoryRelativePath, rbtnOutputDirectoryAbsolutePath, edtOutputDirectory, btnOK, btnCancel})
        widget->setEnabled(true);
}

void frmChangeDefaultOutputDirectory::rbtnOutputDirectoryAbsolutePath_toggled(bool on)
{
    if (!on)
        return;
    m_qstrRelative = edtOutputDirectory->text();
    edtOutputDirectory->setText(m_qstrAbsolute);
    btnOutputDirectoryShowFileDialog->setEnabled(true);
    edtAbsoluteProjectPath->setText(m_qstrAbsolute);
}

void frmChangeDefaultOutputDirectory::rbtnOutputDirectoryRelativePath_toggled(bool on)
{
    if (!on)
        return;
    m_qstrAbsolute = edtOutputDirectory->text();
    edtOutputDirectory->setText(m_qstrRelative);
    btnOutputDirectoryShowFileDialog->setEnabled(false);
    CW_AutoLock(&g_mtxEngine, "frmChangeDefaultOutputDirectory::rbtnOutputDirectoryRelativePath_toggled");
    edtAbsoluteProjectPath->setText(qstrCdJoin(m_qstrBaseFolder, m_qstrRelative));
}

void frmChangeDefaultOutputDirectory::btnOutputDirectoryShowFileDialog_clicked()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Choose an output directory"), edtOutputDirectory->text(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    edtOutputDirectory->setText(folder);
    m_qstrAbsolute = folder;
    edtAbsoluteProjectPath->setText(folder);
}

void frmChangeDefaultOutputDirectory::accept()
{
    const bool absolute = rbtnOutputDirectoryAbsolutePath->isChecked();
    QString fullPath;
    if (!bValidateOutputDirectory(this, absolute, edtOutputDirectory->text(), m_qstrBaseFolder.toUtf8(), fullPath))
        return;
    CW_AutoLock(&g_mtxEngine, "frmChangeDefaultOutputDirectory::accept");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (bIsValidInstance(project)) {
        vSetOutputDirectory(project, absolute, edtOutputDirectory->text());
        if (m_bMoveClips) {
            vSetClipMoveTargetFolder(fullPath);
            if (bExecuteThreaded(true, true, &bMoveClipsToTargetFolder, 1999, nullptr, nullptr, 1, nullptr, nullptr,
                    false, true, 1, true))
                vWaitForExecutingThreadedToFinish(false);
        }
    }
    QDialog::accept();
}
