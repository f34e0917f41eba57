// The line edit through which the user types a frame: a frame number or a time code, with
// a field letter for interlaced material. It commits only after the user typed.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include "cwbase.h"

#include <QLineEdit>

class CWKTimeCodeValidator;

class CWKLineEditTimeCode : public Murn::CWKParameterWidget<QLineEdit> {
    Q_OBJECT
public:
    explicit CWKLineEditTimeCode(QWidget* parent = nullptr);
    ~CWKLineEditTimeCode() override;

    const CWKTimeCodeValidator* pGetValidator() const { return m_pValidator; }
    bool bHasTyped() const { return m_bTyped; }
    // How the edit last gained the keyboard focus (a click, a shortcut, passed on by Qt).
    Qt::FocusReason eGetFocusInReason() const { return m_eFocusInReason; }

signals:
    void valueChanged();

public slots:
    void vUpdateRegExp(CW_Instance project);

protected slots:
    void vReturnPressed();

private slots:
    void vValidateText(QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void vCommit(QString& text);

    CWKTimeCodeValidator* m_pValidator;
    bool m_bTyped = false;
    Qt::FocusReason m_eFocusInReason = Qt::NoFocusReason;
};
