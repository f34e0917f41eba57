#include "frmProjectNotes.h"

#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "tolvane.h"

#include <QTextEdit>

frmProjectNotes::frmProjectNotes(QWidget* parent, Qt::WindowFlags flags)
    : QDockWidget(parent, flags)
    , m_pTextEdit(new QTextEdit(this))
{
    setWindowTitle(tr("Project Notes"));
    setWidget(m_pTextEdit);
    connect(m_pTextEdit, &QTextEdit::textChanged, this, &frmProjectNotes::setTextChanged);
}

void frmProjectNotes::setTextChanged()
{
    m_bTextChanged = true;
}

void frmProjectNotes::saveNotes(CW_Instance project)
{
    TOLV_ProjectManager* manager = pGetProjectManager(project);
    if (!manager)
        return;
    manager->getProjectProperties().setProjectNotes(m_pTextEdit->toHtml());
    m_bTextChanged = false;
}

void frmProjectNotes::loadNotes(CW_Instance project)
{
    TOLV_ProjectManager* manager = pGetProjectManager(project);
    if (!manager)
        return;
    m_pTextEdit->setHtml(manager->getProjectProperties().getProjectNotes());
    m_bTextChanged = false;
}

void frmProjectNotes::clear()
{
    m_pTextEdit->clear();
    m_bTextChanged = false;
}

void frmProjectNotes::sltUpdateGUI(CW_Instance project)
{
    if (!project) {
        clear();
        return;
    }
    if (m_bTextChanged)
        saveNotes(project);
    if (isHidden())
        loadNotes(project);
}

void frmProjectNotes::showEvent(QShowEvent* e)
{
    CW_AutoLock lock(&g_mtxEngine, "frmProjectNotes::showEvent");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (m_bTextChanged)
        saveNotes(project);
    else
        loadNotes(project);
    QDockWidget::showEvent(e);
}
