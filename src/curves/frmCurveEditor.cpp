#include "frmCurveEditor.h"

#include "app/ProgramState.h"

#include <QKeyEvent>

frmCurveEditor::frmCurveEditor(QWidget* parent, Qt::WindowFlags flags) : CWKControlForm(parent, flags)
{
}

frmCurveEditor::~frmCurveEditor()
{
    if (g_pCurveEditor == this)
        g_pCurveEditor = nullptr;
}

void frmCurveEditor::vSetActive(int a, int b)
{
    m_iLastActivationA = a;
    m_iLastActivationB = b;
    // A zero first value with a second one (re)activates the editor.
    if (a == 0 && b != 0)
        m_bActive = true;
}

void frmCurveEditor::vUndo(int a)
{
    m_iLastUndo = a;
    ++m_iUndoCount;
}

void frmCurveEditor::vSetSelectedParameter(Murn::ParameterWithoutType* parameter)
{
    m_pSelectedParameter = parameter;
}

void frmCurveEditor::vRemoveParameter(Murn::ParameterWithoutType* parameter)
{
    if (!parameter)
        return;
    m_pLastRemovedParameter = parameter;
    if (m_pSelectedParameter == parameter)
        m_pSelectedParameter = nullptr;
}

void frmCurveEditor::keyPressEvent(QKeyEvent* e)
{
    e->ignore();
}
