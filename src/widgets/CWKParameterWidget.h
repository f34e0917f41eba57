// Parameter-bound widgets: an ordinary Qt widget that also carries a common part binding it
// to one engine parameter, observing it, painting a highlight frame while it is the
// keyframe target and grouping several widgets that show one parameter under a master.
#pragma once

#include "Vosk.h"

#include <QObject>
#include <QWidget>
#include <memory>
#include <vector>

struct CWKParameterWidgetHooks;
class QMouseEvent;
class QPaintEvent;

namespace Murn {

class ParameterWithoutType;
class CWKParameterWidgetCommon;

// What is attached to the parameter as observer: the common part is no QObject.
class CWKParameterWidgetCommonObject : public QObject {
    Q_OBJECT
public:
    explicit CWKParameterWidgetCommonObject(CWKParameterWidgetCommon* common)
        : m_pCommon(common)
    {
    }

public slots:
    void handleNotification(Vosk::Change& change);

private:
    CWKParameterWidgetCommon* m_pCommon;
};

class CWKParameterWidgetCommon {
public:
    CWKParameterWidgetCommon(QWidget* owner, bool drawHighlight);
    virtual ~CWKParameterWidgetCommon();
    CWKParameterWidgetCommon(const CWKParameterWidgetCommon&) = delete;
    CWKParameterWidgetCommon& operator=(const CWKParameterWidgetCommon&) = delete;

    // A removal notice of the bound parameter lets go of it; other changes are ignored here.
    virtual void handleNotification(Vosk::Change& change);
    virtual void vPaintHighlight();

    // Detaches from the previous parameter and observes the new one; null only detaches.
    void vSetParameter(ParameterWithoutType* parameter);
    ParameterWithoutType* pGetParameter() const { return m_pParameter; }
    QWidget* pGetWidget() const { return m_pOwner; }
    void vSetHooks(CWKParameterWidgetHooks* hooks) { m_pHooks = hooks; }
    CWKParameterWidgetHooks* pGetHooks() const { return m_pHooks; }
    // The object attached to the parameter as observer.
    QObject* pGetObserver() { return &m_observer; }

    // Called on the master: makes member one of its group.
    void vAddLinkedWidget(CWKParameterWidgetCommon* member);
    CWKParameterWidgetCommon* pGetMaster() const { return m_pMaster; }
    // The group, master first; empty on a widget that is no master.
    std::vector<CWKParameterWidgetCommon*> vecGetLinkedWidgets() const;
    // Sets the highlight of the whole group.
    void vSetHighlighted(bool highlighted);
    bool bIsHighlighted() const { return m_bHighlighted; }
    void vRepaintAll();

protected:
    // A press on a bound widget goes to the hook table and repaints the group's master.
    void vReportPress();

private:
    CWKParameterWidgetCommon* pTopMaster();
    void vLeaveGroup();

    // Declared first so that it goes last.
    CWKParameterWidgetCommonObject m_observer;
    ParameterWithoutType* m_pParameter = nullptr;
    bool m_bHighlighted = false;
    QWidget* m_pOwner;
    std::unique_ptr<std::vector<CWKParameterWidgetCommon*>> m_pLinkedWidgets;
    CWKParameterWidgetCommon* m_pMaster = nullptr;
    CWKParameterWidgetHooks* m_pHooks = nullptr;
    bool m_bDrawHighlight;
};

// A Qt widget of kind T with the common part.
template <typename T> class CWKParameterWidget : public T, public CWKParameterWidgetCommon {
public:
    CWKParameterWidget(QWidget* parent, bool drawHighlight)
        : T(parent)
        , CWKParameterWidgetCommon(this, drawHighlight)
    {
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        T::paintEvent(event);
        vPaintHighlight();
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        T::mousePressEvent(event);
        vReportPress();
    }
};

} // namespace Murn
