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

void frmCurveEditor::vForward1(bool on)
{
    m_iToolMode = on ? 3 : 0;
}

void frmCurveEditor::vForward2(bool on)
{
    m_iToolMode = on ? 2 : 0;
}

void frmCurveEditor::vForward3(bool on)
{
    m_iToolMode = on ? 1 : 0;
}

void frmCurveEditor::vForward6(float frame)
{
    m_bSyncing = true;
    m_fPlayPosition = frame;
    m_bSyncing = false;
}

void frmCurveEditor::playPositionChanged(qreal x)
{
    if (m_bSyncing)
        return;
    m_bSyncing = true;
    const int frame = int(x + 0.5);
    m_fPlayPosition = float(frame);
    m_bSyncing = false;
    emit sigPlayPositionChanged(frame);
}

void frmCurveEditor::keyPressEvent(QKeyEvent* e)
{
    e->ignore();
}
