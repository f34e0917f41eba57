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
    bool bSupportsLayerDisplay() override { return true; }

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

    // The main window's zoom, pan and translate tools switch the editor's own tool mode
    // (zoom 3, pan 2, translate 1, none 0); its current frame moves the play head.
    void vForward1(bool on);
    void vForward2(bool on);
    void vForward3(bool on);
    void vForward6(float frame);
    int iGetToolMode() const { return m_iToolMode; }
    float fGetPlayPosition() const { return m_fPlayPosition; }

signals:
    // The editor moved the current frame.
    void sigPlayPositionChanged(int frame);

public slots:
    void vInitialize() override { }
    void sltSetWidgetsState(CWKGUI_STATE) override { }
    void sltRestoreParameters(CW_Instance) override { }
    void mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*) override { }
    void mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&) override { }
    void mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&) override { }
    void keyPressEvent(QKeyEvent* e) override;
    void sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&) override { }
    // The user moved the play head: it snaps to the whole frame, which the main window then
    // makes current.
    void playPositionChanged(qreal x);
    // The main clip's time axis: its play range and frame-number offset, its field setting
    // and whether time codes are shown; kept until the editor draws its axis.
    void sltSetPlayRangeAndOffset(float first, float last, float offset)
    {
        m_fPlayFirst = first;
        m_fPlayLast = last;
        m_fFrameOffset = offset;
    }
    void sltSetInterlaced(bool interlaced, bool lowerFieldFirst)
    {
        m_bInterlaced = interlaced;
        m_bLowerFieldFirst = lowerFieldFirst;
    }
    void sltSetDisplayTimecode(bool useTimeCode, float frameRate)
    {
        m_bDisplayTimecode = useTimeCode;
        m_fFrameRate = frameRate;
    }

public:
    float fGetPlayFirst() const { return m_fPlayFirst; }
    float fGetPlayLast() const { return m_fPlayLast; }
    float fGetFrameOffset() const { return m_fFrameOffset; }
    bool bGetInterlaced() const { return m_bInterlaced; }
    bool bGetLowerFieldFirst() const { return m_bLowerFieldFirst; }
    bool bGetDisplayTimecode() const { return m_bDisplayTimecode; }
    float fGetFrameRate() const { return m_fFrameRate; }

private:
    bool m_bActive = false;
    // Set while the editor itself moves the play head, so the move is not echoed.
    bool m_bSyncing = false;
    int m_iToolMode = 0;
    float m_fPlayPosition = 0.0f;
    int m_iLastActivationA = 0;
    int m_iLastActivationB = 0;
    int m_iLastUndo = 0;
    int m_iUndoCount = 0;
    Murn::ParameterWithoutType* m_pSelectedParameter = nullptr;
    Murn::ParameterWithoutType* m_pLastRemovedParameter = nullptr;
    float m_fPlayFirst = 0.0f;
    float m_fPlayLast = 0.0f;
    float m_fFrameOffset = 0.0f;
    bool m_bInterlaced = false;
    bool m_bLowerFieldFirst = false;
    bool m_bDisplayTimecode = false;
    float m_fFrameRate = 0.0f;
};
