#include "CWKParameterWidget.h"

#include "Murn.h"
#include "app/ChoiceTables.h"

#include <QPainter>
#include <algorithm>

namespace Murn {

void CWKParameterWidgetCommonObject::handleNotification(Vosk::Change& change)
{
    m_pCommon->handleNotification(change);
}

CWKParameterWidgetCommon::CWKParameterWidgetCommon(QWidget* owner, bool drawHighlight)
    : m_observer(this)
    , m_pOwner(owner)
    , m_bDrawHighlight(drawHighlight)
{
}

CWKParameterWidgetCommon::~CWKParameterWidgetCommon()
{
    ParameterWithoutType::DetachObserverIfAlive(m_pParameter, &m_observer);
    vLeaveGroup();
}

void CWKParameterWidgetCommon::vLeaveGroup()
{
    // A member leaves its master's list; a master lets its members go. Either way nobody
    // keeps a pointer to this part.
    if (m_pMaster && m_pMaster->m_pLinkedWidgets) {
        auto& group = *m_pMaster->m_pLinkedWidgets;
        group.erase(std::remove(group.begin(), group.end(), this), group.end());
        if (group.size() <= 1)
            m_pMaster->m_pLinkedWidgets.reset();
    }
    m_pMaster = nullptr;
    if (m_pLinkedWidgets) {
        for (CWKParameterWidgetCommon* member : *m_pLinkedWidgets) {
            if (member != this)
                member->m_pMaster = nullptr;
        }
        m_pLinkedWidgets.reset();
    }
}

void CWKParameterWidgetCommon::handleNotification(Vosk::Change& change)
{
    if (change.getType() != Vosk::Change::REMOVED || !m_pParameter || change.getSubject() != m_pParameter)
        return;
    ParameterWithoutType::DetachObserverIfAlive(m_pParameter, &m_observer);
    m_pParameter = nullptr;
}

void CWKParameterWidgetCommon::vSetParameter(ParameterWithoutType* parameter)
{
    ParameterWithoutType::DetachObserverIfAlive(m_pParameter, &m_observer);
    m_pParameter = parameter;
    if (m_pParameter)
        m_pParameter->AttachObserver(&m_observer, &CWKParameterWidgetCommonObject::handleNotification);
}

void CWKParameterWidgetCommon::vAddLinkedWidget(CWKParameterWidgetCommon* member)
{
    if (!member || member == this)
        return;
    if (member->m_pMaster == this)
        return;
    member->vLeaveGroup();
    if (!m_pLinkedWidgets)
        m_pLinkedWidgets = std::make_unique<std::vector<CWKParameterWidgetCommon*>>(1, this);
    m_pLinkedWidgets->push_back(member);
    member->m_pMaster = this;
}

std::vector<CWKParameterWidgetCommon*> CWKParameterWidgetCommon::vecGetLinkedWidgets() const
{
    return m_pLinkedWidgets ? *m_pLinkedWidgets : std::vector<CWKParameterWidgetCommon*>();
}

CWKParameterWidgetCommon* CWKParameterWidgetCommon::pTopMaster()
{
    CWKParameterWidgetCommon* top = this;
    while (top->m_pMaster)
        top = top->m_pMaster;
    return top;
}

void CWKParameterWidgetCommon::vSetHighlighted(bool highlighted)
{
    CWKParameterWidgetCommon* top = pTopMaster();
    top->m_bHighlighted = highlighted;
    if (top->m_pLinkedWidgets) {
        for (CWKParameterWidgetCommon* member : *top->m_pLinkedWidgets)
            member->m_bHighlighted = highlighted;
    }
}

void CWKParameterWidgetCommon::vRepaintAll()
{
    CWKParameterWidgetCommon* top = pTopMaster();
    top->m_pOwner->repaint();
    if (top->m_pLinkedWidgets) {
        for (CWKParameterWidgetCommon* member : *top->m_pLinkedWidgets)
            member->m_pOwner->repaint();
    }
}

void CWKParameterWidgetCommon::vReportPress()
{
    if (!m_pParameter)
        return;
    if (m_pHooks && m_pHooks->pfnWidgetPressed)
        m_pHooks->pfnWidgetPressed(m_pOwner);
    (m_pMaster ? m_pMaster->m_pOwner : m_pOwner)->repaint();
}

void CWKParameterWidgetCommon::vPaintHighlight()
{
    // Members of a group never draw the frame; their master does.
    if (!m_bHighlighted || !m_pParameter || !m_bDrawHighlight || m_pMaster)
        return;
    QRect frame = m_pOwner->rect();
    frame.adjust(0, 0, -1, -1);
    QPainter painter(m_pOwner);
    painter.resetTransform();
    painter.setPen(m_pOwner->palette().color(QPalette::Highlight));
    painter.drawRoundedRect(frame, 10, 10, Qt::RelativeSize);
    frame.adjust(1, 1, -1, -1);
    painter.drawRoundedRect(frame, 5, 5, Qt::RelativeSize);
}

} // namespace Murn
