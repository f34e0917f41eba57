#include "frmCloseProject.h"

#include "app/ProgramState.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "velmor.h"

#include <QFileInfo>
#include <QPushButton>

frmCloseProject::frmCloseProject(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags | Qt::Sheet)
{
    setupUi(this);
    setWindowModality(Qt::WindowModal);
    connect(buttonBox->button(QDialogButtonBox::Save), &QPushButton::clicked, this, &frmCloseProject::btnSave_clicked);
    connect(
        buttonBox->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &frmCloseProject::btnCancel_clicked);
    connect(
        buttonBox->button(QDialogButtonBox::Discard), &QPushButton::clicked, this, &frmCloseProject::btnDSave_clicked);
}

void frmCloseProject::vInitSelectClips()
{
    CW_AutoLock(&g_mtxEngine, "SelectClips-init");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    m_vecAlwaysDelete.clear();
    m_vecCachedRenders.clear();
    for (CW_CLIP_ID clip : pglGetClipList(project)) {
        const CW_ClipInfo* info = pcstctGetClipInfo(project, clip);
        if (!info)
            continue;
        if (info->bDisposable)
            m_vecAlwaysDelete.push_back(clip);
        else if (!info->bSourceClip)
            m_vecCachedRenders.push_back(clip);
        else if (clip != 1 || bGetOriginalClipCached(project))
            m_vecAlwaysDelete.push_back(clip);
    }
    if (bProjectHasChanged(project)) {
        chkbxRetain->setChecked(true);
        chkbxRetain->setEnabled(true);
    }
    const QString name = QFileInfo(qstrGetProjectName(project)).baseName();
    setWindowTitle(name);
    label->setText(hiddenLabel->text().arg(name));
    buttonBox->button(QDialogButtonBox::Save)->setFocus();
}

void frmCloseProject::vRecord(int save)
{
    CW_AutoLock(&g_mtxEngine, "SelectClips-init");
    if (!bIsValidInstance(ProjectManagerInstance::instance()->getInstance()))
        return;
    CloseProjectChoices& choices = stctGetCloseProjectChoices();
    choices.vecClips = m_vecAlwaysDelete;
    if (chkbxRetain->isChecked()) {
        choices.bRetain = !m_vecCachedRenders.empty();
    } else {
        choices.vecClips.insert(choices.vecClips.end(), m_vecCachedRenders.begin(), m_vecCachedRenders.end());
        choices.bRetain = false;
    }
    choices.iSave = save;
    choices.bRecorded = true;
}

void frmCloseProject::btnSave_clicked()
{
    vRecord(1);
    accept();
}

void frmCloseProject::btnDSave_clicked()
{
    vRecord(0);
    accept();
}

void frmCloseProject::btnCancel_clicked()
{
    reject();
}
