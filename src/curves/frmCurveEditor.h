// The curve-editor page: keyframed parameters as curves over time.
#pragma once

#include "widgets/CWKControlForm.h"

namespace Murn {
class ParameterWithoutType;
}

class frmCurveEditor : public CWKControlForm {
    Q_OBJECT
public:
    explicit frmCurveEditor(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmCurveEditor() override;

    CW_MODULE eGetModule() const override { return CW_MODULE_CURVEEDITOR; }

    // The engine's notifications, direct on the user-interface thread or through the
    // main window's events 10500, 10600, 10900 and 11000.
    void vSetActive(int a, int b);
    void vUndo(int a);
    void vSetSelectedParameter(Murn::ParameterWithoutType* parameter);
    void vRemoveParameter(Murn::ParameterWithoutType* parameter);

    bool bIsActive() const { return m_bActive; }
    // What the notifications last brought.
    int iGetLastActivationA() const { return m_iLastActivationA; }
    int iGetLastActivationB() const { return m_iLastActivationB; }
    int iGetLastUndo() const { return m_iLastUndo; }
    int iGetUndoCount() const { return m_iUndoCount; }
    Murn::ParameterWithoutType* pGetSelectedParameter() const { return m_pSelectedParameter; }
    Murn::ParameterWithoutType* pGetLastRemovedParameter() const { return m_pLastRemovedParameter; }

private:
    bool m_bActive = false;
    int m_iLastActivationA = 0;
    int m_iLastActivationB = 0;
    int m_iLastUndo = 0;
    int m_iUndoCount = 0;
    Murn::ParameterWithoutType* m_pSelectedParameter = nullptr;
    Murn::ParameterWithoutType* m_pLastRemovedParameter = nullptr;
};
