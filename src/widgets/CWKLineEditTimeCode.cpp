#include "CWKLineEditTimeCode.h"

#include "CWKTimeCodeValidator.h"
#include "app/ChoiceTables.h"

#include <QKeyEvent>

CWKLineEditTimeCode::CWKLineEditTimeCode(QWidget* parent)
    : Murn::CWKParameterWidget<QLineEdit>(parent, true)
    , m_pValidator(new CWKTimeCodeValidator(this))
{
    setValidator(m_pValidator);
    connect(this, &QLineEdit::returnPressed, this, &CWKLineEditTimeCode::vReturnPressed);
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKLineEditTimeCode::~CWKLineEditTimeCode() = default;

void CWKLineEditTimeCode::vUpdateRegExp(CW_Instance project)
{
    m_pValidator->vUpdateRegExp(project);
}

void CWKLineEditTimeCode::vReturnPressed()
{
    QString current = text();
    vCommit(current);
}

void CWKLineEditTimeCode::vValidateText(QString& text)
{
    vCommit(text);
}

void CWKLineEditTimeCode::vCommit(QString& text)
{
    if (!m_bTyped)
        return;
    m_pValidator->fixup(text);
    setText(text);
    m_bTyped = false;
    emit valueChanged();
}

void CWKLineEditTimeCode::keyPressEvent(QKeyEvent* event)
{
    QLineEdit::keyPressEvent(event);
    // Return and Enter have committed already (through returnPressed); they owe nothing.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        m_bTyped = true;
}

void CWKLineEditTimeCode::focusInEvent(QFocusEvent* event)
{
    // Read by the focus routing, which hears of the change after this event.
    m_eFocusInReason = event->reason();
    QLineEdit::focusInEvent(event);
    m_bTyped = false;
}

void CWKLineEditTimeCode::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    QString current = text();
    vCommit(current);
}
