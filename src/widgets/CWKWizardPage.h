// A wizard page whose Next or Finish button its owner switches on and off.
#pragma once

#include <QWizardPage>

class CWKWizardPage : public QWizardPage {
    Q_OBJECT
public:
    explicit CWKWizardPage(QWidget* parent = nullptr)
        : QWizardPage(parent)
    {
    }

    void vSetComplete(bool complete)
    {
        if (complete == m_bComplete)
            return;
        m_bComplete = complete;
        emit completeChanged();
    }
    bool isComplete() const override { return m_bComplete; }

private:
    bool m_bComplete = true;
};
